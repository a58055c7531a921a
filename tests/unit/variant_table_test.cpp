// The product variant table for every item and variant, and variant detection.
#include "app/variant_table.h"

#include <cstring>
#include <string>

#include "app/os_class.h"
#include "app/scanlink_app.h"
#include "test_support.h"

namespace {

const int kProducts[] = {0, 1, 2, 3, 6, 7, 8, 10};
const int kUnlisted[] = {-1, 4, 5, 9, 11, 100};

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
        std::string strings =
            "STR_S_DEVNAME_7240MF=Dev7240\nSTR_S_DEVNAME_7245MF=Dev7245\nSTR_S_DEVNAME_TS30=DevT30\n"
            "STR_S_DEVNAME_5180MF=Dev5180\nSTR_S_DEVNAME_OC724X=Dev724X\nSTR_S_DEVNAME_TX210n=DevTX\n"
            "STR_S_DEVNAME_L8350=DevL835\nSTR_S_MANUF_NAME_TARN=Tarn Maker\nSTR_S_MANUF_NAME_CVL=Corvel Maker\n";
        ASSERT_EQ(0, StringTable::Load(folder_.Write("s.tbl", strings + appName_).c_str()));
    }
    std::string Text(int variant, int item, int* result = nullptr)
    {
        TheApp().m_nVariant = variant;
        char buffer[300];
        std::memset(buffer, '#', sizeof(buffer));
        buffer[sizeof(buffer) - 1] = '\0';
        int r = VariantTable::Get(item, buffer, sizeof(buffer));
        if (result != nullptr) *result = r;
        return buffer[0] == '#' ? std::string("<unchanged>") : std::string(buffer);
    }
    int Integer(int variant, int item, int* result = nullptr)
    {
        TheApp().m_nVariant = variant;
        int value = 12345;
        int r = VariantTable::Get(item, &value, sizeof(value));
        if (result != nullptr) *result = r;
        return value;
    }
    TempFolder folder_;
    std::string appName_ = "STR_S_UTIL_APPNAME=Scan Link\n";
};

struct Expected {
    int variant;
    const char* hardwareId;
    const char* registryKey;
    const char* resource64;
    const char* stringFile;
    const char* infPath32;
    const char* installFolder64;
    const char* dataFolder;
    const char* localMutex;
    const char* makerDisplay;
    const char* deviceDisplay;
    const char* appTitle;
    const char* productDisplay;
    int productFamily;
};

const Expected kExpected[] = {
    {0, "VEL_MORA_VC7240MF_Network_Scanner", "Software\\VEL MORA\\VEL MORA chromaline 7240MF Scanner\\ScanLink",
     "R7240RS6.dll", "R7240STR.tbl", "C:\\PF\\VEL MORA\\chromaline 7240MF\\Scanner\\Network\\R7240N32.inf",
     "C:\\PF86\\VEL MORA\\chromaline 7240MF\\Scanner", "C:\\PD\\VEL MORA\\chromaline 7240MF\\Scanner",
     "ScanLink Local Mutex chromaline 7240MF", "VEL MORA", "Dev7240", "VEL MORA Dev7240 Scan Link", "Dev7240", 0},
    {1, "VEL_MORA_VC7245MF_Network_Scanner", "Software\\VEL MORA\\VEL MORA chromaline 7245MF Scanner\\ScanLink",
     "R7245RS6.dll", "R7245STR.tbl", "C:\\PF\\VEL MORA\\chromaline 7245MF\\Scanner\\Network\\R7245N32.inf",
     "C:\\PF86\\VEL MORA\\chromaline 7245MF\\Scanner", "C:\\PD\\VEL MORA\\chromaline 7245MF\\Scanner",
     "ScanLink Local Mutex chromaline 7245MF", "VEL MORA", "Dev7245", "VEL MORA Dev7245 Scan Link", "Dev7245", 0},
    {2, "VEL_MORA_TST30_Network_Scanner", "Software\\VEL MORA\\VEL MORA tessera T30 Scanner\\ScanLink",
     "TST30RS6.dll", "TST30STR.tbl", "C:\\PF\\VEL MORA\\tessera T30\\Scanner\\Network\\TST30N32.inf",
     "C:\\PF86\\VEL MORA\\tessera T30\\Scanner", "C:\\PD\\VEL MORA\\tessera T30\\Scanner",
     "ScanLink Local Mutex tessera T30", "VEL MORA", "DevT30", "VEL MORA DevT30 Scan Link", "DevT30", 0},
    {3, "VEL_MORA_VC5180MF_Network_Scanner", "Software\\VEL MORA\\VEL MORA chromaline 5180MF Scanner\\ScanLink",
     "R5180RS6.dll", "R5180STR.tbl", "C:\\PF\\VEL MORA\\chromaline 5180MF\\Scanner\\Network\\R5180N32.inf",
     "C:\\PF86\\VEL MORA\\chromaline 5180MF\\Scanner", "C:\\PD\\VEL MORA\\chromaline 5180MF\\Scanner",
     "ScanLink Local Mutex chromaline 5180MF", "VEL MORA", "Dev5180", "VEL MORA Dev5180 Scan Link", "Dev5180", 1},
    {6, "VEL_MORA_OC724XMF_Network_Scanner", "Software\\VEL MORA\\VEL MORA ochre 724XMF Scanner\\ScanLink",
     "O724XRS6.dll", "O724XSTR.tbl", "C:\\PF\\VEL MORA\\ochre 724XMF\\Scanner\\Network\\O724XN32.inf",
     "C:\\PF86\\VEL MORA\\ochre 724XMF\\Scanner", "C:\\PD\\VEL MORA\\ochre 724XMF\\Scanner",
     "ScanLink Local Mutex ochre 724XMF", "VEL MORA", "Dev724X", "VEL MORA Dev724X Scan Link", "Dev724X", 1},
    {7, "TARN_TX210N_Network_Scanner", "Software\\Tarnico\\TARN TX210n Scanner\\ScanLink", "T210_RS6.dll",
     "T210_STR.tbl", "C:\\PF\\Tarnico\\TARN TX210n Scanner\\Network\\T210_N32.inf",
     "C:\\PF86\\Tarnico\\TARN TX210n Scanner", "C:\\PD\\Tarnico\\TARN TX210n Scanner", "ScanLink Local Mutex TX210n",
     "Tarn Maker", "DevTX", "Tarn Maker DevTX Scan Link", "DevTX", 1},
    {8, "CORVEL_8350MFP_Network_Scanner", "Software\\Corvel\\Corvel Lumeo 8350MFP Scanner\\ScanLink",
     "L835_RS6.dll", "L835_STR.tbl", "C:\\PF\\corvel\\Lumeo 8350MFP\\Scanner\\Network\\L835_N32.inf",
     "C:\\PF86\\corvel\\Lumeo 8350MFP\\Scanner", "C:\\PD\\corvel\\Lumeo 8350MFP\\Scanner",
     "ScanLink Local Mutex Lumeo 8350MFP", "Corvel Maker", "DevL835", "Scan Link", "DevL835", 1},
    {10, "MIRANO_MR-DX52NF_Network_Scanner", "Software\\MIRANO_P1\\MIRANO MR-DX52NF Scanner\\ScanLink",
     "DX52FRS6.dll", "DX52FSTR.tbl", "C:\\PF\\MIRANO_P1\\MR-DX52NF\\Scanner\\Network\\DX52FN32.inf",
     "C:\\PF86\\MIRANO_P1\\MR-DX52NF\\Scanner", "C:\\PD\\MIRANO_P1\\MR-DX52NF\\Scanner",
     "ScanLink Local Mutex MR-DX52NF", "MIRANO", "MR-DX52NF", "MIRANO MR-DX52NF Scan Link", "MIRANO MR-DX52NF", 1},
};

TEST_F(VariantTableTest, EveryProductItemOn64BitSystem)
{
    for (const Expected& e : kExpected) {
        SCOPED_TRACE("variant " + std::to_string(e.variant));
        int result = -9;
        EXPECT_EQ(e.hardwareId, Text(e.variant, kHardwareId, &result));
        EXPECT_EQ(kVariantOk, result);
        EXPECT_EQ(e.registryKey, Text(e.variant, kSettingsRegistryKey));
        EXPECT_EQ(e.resource64, Text(e.variant, kResourceModuleFile));
        EXPECT_EQ(e.stringFile, Text(e.variant, kStringFileName));
        EXPECT_EQ(e.installFolder64, Text(e.variant, kInstallFolder));
        EXPECT_EQ(std::string(e.installFolder64) + "\\Network\\" + std::string(e.stringFile, std::strlen(e.stringFile) - 7) +
                      "N64.inf",
                  Text(e.variant, kInfPath));
        EXPECT_EQ(e.dataFolder, Text(e.variant, kDataFolder));
        EXPECT_EQ(e.localMutex, Text(e.variant, kLocalMutexName));
        EXPECT_EQ(std::string("Global\\ScanLink Global Mutex") + (e.localMutex + 20), Text(e.variant, kGlobalMutexName));
        EXPECT_EQ(e.makerDisplay, Text(e.variant, kMakerDisplayName));
        EXPECT_EQ(e.deviceDisplay, Text(e.variant, kDeviceDisplayName));
        EXPECT_EQ(e.appTitle, Text(e.variant, kAppTitle));
        EXPECT_EQ(e.productDisplay, Text(e.variant, kProductDisplayName));
        EXPECT_EQ(e.productFamily, Integer(e.variant, kProductFamily));
        EXPECT_EQ(e.variant == 8 ? 1 : 0, Integer(e.variant, kHasAltModelOid));
        EXPECT_EQ(e.variant == 7 ? std::string("TARN TX210n Scanner") : std::string("<unchanged>"),
                  Text(e.variant, kProductFolderLeaf));
        EXPECT_EQ(e.variant == 8 ? std::string("1.3.6.1.4.1.1907.8.62.1.19.4.29.1.1") : std::string("<unchanged>"),
                  Text(e.variant, kAltModelOid));
        EXPECT_EQ(e.variant == 1 || e.variant == 2 ? 1 : 0, Integer(e.variant, kIpv6Available));
        for (int undefined : {8, 11, 26, 30, -5}) {
            EXPECT_EQ("<unchanged>", Text(e.variant, undefined, &result));
            EXPECT_EQ(kVariantUndefined, result);
        }
    }
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(VariantTableTest, IdentityAndMakerValues)
{
    EXPECT_EQ("1.3.6.1.4.1.40827.1.1.1.2.1.43.1.1", Text(0, kModelOid));
    EXPECT_EQ(Text(0, kModelOid), Text(6, kModelOid));
    EXPECT_EQ("1.3.6.1.4.1.40827.1.1.1.1.1.23.1.1", Text(3, kModelOid));
    EXPECT_EQ("1.3.6.1.4.1.3117.1.1.1.1", Text(7, kModelOid));
    EXPECT_EQ("1.3.6.1.4.1.2590.1.1.2.1.3.9.77.82.45.68.88.53.50.78.70", Text(10, kModelOid));
    EXPECT_EQ("VEL MORA tessera T30 Network Scanner", Text(2, kDeviceDescription));
    EXPECT_EQ("Lumeo 8350MFP Network Scanner", Text(8, kDeviceDescription));
    EXPECT_EQ("corvel", Text(8, kMakerFolderName));
    EXPECT_EQ("Corvel", Text(8, kMakerRegistryName));
    EXPECT_EQ("Software\\Tarnico", Text(7, kMakerRegistryKey));
    EXPECT_EQ("TX210n", Text(7, kModelName));
}

TEST_F(VariantTableTest, ThirtyTwoBitProcessorNames)
{
    Platform::SetTestProcessorArchitecture(Platform::kArchX86);
    EXPECT_EQ("R5180RES.dll", Text(3, kResourceModuleFile));
    EXPECT_EQ("C:\\PF\\VEL MORA\\chromaline 5180MF\\Scanner\\Network\\R5180N32.inf", Text(3, kInfPath));
    Platform::SetTestProcessorArchitecture(Platform::kArchIa64);
    EXPECT_EQ("R5180RS6.dll", Text(3, kResourceModuleFile));
    int result = -9;
    Platform::SetTestProcessorArchitecture(Platform::kArchUnknown);
    EXPECT_EQ("R5180RES.dll", Text(3, kResourceModuleFile, &result));
    EXPECT_EQ(kVariantUndefined, result);
}

TEST_F(VariantTableTest, UnlistedVariants)
{
    for (int v : kUnlisted) {
        SCOPED_TRACE("variant " + std::to_string(v));
        int result = -9;
        EXPECT_EQ(0, Integer(v, kIpv6Available, &result));
        EXPECT_EQ(kVariantUndefined, result);
        EXPECT_EQ("<unchanged>", Text(v, kHardwareId, &result));
        EXPECT_EQ(kVariantUndefined, result);
        EXPECT_EQ("<unchanged>", Text(v, kModelOid, &result));
        EXPECT_EQ(kVariantUndefined, result);
        for (int item : {3, 5, 6, 7, 10, 12, 16, 18, 20, 21, 22, 24, 25}) {
            EXPECT_EQ("<unchanged>", Text(v, item, &result)) << "item " << item;
            EXPECT_EQ(kVariantOk, result);
        }
        EXPECT_EQ(12345, Integer(v, kHasAltModelOid));
        EXPECT_EQ("", Text(v, kSettingsRegistryKey));
        EXPECT_EQ("", Text(v, kMakerDisplayName));
        EXPECT_EQ("\\Network\\", Text(v, kInfPath));
        EXPECT_EQ("ScanLink Local Mutex ", Text(v, kLocalMutexName));
        EXPECT_EQ("Global\\ScanLink Global Mutex ", Text(v, kGlobalMutexName));
        EXPECT_EQ(-1, Integer(v, kProductFamily));
        EXPECT_EQ("Software\\", Text(v, kMakerRegistryKey));
    }
}

TEST_F(VariantTableTest, Windows2000HasNoIpv6)
{
    Platform::OsVersionInfo win2000{true, 5, 0, Platform::kProductWorkstation};
    Platform::SetTestOsVersion(&win2000);
    for (int v : kProducts) EXPECT_EQ(0, Integer(v, kIpv6Available)) << v;
    Platform::OsVersionInfo xp{true, 5, 1, Platform::kProductWorkstation};
    Platform::SetTestOsVersion(&xp);
    EXPECT_EQ(1, Integer(1, kIpv6Available));
    EXPECT_EQ(1, Integer(2, kIpv6Available));
    Platform::OsVersionInfo failed{};
    Platform::SetTestOsVersion(&failed);
    EXPECT_EQ(1, Integer(2, kIpv6Available));
}

TEST(OsClassTest, Classification)
{
    using V = Platform::OsVersionInfo;
    const int ws = Platform::kProductWorkstation;
    EXPECT_EQ(0, ClassifyOsVersion(V{false, 6, 1, ws}));
    EXPECT_EQ(1, ClassifyOsVersion(V{true, 5, 0, 3}));
    EXPECT_EQ(2, ClassifyOsVersion(V{true, 5, 1, 3}));
    EXPECT_EQ(2, ClassifyOsVersion(V{true, 5, 2, ws}));
    EXPECT_EQ(3, ClassifyOsVersion(V{true, 5, 2, 3}));
    EXPECT_EQ(4, ClassifyOsVersion(V{true, 6, 0, ws}));
    EXPECT_EQ(4, ClassifyOsVersion(V{true, 6, 3, 3}));
    EXPECT_EQ(5, ClassifyOsVersion(V{true, 6, 0, 2}));
    EXPECT_EQ(6, ClassifyOsVersion(V{true, 6, 1, 3}));
    EXPECT_EQ(7, ClassifyOsVersion(V{true, 6, 1, ws}));
    EXPECT_EQ(8, ClassifyOsVersion(V{true, 10, 0, ws}));
    EXPECT_EQ(8, ClassifyOsVersion(V{true, 5, 3, ws}));
}

TEST_F(VariantTableTest, StringFileNamesAndTitlesAreBounded)
{
    StringTable::Clear();
    std::string longName(80, 'N');
    std::string strings = "STR_S_DEVNAME_7240MF=" + longName + "\nSTR_S_UTIL_APPNAME=" + std::string(200, 'A') +
                          "\nSTR_S_DEVNAME_L8350=L\n";
    ASSERT_EQ(0, StringTable::Load(folder_.Write("b.tbl", strings).c_str()));
    EXPECT_EQ(std::string(31, 'N'), Text(0, kDeviceDisplayName));
    char title[64];
    std::memset(title, 'x', sizeof(title));
    TheApp().m_nVariant = 0;
    VariantTable::Get(kAppTitle, title, sizeof(title));
    EXPECT_EQ(63u, std::strlen(title));
    EXPECT_EQ(0, std::strncmp(title, "VEL MORA NNNN", 13));
}

TEST_F(VariantTableTest, Variant8TitlePlacesTheDeviceNameOnce)
{
    StringTable::Clear();
    ASSERT_EQ(0, StringTable::Load(
                     folder_.Write("f.tbl", "STR_S_DEVNAME_L8350=Lumeo\nSTR_S_UTIL_APPNAME=%s ScanLink %s %d 100%%\n").c_str()));
    EXPECT_EQ("Lumeo ScanLink %s %d 100%", Text(8, kAppTitle));
}

TEST_F(VariantTableTest, MissingDeviceNameKeyShowsMessageAndGivesEmptyName)
{
    StringTable::Clear();
    EXPECT_EQ("", Text(0, kDeviceDisplayName));
    EXPECT_EQ("Can not get StringTable.", LastBoxText());
    // Variant 10 needs no string file.
    Platform::ClearRecordedMessageBoxes();
    EXPECT_EQ("MR-DX52NF", Text(10, kDeviceDisplayName));
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(VariantTableTest, ShellFolderFailureGivesNoFolder)
{
    Platform::SetTestShellFolder(Platform::kFolderProgramFilesX86, nullptr, true);
    EXPECT_EQ("<unchanged>", Text(0, kInstallFolder));
    EXPECT_EQ("\\Network\\R7240N64.inf", Text(0, kInfPath));
}

TEST_F(VariantTableTest, SmallBuffersAreNeverOverrun)
{
    TheApp().m_nVariant = 0;
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    VariantTable::Get(kSettingsRegistryKey, buffer, 4);
    EXPECT_STREQ("Sof", buffer);
    EXPECT_EQ('x', buffer[4]);
    short tiny = 77;
    VariantTable::Get(kProductFamily, &tiny, sizeof(tiny));
    EXPECT_EQ(77, tiny);
}

class DetectVariantTest : public CleanState {};

TEST_F(DetectVariantTest, FromCommandLine)
{
    EXPECT_EQ(7, DetectVariant(UsbPort, "/usb TX210n"));
    EXPECT_EQ(-1, DetectVariant(UsbPort, "/usb"));
    EXPECT_EQ(0, DetectVariant(NetworkPort, "/network T30 7240MF"));
    EXPECT_EQ(8, DetectVariant(GivenAddress, "/network L835_MFP ip:1.2.3.4"));
    EXPECT_EQ(10, DetectVariant(AskPort, "/NoPortSelect mr-dx52nf"));
    EXPECT_EQ(6, DetectVariant(AskPort, "/NoPortSelect 724xmf"));
    EXPECT_EQ(3, DetectVariant(AskPort, "5180MF"));
    EXPECT_EQ(1, DetectVariant(AskPort, "7245MF"));
    EXPECT_EQ(2, DetectVariant(AskPort, "t30"));
    EXPECT_EQ(-1, DetectVariant(AskPort, nullptr));
    EXPECT_EQ(-1, DetectVariant(-1, "7240MF"));
    std::string huge(10000, 'q');
    EXPECT_EQ(1, DetectVariant(UsbPort, (huge + "7245MF").c_str()));
}

TEST_F(DetectVariantTest, FromExecutableName)
{
    const struct {
        const char* path;
        int variant;
    } cases[] = {
        {"C:\\Program Files\\X\\R7240SLK.exe", 0}, {"C:\\x\\r7240slk.exe", 0}, {"/opt/any7245name", 1},
        {"C:\\T30.exe", 2},                         {"C:\\R5180SLK.EXE", 3},    {"C:\\O724XSLK.exe", 6},
        {"C:\\T210_SLK.exe", 7},                    {"C:\\L835_SLK.exe", 8},    {"C:\\DX52FSLK.exe", 10},
        {"C:\\7240\\ScanLink.exe", -1},             {"C:\\dir\\.exe", -1},      {"C:\\ScanLink.exe", -1},
        {"C:\\T210_.exe", -1},
    };
    for (const auto& c : cases) {
        Platform::SetTestOwnModulePath(c.path);
        EXPECT_EQ(c.variant, DetectVariant(Standalone, "7245MF")) << c.path;
    }
}

}  // namespace
