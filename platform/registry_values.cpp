// Typed reads and the multi-string write of platform/registry.h, over QueryValue and SetValue: the
// same rules for the real registry and the native stand-in.
#include <cstring>

#include "platform/registry.h"

namespace {

// Reads the value's raw data when it has the wanted type (and, for a number, 4 bytes).
RegStatus QueryTyped(RegKeyHandle key, const char* name, uint32_t wantedType, std::string* data)
{
    uint32_t type = kRegTypeNone;
    uint32_t size = 0;
    RegStatus status = Registry::QueryValue(key, name, &type, nullptr, &size);
    if (status != kRegOk) return status;
    if (type != wantedType) return kRegWrongType;
    if (size > kRegMaxTypedData) return kRegMoreData;
    std::string buffer(size, '\0');
    status = Registry::QueryValue(key, name, &type, buffer.data(), &size);
    if (status != kRegOk) return status;  // changed in between: the caller may read again
    if (type != wantedType) return kRegWrongType;
    buffer.resize(size);
    *data = std::move(buffer);
    return kRegOk;
}

}  // namespace

namespace Registry {

RegStatus QueryDword(RegKeyHandle key, const char* name, uint32_t* value)
{
    std::string data;
    const RegStatus status = QueryTyped(key, name, kRegTypeDword, &data);
    if (status != kRegOk) return status;
    if (data.size() != 4) return kRegWrongType;
    std::memcpy(value, data.data(), 4);  // the registry's numbers are little-endian, as both hosts are
    return kRegOk;
}

RegStatus QueryString(RegKeyHandle key, const char* name, std::string* text)
{
    std::string data;
    const RegStatus status = QueryTyped(key, name, kRegTypeSz, &data);
    if (status != kRegOk) return status;
    *text = data.substr(0, data.find('\0'));
    return kRegOk;
}

RegStatus QueryMultiString(RegKeyHandle key, const char* name, std::vector<std::string>* texts)
{
    std::string data;
    const RegStatus status = QueryTyped(key, name, kRegTypeMultiSz, &data);
    if (status != kRegOk) return status;
    std::vector<std::string> items;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos) end = data.size();
        if (end == start) break;  // the empty text that ends the list
        items.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    *texts = std::move(items);
    return kRegOk;
}

RegStatus SetMultiString(RegKeyHandle key, const char* name, const std::vector<std::string>& texts)
{
    std::string data;
    for (const std::string& text : texts) {
        const std::string item = text.substr(0, text.find('\0'));
        if (item.empty()) continue;
        data += item;
        data.push_back('\0');
    }
    data.push_back('\0');
    if (data.size() > kRegMaxTypedData) return kRegMoreData;
    return SetValue(key, name, kRegTypeMultiSz, data.data(), static_cast<uint32_t>(data.size()));
}

}  // namespace Registry
