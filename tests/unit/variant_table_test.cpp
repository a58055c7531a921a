// The computed items of the variant table (per processor, folders, titles, bounds) and detection.
#include "product/variant_table.h"

#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "app/scanlink_app.h"
#include "test_support.h"

namespace {

class VariantTableTest : public CleanState {
protected:
    void SetUp() override
    {
        CleanState::SetUp();
        Platform::SetTestProcessorArchitecture(Platform::kArchAmd64);
        Platform::OsVersionInfo win7{true, 6, 1, Platform::kProductWorkstation};
        Platform::SetTestOsVersion(&win7);
        Platform::SetTestShellFolder(Platform::kFolderProgramFiles, "C:\\PF");
        Platform::SetTestShellFolder(Platform::kFolderProgramFilesX86, "C:\\PF86");
        Platform::SetTestShellFolder(Platform::kFolderCommonAppData, "C:\\PD");
        Strings(
            "STR_S_DEVNAME_7240MF=Dev7240\nSTR_S_DEVNAME_OC724X=Dev724X\nSTR_S_DEVNAME_L8350=Lumeo\n"
            "STR_S_UTIL_APPNAME=Scan Link\n");
    }
    void Strings(const std::string& text)
    {
        StringTable::Clear();
        ASSERT_EQ(0, StringTable::Load(folder_.Write("s.tbl", text).c_str()));
    }
    // The item's text, "<unchanged>" when nothing was written, and " (undefined)" for that result.
    static std::string Text(int variant, int item)
    {
        VariantTable::SetCurrent(variant);
        std::string buffer(300, '#');
        const char* undefined =
            VariantTable::Get(item, buffer.data(), buffer.size()) == kVariantUndefined ? " (undefined)" : "";
        return (buffer[0] == '#' ? "<unchanged>" : std::string(buffer.c_str())) + undefined;
    }
    static int Integer(int variant, int item)
    {
        int value = 12345;
        VariantTable::SetCurrent(variant);
        return VariantTable::Get(item, &value, sizeof(value)), value;
    }
    TempFolder folder_;
};

TEST_F(VariantTableTest, FileNamesAndFoldersFollowTheProcessor)
{
    EXPECT_EQ("R7240RS6.dll", Text(0, kResourceModuleFile));
    EXPECT_EQ("C:\\PF86\\VEL MORA\\chromaline 7240MF\\Scanner", Text(0, kInstallFolder));
    EXPECT_EQ("C:\\PF86\\VEL MORA\\chromaline 7240MF\\Scanner\\Network\\R7240N64.inf", Text(0, kInfPath));
    EXPECT_EQ("C:\\PD\\Tarnico\\TARN TX210n Scanner", Text(7, kDataFolder));
    Platform::SetTestProcessorArchitecture(Platform::kArchX86);
    EXPECT_EQ("R5180RES.dll", Text(3, kResourceModuleFile));
    EXPECT_EQ("C:\\PF\\corvel\\Lumeo 8350MFP\\Scanner\\Network\\L835_N32.inf", Text(8, kInfPath));
    Platform::SetTestProcessorArchitecture(Platform::kArchUnknown);
    EXPECT_EQ("R5180RES.dll (undefined)", Text(3, kResourceModuleFile));
    // A shell folder that cannot be read gives no folder.
    Platform::SetTestShellFolder(Platform::kFolderProgramFiles, nullptr, true);
    EXPECT_EQ("<unchanged> (undefined)", Text(0, kInstallFolder));
    EXPECT_EQ("\\Network\\R7240N32.inf (undefined)", Text(0, kInfPath));
}

TEST_F(VariantTableTest, UnlistedVariantsUndefinedItemsAndIpv6)
{
    for (int v : {-1, 4, 5, 9}) {
        SCOPED_TRACE("variant " + std::to_string(v));
        EXPECT_EQ(0, Integer(v, kIpv6Available));
        EXPECT_EQ("<unchanged> (undefined)", Text(v, kHardwareId));
        EXPECT_EQ("<unchanged>", Text(v, kAppTitle));
        EXPECT_EQ("", Text(v, kSettingsRegistryKey));
        EXPECT_EQ("\\Network\\", Text(v, kInfPath));
        EXPECT_EQ(-1, Integer(v, kProductFamily));
    }
    for (int item : {8, 11, 30}) EXPECT_EQ("<unchanged> (undefined)", Text(0, item)) << item;
    // Windows 2000 turns IPv6 off for every product.
    EXPECT_EQ(1, Integer(2, kIpv6Available));
    Platform::OsVersionInfo win2000{true, 5, 0, Platform::kProductWorkstation};
    Platform::SetTestOsVersion(&win2000);
    EXPECT_EQ(0, Integer(2, kIpv6Available));
}

TEST_F(VariantTableTest, TitlesAndDisplayNames)
{
    EXPECT_EQ("VEL MORA Dev7240 Scan Link", Text(0, kAppTitle));
    EXPECT_EQ("Dev724X", Text(6, kProductDisplayName));
    EXPECT_EQ("MIRANO MR-DX52NF", Text(10, kProductDisplayName));
    EXPECT_EQ("Scan Link", Text(8, kAppTitle));  // variant 8's name has no %s here
    Strings("STR_S_DEVNAME_L8350=Lumeo\nSTR_S_UTIL_APPNAME=%s ScanLink %s %d 100%%\n");
    EXPECT_EQ("Lumeo ScanLink %s %d 100%", Text(8, kAppTitle));
    // Without its key the device name is empty, after the lookup's message.
    EXPECT_EQ("", Text(0, kDeviceDisplayName));
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
}

TEST_F(VariantTableTest, CopiesAreBounded)
{
    Strings("STR_S_DEVNAME_7240MF=" + std::string(80, 'N') + "\nSTR_S_UTIL_APPNAME=" + std::string(200, 'A') + "\n");
    EXPECT_EQ(std::string(31, 'N'), Text(0, kDeviceDisplayName));
    char title[64];
    std::memset(title, 'x', sizeof(title));
    VariantTable::Get(kAppTitle, title, sizeof(title));
    EXPECT_EQ(63u, std::strlen(title));
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    VariantTable::Get(kSettingsRegistryKey, buffer, 4);
    EXPECT_STREQ("Sof", buffer);
    EXPECT_EQ('x', buffer[4]);
    short tiny = 77;
    VariantTable::Get(kProductFamily, &tiny, sizeof(tiny));
    EXPECT_EQ(77, tiny);
}

TEST_F(VariantTableTest, DetectVariant)
{
    // From the command line in the installer's modes; the earlier token of the table wins.
    EXPECT_EQ(7, DetectVariant(UsbPort, "/usb TX210n"));
    EXPECT_EQ(0, DetectVariant(NetworkPort, "/network T30 7240MF"));
    EXPECT_EQ(8, DetectVariant(GivenAddress, "/network L835_MFP ip:1.2.3.4"));
    EXPECT_EQ(10, DetectVariant(AskPort, "/NoPortSelect mr-dx52nf"));
    EXPECT_EQ(-1, DetectVariant(UsbPort, "/usb"));
    EXPECT_EQ(1, DetectVariant(UsbPort, (std::string(10000, 'q') + "7245MF").c_str()));
    // From the executable's base name when started alone.
    const std::pair<const char*, int> cases[] = {{"C:\\x\\r7240slk.exe", 0},
                                                 {"C:\\T30.exe", 2},
                                                 {"C:\\O724XSLK.exe", 6},
                                                 {"C:\\T210_SLK.exe", 7},
                                                 {"C:\\T210_.exe", -1},
                                                 {"C:\\7240\\ScanLink.exe", -1},
                                                 // Searched by characters: a token after multibyte ones is found.
                                                 {"C:\\\u30b9\u30ad\u30e3\u30ca5180SLK.exe", 3}};
    for (const auto& [path, variant] : cases) {
        Platform::SetTestOwnModulePath(path);
        EXPECT_EQ(variant, DetectVariant(Standalone, "7245MF")) << path;
    }
}

}  // namespace

// The resource build names its modules, versions and icons from its own product list; it must
// describe the same eight products as the table (file code, product name, family), in any order.
TEST(VariantTableResources, TheResourceBuildListsTheTablesProducts)
{
#ifdef _WIN32
    std::ifstream file(std::string("Z:") + SCANLINK_SOURCE_DIR + "/res/CMakeLists.txt");
#else
    std::ifstream file(std::string(SCANLINK_SOURCE_DIR) + "/res/CMakeLists.txt");
#endif
    std::set<std::string> listed;
    const std::regex entry("\"([A-Z0-9_]{5})\\|([^|\"]+)\\|([01])\"");
    for (std::string line; std::getline(file, line);) {
        std::smatch m;
        if (std::regex_search(line, m, entry)) listed.insert(m[1].str() + "|" + m[2].str() + "|" + m[3].str());
    }
    Platform::SetTestProcessorArchitecture(Platform::kArchAmd64);
    std::set<std::string> table;
    for (int variant : {0, 1, 2, 3, 6, 7, 8, 10}) {
        VariantTable::SetCurrent(variant);
        char module[32] = {}, key[260] = {};
        VariantTable::Get(kResourceModuleFile, module, sizeof module);
        VariantTable::Get(kSettingsRegistryKey, key, sizeof key);
        // "...\<product name> Scanner\ScanLink": the product name is the key's product part.
        std::string product = key;
        product = product.substr(0, product.rfind(" Scanner\\ScanLink"));
        product = product.substr(product.rfind('\\') + 1);
        table.insert(std::string(module, 5) + "|" + product + "|" +
                     std::to_string(VariantTable::GetInt(kProductFamily)));
    }
    Platform::ClearTestOverrides();
    EXPECT_EQ(8u, listed.size());
    EXPECT_EQ(table, listed);
}
