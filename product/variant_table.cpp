// The product variant table: per-variant identifiers, names, file names, folders, registry key and
// mutex names, and the detection of the variant from the command line or the executable's name.
#include "product/variant_table.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "product/os_class.h"
#include "product/string_table.h"
#include "platform/bounded_text.h"
#include "platform/system.h"

namespace {

// The constant values of one product.
struct VariantRow {
    VariantId id;
    const char* fileCode;
    const char* modelName;
    const char* hardwareId;
    const char* modelOid;
    const char* deviceDescription;
    const char* keyTail;
    const char* deviceNameKey;     // null: the device name is the model name
    const char* makerDisplayName;  // null: from the string file under makerNameKey
    const char* makerNameKey;
    const char* makerFolderName;
    const char* makerRegistryName;
    int ipv6Available;
    int productFamily;
};

const VariantRow kRows[] = {
    {0, "R7240", "chromaline 7240MF", "VEL_MORA_VC7240MF_Network_Scanner", "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1",
     "VEL MORA vc7240MF Network Scanner", "\\VEL MORA chromaline 7240MF Scanner\\ScanLink", "STR_S_DEVNAME_7240MF",
     "VEL MORA", nullptr, "VEL MORA", "VEL MORA", 0, 0},
    {1, "R7245", "chromaline 7245MF", "VEL_MORA_VC7245MF_Network_Scanner", "1.3.6.1.4.1.40827.1.1.1.2.1.43.2.1",
     "VEL MORA vc7245MF Network Scanner", "\\VEL MORA chromaline 7245MF Scanner\\ScanLink", "STR_S_DEVNAME_7245MF",
     "VEL MORA", nullptr, "VEL MORA", "VEL MORA", 1, 0},
    {2, "TST30", "tessera T30", "VEL_MORA_TST30_Network_Scanner", "1.3.6.1.4.1.40827.1.1.1.2.1.43.3.1",
     "VEL MORA tessera T30 Network Scanner", "\\VEL MORA tessera T30 Scanner\\ScanLink", "STR_S_DEVNAME_TS30",
     "VEL MORA", nullptr, "VEL MORA", "VEL MORA", 1, 0},
    {3, "R5180", "chromaline 5180MF", "VEL_MORA_VC5180MF_Network_Scanner", "1.3.6.1.4.1.40827.1.1.1.1.1.23.1.1",
     "VEL MORA vc5180MF Network Scanner", "\\VEL MORA chromaline 5180MF Scanner\\ScanLink", "STR_S_DEVNAME_5180MF",
     "VEL MORA", nullptr, "VEL MORA", "VEL MORA", 0, 1},
    {6, "O724X", "ochre 724XMF", "VEL_MORA_OC724XMF_Network_Scanner", "1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1",
     "VEL MORA oc724XMF Network Scanner", "\\VEL MORA ochre 724XMF Scanner\\ScanLink", "STR_S_DEVNAME_OC724X",
     "VEL MORA", nullptr, "VEL MORA", "VEL MORA", 0, 1},
    {7, "T210_", "TX210n", "TARN_TX210N_Network_Scanner", "1.3.6.1.4.1.3117.1.1.1.1", "TARN TX210n Network Scanner",
     "\\TARN TX210n Scanner\\ScanLink", "STR_S_DEVNAME_TX210n", nullptr, "STR_S_MANUF_NAME_TARN", "Tarnico", "Tarnico",
     0, 1},
    {8, "L835_", "Lumeo 8350MFP", "CORVEL_8350MFP_Network_Scanner", "1.3.6.1.4.1.1907.8.62.1.19.4.29.2.1",
     "Lumeo 8350MFP Network Scanner", "\\Corvel Lumeo 8350MFP Scanner\\ScanLink", "STR_S_DEVNAME_L8350", nullptr,
     "STR_S_MANUF_NAME_CVL", "corvel", "Corvel", 0, 1},
    {10, "DX52F", "MR-DX52NF", "MIRANO_MR-DX52NF_Network_Scanner",
     "1.3.6.1.4.1.2590.1.1.2.1.3.9.77.82.45.68.88.53.50.78.70", "MIRANO MR-DX52NF Network Scanner",
     "\\MIRANO MR-DX52NF Scanner\\ScanLink", nullptr, "MIRANO", nullptr, "MIRANO_P1", "MIRANO_P1", 0, 1},
};

const char kAltModelOidText[] = "1.3.6.1.4.1.1907.8.62.1.19.4.29.1.1";
const char kProductFolderLeafText[] = "TARN TX210n Scanner";
const char kVariant10ProductName[] = "MIRANO MR-DX52NF";
const char kLocalMutexPrefix[] = "ScanLink Local Mutex";
const char kGlobalMutexPrefix[] = "Global\\ScanLink Global Mutex";

// Names that items build on are held in 32-byte buffers, so texts from the string file are cut to
// 31 bytes there.
constexpr size_t kNameBuffer = 32;
constexpr size_t kPathBuffer = 260;

const VariantRow* FindRow(VariantId id)
{
    for (const VariantRow& row : kRows) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

void WriteInt(void* buffer, size_t size, int value)
{
    if (buffer == nullptr || size < sizeof(int32_t)) return;
    int32_t v = value;
    std::memcpy(buffer, &v, sizeof(v));
}

void WriteText(void* buffer, size_t size, const char* text)
{
    BoundedCopy(static_cast<char*>(buffer), size, text);
}

bool Is64BitProcessor(int architecture)
{
    return architecture == Platform::kArchAmd64 || architecture == Platform::kArchIa64;
}

// Looks a name up in the string file into a cleared 32-byte buffer (empty when the key is missing).
void LookUpName(const char* key, char* name)
{
    name[0] = '\0';
    StringTable::Get(key, name, kNameBuffer);
}

void DeviceDisplayName(const VariantRow& row, char* name)
{
    if (row.deviceNameKey == nullptr)
        BoundedCopy(name, kNameBuffer, row.modelName);
    else
        LookUpName(row.deviceNameKey, name);
}

void MakerDisplayName(const VariantRow& row, char* name)
{
    if (row.makerDisplayName != nullptr)
        BoundedCopy(name, kNameBuffer, row.makerDisplayName);
    else
        LookUpName(row.makerNameKey, name);
}

// The install or data folder of the product; false (no value) when the shell has no base folder.
bool ProductFolder(const VariantRow& row, int folderId, char* path)
{
    if (Platform::GetShellFolder(folderId, path, kPathBuffer) != Platform::kSysOk || path[0] == '\0') {
        return false;
    }
    BoundedAppend(path, kPathBuffer, "\\");
    BoundedAppend(path, kPathBuffer, row.makerFolderName);
    BoundedAppend(path, kPathBuffer, "\\");
    if (row.id == 7) {
        BoundedAppend(path, kPathBuffer, kProductFolderLeafText);
    } else {
        BoundedAppend(path, kPathBuffer, row.modelName);
        BoundedAppend(path, kPathBuffer, "\\");
        BoundedAppend(path, kPathBuffer, "Scanner");
    }
    return true;
}

int OsClassFromSystem()
{
    return ClassifyOsVersion(Platform::GetOsVersion());
}

}  // namespace

int ClassifyOsVersion(const Platform::OsVersionInfo& version)
{
    if (!version.ok) return 0;
    const bool workstation = version.productType == Platform::kProductWorkstation;
    if (version.major == 5) {
        if (version.minor == 0) return 1;
        if (version.minor == 1 || (version.minor == 2 && workstation)) return 2;
        if (version.minor == 2) return 3;
        return 8;
    }
    if (version.major == 6) {
        if ((version.minor == 0 && workstation) || version.minor >= 2) return 4;
        if (version.minor == 0) return 5;
        return workstation ? 7 : 6;
    }
    return 8;
}

namespace VariantTable {

namespace {
VariantId g_current = 0;
std::string g_deviceTitle;
std::string g_appTitle;
}  // namespace

void SetCurrent(VariantId variant)
{
    g_current = variant;
}

VariantId Current()
{
    return g_current;
}

void LoadTitles()
{
    char deviceName[64] = {};
    char makerName[64] = {};
    Get(kDeviceDisplayName, deviceName, sizeof(deviceName));
    Get(kMakerDisplayName, makerName, sizeof(makerName));
    g_deviceTitle = std::string(makerName) + " " + deviceName;
    char title[64] = {};
    Get(kAppTitle, title, sizeof(title));
    g_appTitle = title;
}

const std::string& DeviceTitle()
{
    return g_deviceTitle;
}

const std::string& AppTitle()
{
    return g_appTitle;
}

int GetInt(int item)
{
    int value = 0;
    Get(item, &value, sizeof value);
    return value;
}

int Get(int item, void* buffer, size_t size)
{
    const VariantRow* row = FindRow(g_current);
    const int architecture = Platform::GetProcessorArchitecture();
    const bool is64 = Is64BitProcessor(architecture);
    int result = architecture == Platform::kArchUnknown ? kVariantUndefined : kVariantOk;

    switch (item) {
    case kIpv6Available:
        if (row == nullptr) {
            WriteInt(buffer, size, 0);
            return kVariantUndefined;
        }
        WriteInt(buffer, size, OsClassFromSystem() == 1 ? 0 : row->ipv6Available);
        return result;
    case kHardwareId:
        if (row == nullptr) return kVariantUndefined;
        WriteText(buffer, size, row->hardwareId);
        return result;
    case kModelOid:
        if (row == nullptr) return kVariantUndefined;
        WriteText(buffer, size, row->modelOid);
        return result;
    case kDeviceDescription:
        if (row != nullptr) WriteText(buffer, size, row->deviceDescription);
        return result;
    case kSettingsRegistryKey: {
        if (row == nullptr) {
            WriteText(buffer, size, "");
            return result;
        }
        char key[kPathBuffer] = {};
        Get(kMakerRegistryKey, key, sizeof(key));
        BoundedAppend(key, sizeof(key), row->keyTail);
        WriteText(buffer, size, key);
        return result;
    }
    case kModelName:
        if (row != nullptr) WriteText(buffer, size, row->modelName);
        return result;
    case kResourceModuleFile:
    case kStringFileName: {
        if (row == nullptr) return result;
        char name[kNameBuffer] = {};
        BoundedCopy(name, sizeof(name), row->fileCode);
        BoundedAppend(name, sizeof(name), item == kStringFileName ? "STR.tbl" : (is64 ? "RS6.dll" : "RES.dll"));
        WriteText(buffer, size, name);
        return result;
    }
    case kInfPath: {
        char path[kPathBuffer] = {};
        if (row != nullptr) Get(kInstallFolder, path, sizeof(path));
        BoundedAppend(path, sizeof(path), "\\Network\\");
        if (row != nullptr) {
            BoundedAppend(path, sizeof(path), row->fileCode);
            BoundedAppend(path, sizeof(path), is64 ? "N64.inf" : "N32.inf");
        }
        WriteText(buffer, size, path);
        return result;
    }
    case kDeviceDisplayName: {
        if (row == nullptr) return result;
        char name[kNameBuffer];
        DeviceDisplayName(*row, name);
        WriteText(buffer, size, name);
        return result;
    }
    case kInstallFolder:
    case kDataFolder: {
        if (row == nullptr) return result;
        char path[kPathBuffer] = {};
        int folderId = item == kDataFolder ? Platform::kFolderCommonAppData
                       : is64              ? Platform::kFolderProgramFilesX86
                                           : Platform::kFolderProgramFiles;
        if (ProductFolder(*row, folderId, path)) WriteText(buffer, size, path);
        return result;
    }
    case kLocalMutexName:
    case kGlobalMutexName: {
        char name[128] = {};
        BoundedCopy(name, sizeof(name), item == kLocalMutexName ? kLocalMutexPrefix : kGlobalMutexPrefix);
        BoundedAppend(name, sizeof(name), " ");
        if (row != nullptr) BoundedAppend(name, sizeof(name), row->modelName);
        WriteText(buffer, size, name);
        return result;
    }
    case kProductFamily:
        WriteInt(buffer, size, row != nullptr ? row->productFamily : -1);
        return result;
    case kMakerDisplayName: {
        if (row == nullptr) {
            WriteText(buffer, size, "");
            return result;
        }
        char name[kNameBuffer];
        MakerDisplayName(*row, name);
        WriteText(buffer, size, name);
        return result;
    }
    case kMakerFolderName:
        if (row != nullptr) WriteText(buffer, size, row->makerFolderName);
        return result;
    case kMakerRegistryKey: {
        // "Software\" and the maker's registry name, bounded by the caller's size.
        if (buffer == nullptr || size == 0) return result;
        char name[kNameBuffer] = {};
        int inner = Get(kMakerRegistryName, name, sizeof(name));
        char key[kPathBuffer] = {};
        BoundedCopy(key, sizeof(key), "Software\\");
        BoundedAppend(key, sizeof(key), name);
        WriteText(buffer, size, key);
        return inner;
    }
    case kAppTitle: {
        if (row == nullptr) return result;
        char device[kNameBuffer];
        DeviceDisplayName(*row, device);
        char appName[1040] = {};
        StringTable::Get("STR_S_UTIL_APPNAME", appName, sizeof(appName));
        std::string title;
        if (row->id == 8) {
            title = StringTable::FormatWithName(appName, device);
        } else {
            char maker[kNameBuffer];
            MakerDisplayName(*row, maker);
            title = std::string(maker) + " " + device + " " + appName;
        }
        WriteText(buffer, size, title.c_str());
        return result;
    }
    case kProductFolderLeaf:
        if (row != nullptr && row->id == 7) WriteText(buffer, size, kProductFolderLeafText);
        return result;
    case kAltModelOid:
        if (row != nullptr && row->id == 8) WriteText(buffer, size, kAltModelOidText);
        return result;
    case kHasAltModelOid:
        if (row != nullptr) WriteInt(buffer, size, row->id == 8 ? 1 : 0);
        return result;
    case kMakerRegistryName:
        if (row != nullptr) WriteText(buffer, size, row->makerRegistryName);
        return result;
    case kProductDisplayName: {
        if (row == nullptr) return result;
        if (row->id == 10) {
            WriteText(buffer, size, kVariant10ProductName);
            return result;
        }
        char name[kNameBuffer];
        DeviceDisplayName(*row, name);
        WriteText(buffer, size, name);
        return result;
    }
    default:
        return kVariantUndefined;
    }
}

}  // namespace VariantTable

// Whether token (ASCII) occurs in text, searched character by character in the ANSI code page:
// a match starts only where a character starts, never at the trail byte of a double-byte one.
namespace {
bool ContainsToken(const char* text, const char* token)
{
    const size_t length = std::strlen(token);
    for (const char* p = text; *p != '\0'; p += Platform::AnsiCharacterLength(p)) {
        if (std::strncmp(p, token, length) == 0) return true;
    }
    return false;
}
}  // namespace

VariantId DetectVariant(int launchMode, const char* commandLine)
{
    struct Token {
        const char* text;
        VariantId id;
    };
    static const Token kCommandLineTokens[] = {
        {"7240MF", 0}, {"7245MF", 1}, {"T30", 2},      {"5180MF", 3},
        {"724XMF", 6}, {"TX210N", 7}, {"L835_MFP", 8}, {"MR-DX52NF", 10},
    };
    static const Token kExecutableTokens[] = {
        {"7240", 0}, {"7245", 1},     {"T30", 2},      {"5180", 3},
        {"724X", 6}, {"T210_SLK", 7}, {"L835_SLK", 8}, {"DX52FSLK", 10},
    };

    std::string text;
    const Token* tokens = nullptr;
    if (launchMode >= AskPort && launchMode <= GivenAddress) {
        text = commandLine != nullptr ? commandLine : "";
        tokens = kCommandLineTokens;
    } else if (launchMode == Standalone) {
        char path[kPathBuffer] = {};
        Platform::GetOwnModulePath(path, sizeof(path));
        char base[kPathBuffer] = {};
        PathBaseName(path, base, sizeof(base));
        if (base[0] == '\0') return kNoVariant;
        text = base;
        tokens = kExecutableTokens;
    } else {
        return kNoVariant;
    }
    Platform::ToUpperAnsi(text.data());
    for (size_t i = 0; i < 8; ++i) {
        if (ContainsToken(text.c_str(), tokens[i].text)) return tokens[i].id;
    }
    return kNoVariant;
}
