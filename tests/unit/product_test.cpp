// The product definition: names, folders and files per processor, titles, bounds, and the product a
// command-line text or a program's name names.
#include "product/product.h"

#include <string>

#include "test_support.h"

namespace {

class ProductTest : public CleanState {
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
    static const Product& P(const char* code) { return *Products::ByCode(code); }
    TempFolder folder_;
};

TEST_F(ProductTest, FileNamesAndFoldersFollowTheProcessor)
{
    EXPECT_EQ("R7240RS6.dll", ResourceModuleFile(P("R7240")));
    EXPECT_EQ("C:\\PF86\\VEL MORA\\chromaline 7240MF\\Scanner\\Network\\R7240N64.inf", InfPath(P("R7240")));
    EXPECT_EQ("C:\\PD\\Tarnico\\TARN TX210n Scanner", DataFolder(P("T210_")));
    EXPECT_EQ("Software\\Corvel\\Corvel Lumeo 8350MFP Scanner\\ScanLink", SettingsKey(P("L835_")));
    // Windows on ARM runs x64 programs: it is a 64-bit system, with the 64-bit module and folders.
    Platform::SetTestProcessorArchitecture(Platform::kArchArm64);
    EXPECT_EQ("R5180RS6.dll", ResourceModuleFile(P("R5180")));
    EXPECT_EQ("C:\\PF86\\VEL MORA\\chromaline 5180MF\\Scanner", InstallFolder(P("R5180")));
    Platform::SetTestProcessorArchitecture(Platform::kArchX86);
    EXPECT_EQ("R5180RES.dll", ResourceModuleFile(P("R5180")));
    EXPECT_EQ("C:\\PF\\corvel\\Lumeo 8350MFP\\Scanner\\Network\\L835_N32.inf", InfPath(P("L835_")));
    // A shell folder that cannot be read gives no folder and no setup information file.
    Platform::SetTestShellFolder(Platform::kFolderProgramFiles, nullptr, true);
    EXPECT_EQ("", InstallFolder(P("R7240")));
    EXPECT_EQ("", InfPath(P("R7240")));
    // Windows 2000 turns IPv6 off for every product.
    EXPECT_TRUE(OffersIpv6(P("TST30")));
    Platform::OsVersionInfo win2000{true, 5, 0, Platform::kProductWorkstation};
    Platform::SetTestOsVersion(&win2000);
    EXPECT_FALSE(OffersIpv6(P("TST30")));
}

TEST_F(ProductTest, TitlesDisplayNamesAndBounds)
{
    EXPECT_EQ("VEL MORA Dev7240 Scan Link", AppTitle(P("R7240")));
    EXPECT_EQ("Dev724X", ProductDisplayName(P("O724X")));
    EXPECT_EQ("MIRANO MR-DX52NF", ProductDisplayName(P("DX52F")));
    EXPECT_EQ("Scan Link", AppTitle(P("L835_")));  // its application name has no %s here
    Strings("STR_S_DEVNAME_L8350=Lumeo\nSTR_S_UTIL_APPNAME=%s ScanLink %s %d 100%%\n");
    EXPECT_EQ("Lumeo ScanLink %s %d 100%", AppTitle(P("L835_")));
    // Without its key the device name is empty, after the lookup's message.
    EXPECT_EQ("", DeviceDisplayName(P("R7240")));
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
    Strings("STR_S_DEVNAME_7240MF=" + std::string(80, 'N') + "\nSTR_S_UTIL_APPNAME=" + std::string(200, 'A') + "\n");
    EXPECT_EQ(std::string(31, 'N'), DeviceDisplayName(P("R7240")));
    EXPECT_EQ(63u, AppTitle(P("R7240")).size());
}

TEST_F(ProductTest, TheProductNamedByATextOrAProgram)
{
    // Option tokens, letter case ignored; the earlier product of the table wins.
    const std::pair<const char*, const char*> texts[] = {
        {"/usb TX210n", "T210_"}, {"/network T30 7240MF", "R7240"}, {"/NoPortSelect mr-dx52nf", "DX52F"},
        {"/usb", nullptr},        {"/network L835_MFP", "L835_"},
    };
    for (const auto& [text, code] : texts) {
        const Product* found = Products::FromOptionText(text);
        EXPECT_EQ(std::string(code ? code : "(none)"), found ? found->code : "(none)") << text;
    }
    EXPECT_EQ(&P("R7245"), Products::FromOptionText((std::string(10000, 'q') + "7245MF").c_str()));
    // Program tokens in the base name only, searched by characters (a token after multibyte ones).
    const std::pair<const char*, const char*> programs[] = {
        {"C:\\x\\r7240slk.exe", "R7240"},
        {"C:\\T30.exe", "TST30"},
        {"C:\\O724XSLK.exe", "O724X"},
        {"C:\\T210_SLK.exe", "T210_"},
        {"C:\\T210_.exe", nullptr},
        {"C:\\7240\\ScanLink.exe", nullptr},
        {"C:\\\u30b9\u30ad\u30e3\u30ca5180SLK.exe", "R5180"},
    };
    for (const auto& [path, code] : programs) {
        const Product* found = Products::FromProgramPath(path);
        EXPECT_EQ(std::string(code ? code : "(none)"), found ? found->code : "(none)") << path;
    }
}

}  // namespace
