// Reading the command line into the start-up request: values cut out first, then the options.
#include "app/startup_request.h"

#include <algorithm>
#include <string>

#include "setup/address_validation.h"

namespace {

// The installer's "ip:" scan reads this many characters; the copied address is cut to fit its field.
constexpr size_t kGivenAddressRead = 255;
constexpr size_t kAddressField = 128;
constexpr size_t kPathField = 260;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsWordEdge(char c)
{
    return IsSpace(c) || c == '"';
}

// The end of a word value that starts at `from`: the closing quote (past it) when it starts with a
// quote, else the next white space. The value itself goes to *value.
size_t WordValueEnd(const std::string& text, size_t from, std::string* value)
{
    if (from < text.size() && text[from] == '"') {
        const size_t close = text.find('"', from + 1);
        const size_t end = close == std::string::npos ? text.size() : close;
        *value = text.substr(from + 1, end - from - 1);
        return close == std::string::npos ? end : close + 1;
    }
    size_t end = from;
    while (end < text.size() && !IsSpace(text[end])) ++end;
    *value = text.substr(from, end - from);
    return end;
}

// The position of option as a whole word in text at or after `from` (npos when absent). An option
// that ends in ":" takes a value and only needs a word start.
size_t FindWord(const std::string& text, const std::string& option, size_t from = 0)
{
    const bool takesValue = !option.empty() && option.back() == ':';
    for (size_t at = text.find(option, from); at != std::string::npos; at = text.find(option, at + 1)) {
        const bool starts = at == 0 || IsWordEdge(text[at - 1]);
        const size_t end = at + option.size();
        const bool ends = takesValue || end == text.size() || IsWordEdge(text[end]);
        if (starts && ends) return at;
    }
    return std::string::npos;
}

void Blank(std::string& text, size_t from, size_t to)
{
    for (size_t i = from; i < to && i < text.size(); ++i) text[i] = ' ';
}

// Cuts every value of a word option out of text; the first value goes to *first. True when the
// option was found.
bool CutWordOption(std::string& text, const std::string& option, std::string* first)
{
    bool seen = false;
    for (size_t at = FindWord(text, option); at != std::string::npos; at = FindWord(text, option, at + 1)) {
        std::string value;
        const size_t end = WordValueEnd(text, at + option.size(), &value);
        if (!seen && first != nullptr) *first = value;
        seen = true;
        Blank(text, at, end);
    }
    return seen;
}

// The installer's "ip:" value: from the first "ip:" in the first kGivenAddressRead characters to the
// next "/" or ":" or the end. Returns the value's end (npos when there is no "ip:").
size_t GivenAddressSpan(const std::string& text, size_t* start)
{
    const std::string scanned = text.substr(0, kGivenAddressRead);
    const size_t ip = scanned.find("ip:");
    if (ip == std::string::npos) return std::string::npos;
    *start = ip + 3;
    size_t end = *start;
    while (end < scanned.size() && scanned[end] != '/' && scanned[end] != ':') ++end;
    return end;
}

// The text with every "ip:" word value blanked.
std::string WithoutIpValues(std::string text)
{
    for (size_t ip = text.find("ip:"); ip != std::string::npos; ip = text.find("ip:", ip + 1)) {
        std::string value;
        Blank(text, ip + 3, WordValueEnd(text, ip + 3, &value));
    }
    return text;
}

bool Contains(const std::string& text, const char* option)
{
    return text.find(option) != std::string::npos;
}

}  // namespace

StartupRequest ParseStartupRequest(const char* commandLine)
{
    StartupRequest request;
    const std::string text = commandLine != nullptr ? commandLine : "";

    // 1. The word options' values.
    std::string rest = text;
    CutWordOption(rest, "/out:", &request.outPath);
    CutWordOption(rest, "/trace:", &request.tracePath);
    std::string targets;
    request.targetsGiven = CutWordOption(rest, "/targets:", &targets);
    for (size_t start = 0; request.targetsGiven && !targets.empty() && start <= targets.size();) {
        const size_t comma = std::min(targets.find(',', start), targets.size());
        request.targets.push_back(targets.substr(start, comma - start));
        start = comma + 1;
    }
    if (request.outPath.size() >= kPathField) request.outPath.clear();
    if (request.tracePath.size() >= kPathField) request.tracePath.clear();

    // /credentials' values, cut from a copy: they count only in that mode, and no mode or product
    // token is found inside them.
    std::string credentialsText = rest;
    const bool userGiven = CutWordOption(credentialsText, "user:", &request.credentialsUser);
    const bool authGiven = CutWordOption(credentialsText, "auth:", &request.credentialsAuth);
    const bool privGiven = CutWordOption(credentialsText, "priv:", &request.credentialsPriv);

    // 2. The command-line mode: the first of its options, found where no "ip:" word value is.
    std::string modeText = WithoutIpValues(credentialsText);
    size_t first = std::string::npos;
    const struct {
        const char* option;
        CommandLineMode mode;
    } kModes[] = {
        {"/refresh", CommandLineMode::Refresh},
        {"/set", CommandLineMode::Set},
        {"/list", CommandLineMode::List},
        {"/credentials", CommandLineMode::Credentials}};
    for (const auto& m : kModes) {
        const size_t at = FindWord(modeText, m.option);
        if (at != std::string::npos && (first == std::string::npos || at < first)) {
            first = at;
            request.mode = m.mode;
        }
    }
    request.ipv6 = FindWord(modeText, "/ipv6") != std::string::npos;
    if (request.mode == CommandLineMode::Credentials) {
        request.credentialsUserGiven = userGiven;
        request.credentialsAuthGiven = authGiven;
        request.credentialsPrivGiven = privGiven;
        request.credentialsClear = FindWord(modeText, "clear", first) != std::string::npos;
    } else {
        request.credentialsUser.clear();
        request.credentialsAuth.clear();
        request.credentialsPriv.clear();
        modeText = WithoutIpValues(rest);  // the other modes and the installer's start: as before
    }

    if (request.mode != CommandLineMode::None) {
        // A command-line mode: "ip:" values are words; the one after "/set" is the address.
        if (request.mode == CommandLineMode::Set) {
            const size_t ip = rest.find("ip:", first);
            if (ip != std::string::npos) {
                std::string value;
                WordValueEnd(rest, ip + 3, &value);
                request.addressGiven = true;
                request.addressTooLong = value.size() >= kAddressField;
                if (!request.addressTooLong) request.address = value;
            }
        }
        request.productText = modeText;
    } else {
        // The installer's start: its "ip:" value is cut by its own rule.
        size_t start = 0;
        const size_t end = GivenAddressSpan(rest, &start);
        request.productText = rest;
        if (end != std::string::npos) Blank(request.productText, start, end);
    }

    // 3. The installer's options and flags, outside every value.
    const std::string& options = request.productText;
    if (request.mode == CommandLineMode::None) {
        if (Contains(options, "/NoPortSelect")) request.launchMode = AskPort;
        if (Contains(options, "/usb")) request.launchMode = UsbPort;
        if (Contains(options, "/network")) request.launchMode = NetworkPort;
        // The given address counts with the token of a product that takes one (case-sensitive, as
        // every installer option), whichever product the command line names first.
        bool takesAddress = false;
        for (const Product& product : Products::All())
            takesAddress = takesAddress || (product.takesGivenAddress && Contains(options, product.optionToken));
        if (takesAddress && Contains(rest, "ip:")) {
            size_t start = 0;
            const size_t end = GivenAddressSpan(rest, &start);
            if (end != std::string::npos)
                request.givenAddress = rest.substr(start, end - start).substr(0, kAddressField - 1);
            request.launchMode =
                ValidateAddress(request.givenAddress.c_str(), kAddressField, kProtocolIPv4) == kAddressValid
                    ? GivenAddress
                    : AskPort;
        }
    }
    request.quiet = Contains(options, "/quiet");
    request.maintenance = Contains(options, "/mentenance");
    return request;
}

const Product* RequestedProduct(const StartupRequest& request, const char* programPath)
{
    const Product* fromOptions = Products::FromOptionText(request.productText.c_str());
    if (request.mode != CommandLineMode::None)
        return fromOptions != nullptr ? fromOptions : Products::FromProgramPath(programPath);
    if (request.launchMode != Standalone) return fromOptions;
    return Products::FromProgramPath(programPath);
}
