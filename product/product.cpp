// The product table, the current product, and the names, folders and files derived from a row.
#include "product/product.h"

#include <cstring>
#include <string>

#include "platform/bounded_text.h"
#include "platform/system.h"
#include "product/os_class.h"
#include "product/string_table.h"

namespace {

constexpr auto Device = ProductNameRule::Device;
constexpr auto BrandModel = ProductNameRule::BrandModel;
constexpr auto MakerDeviceApp = TitleRule::MakerDeviceApp;
constexpr auto AppNameFormat = TitleRule::AppNameFormat;

const Product kProducts[] = {
#define SCANLINK_PRODUCT(code, brand, model, hardwareId, modelOid, secondOid, description, deviceKey, makerKey, \
                         makerFolder, makerKeyName, productFolder, productName, titleRule, ipv6, iconFamily,    \
                         optionToken, programToken, givenAddress)                                               \
    {code,           brand,         model,       hardwareId,   modelOid,         secondOid,   description,      \
     Key::deviceKey, Key::makerKey, makerFolder, makerKeyName, productFolder,    productName, titleRule,        \
     ipv6 != 0,      iconFamily,    optionToken, programToken, givenAddress != 0},
#include "product/products.def"
#undef SCANLINK_PRODUCT
};

const Product* g_current = &kProducts[0];

// Names from the string file are held in 32-byte fields by the rest of the scanner product, title
// parts in 64-byte ones.
constexpr size_t kNameField = 32;
constexpr size_t kTitleField = 64;

std::string Cut(std::string text, size_t field)
{
    if (text.size() > field - 1) text.resize(field - 1);
    return text;
}

// A name looked up in the string file; empty (after the lookup's message) when the key is missing.
std::string LookUp(StringKey key)
{
    char name[kNameField] = {};
    StringTable::Get(key, name, sizeof name);
    return name;
}

// Whether token (ASCII) occurs in text, searched character by character in the ANSI code page.
bool ContainsToken(const char* text, const char* token)
{
    const size_t length = std::strlen(token);
    for (const char* p = text; *p != '\0'; p += Platform::AnsiCharacterLength(p)) {
        if (std::strncmp(p, token, length) == 0) return true;
    }
    return false;
}

// The first product whose token (chosen by member) the upper-cased text holds.
const Product* FirstWithToken(std::string text, const char* Product::*token)
{
    Platform::ToUpperAnsi(text.data());
    for (const Product& product : kProducts) {
        if (ContainsToken(text.c_str(), product.*token)) return &product;
    }
    return nullptr;
}

// A shell folder with the product's folders appended; empty when the shell has no base folder.
std::string ProductFolderBelow(int shellFolder, const Product& product)
{
    char base[260] = {};
    if (Platform::GetShellFolder(shellFolder, base, sizeof base) != Platform::kSysOk || base[0] == '\0') return "";
    std::string folder = std::string(base) + "\\" + product.makerFolder + "\\" + product.productFolder;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    return folder;
}

std::string g_appTitle;
std::string g_deviceTitle;

}  // namespace

namespace Products {

std::span<const Product> All()
{
    return kProducts;
}

const Product* ByCode(const char* code)
{
    for (const Product& product : kProducts) {
        if (code != nullptr && std::strcmp(product.code, code) == 0) return &product;
    }
    return nullptr;
}

void SetCurrent(const Product& product)
{
    g_current = &product;
}

const Product& Current()
{
    return *g_current;
}

const Product* FromOptionText(const char* text)
{
    return FirstWithToken(text != nullptr ? text : "", &Product::optionToken);
}

const Product* FromProgramPath(const char* path)
{
    char base[260] = {};
    PathBaseName(path != nullptr ? path : "", base, sizeof base);
    if (base[0] == '\0') return nullptr;
    return FirstWithToken(base, &Product::programToken);
}

}  // namespace Products

bool Is64BitSystem()
{
    const int architecture = Platform::GetProcessorArchitecture();
    return architecture == Platform::kArchAmd64 || architecture == Platform::kArchIa64 ||
           architecture == Platform::kArchArm64;
}

std::string ResourceModuleFile(const Product& product)
{
    return std::string(product.code) + (Is64BitSystem() ? "RS6.dll" : "RES.dll");
}

std::string StringFileName(const Product& product)
{
    return std::string(product.code) + "STR.tbl";
}

std::string InstallFolder(const Product& product)
{
    return ProductFolderBelow(Is64BitSystem() ? Platform::kFolderProgramFilesX86 : Platform::kFolderProgramFiles,
                              product);
}

std::string DataFolder(const Product& product)
{
    return ProductFolderBelow(Platform::kFolderCommonAppData, product);
}

std::string InfPath(const Product& product)
{
    const std::string folder = InstallFolder(product);
    if (folder.empty()) return "";
    return folder + "\\Network\\" + product.code + (Is64BitSystem() ? "N64.inf" : "N32.inf");
}

std::string SettingsKey(const Product& product)
{
    return std::string("Software\\") + product.makerKeyName + "\\" + product.brand + " " + product.model +
           " Scanner\\ScanLink";
}

std::string LocalMutexName(const Product& product)
{
    return std::string("ScanLink Local Mutex ") + product.model;
}

std::string GlobalMutexName(const Product& product)
{
    return std::string("Global\\ScanLink Global Mutex ") + product.model;
}

bool OffersIpv6(const Product& product)
{
    return product.ipv6 && ClassifyOsVersion(Platform::GetOsVersion()) != 1;
}

std::vector<const char*> ModelIdentifiers(const Product& product)
{
    std::vector<const char*> identifiers{product.modelOid};
    if (product.secondModelOid[0] != '\0') identifiers.push_back(product.secondModelOid);
    return identifiers;
}

std::string DeviceDisplayName(const Product& product)
{
    return product.deviceNameKey.IsNone() ? Cut(product.model, kNameField) : LookUp(product.deviceNameKey);
}

std::string MakerDisplayName(const Product& product)
{
    return product.makerNameKey.IsNone() ? Cut(product.brand, kNameField) : LookUp(product.makerNameKey);
}

std::string ProductDisplayName(const Product& product)
{
    if (product.productName == ProductNameRule::BrandModel) return std::string(product.brand) + " " + product.model;
    return DeviceDisplayName(product);
}

std::string AppTitle(const Product& product)
{
    const std::string device = DeviceDisplayName(product);
    const std::string appName = StringTable::Text(Key::STR_S_UTIL_APPNAME);
    if (product.titleRule == TitleRule::AppNameFormat)
        return Cut(StringTable::FormatWithName(appName.c_str(), device.c_str()), kTitleField);
    return Cut(MakerDisplayName(product) + " " + device + " " + appName, kTitleField);
}

std::string DeviceTitle(const Product& product)
{
    return Cut(MakerDisplayName(product), kTitleField) + " " + Cut(DeviceDisplayName(product), kTitleField);
}

namespace Titles {

void Load()
{
    g_deviceTitle = DeviceTitle(Products::Current());
    g_appTitle = AppTitle(Products::Current());
}

const std::string& App()
{
    return g_appTitle;
}

const std::string& Device()
{
    return g_deviceTitle;
}

}  // namespace Titles
