// Start-up of the application object: command-line modes, the "ip:" scan, finding and loading the
// variant's files, the titles and the single-instance guard.
#include "app/scanlink_app.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/mutex.h"
#include "test_support.h"

namespace {

class CommandLineTest : public CleanState {
protected:
    CQuilScanLinkApp app_;
};

TEST_F(CommandLineTest, LaterOptionsWin)
{
    const struct {
        const char* line;
        int mode;
        int quiet;
        int maintenance;
    } cases[] = {
        {"", Standalone, 0, 0},
        {"/NoPortSelect", AskPort, 0, 0},
        {"/usb /network", NetworkPort, 0, 0},
        {"/network /usb", NetworkPort, 0, 0},
        {"/NoPortSelect /usb /quiet", UsbPort, 1, 0},
        {"/USB", Standalone, 0, 0},
        {"/network /mentenance", NetworkPort, 0, 1},
        {"/maintenance", Standalone, 0, 0},
        {"x/usbx", UsbPort, 0, 0},
        {"/usb ip:192.168.1.20", UsbPort, 0, 0},  // "ip:" without "L835_MFP" is ignored
    };
    for (const auto& c : cases) {
        app_.ParseCommandLine(c.line);
        EXPECT_EQ(c.mode, app_.m_nLaunchMode) << c.line;
        EXPECT_EQ(c.quiet, app_.m_bQuiet) << c.line;
        EXPECT_EQ(c.maintenance, app_.m_bMaintenance) << c.line;
    }
}

TEST_F(CommandLineTest, GivenAddressNeedsValidIpv4)
{
    app_.ParseCommandLine("/network L835_MFP ip:192.168.1.20");
    EXPECT_EQ(GivenAddress, app_.m_nLaunchMode);
    EXPECT_STREQ("192.168.1.20", app_.m_szGivenAddress);

    CQuilScanLinkApp b;
    b.ParseCommandLine("/usb L835_MFP ip:myscanner");
    EXPECT_EQ(AskPort, b.m_nLaunchMode);
    EXPECT_STREQ("myscanner", b.m_szGivenAddress);

    CQuilScanLinkApp c;
    c.ParseCommandLine("L835_MFP ip:192.168.1.20 /quiet");
    EXPECT_EQ(AskPort, c.m_nLaunchMode);
    EXPECT_STREQ("192.168.1.20 ", c.m_szGivenAddress);
    EXPECT_EQ(1, c.m_bQuiet);

    CQuilScanLinkApp d;
    d.ParseCommandLine("L835_MFP ip:10.0.0.7/quiet");
    EXPECT_EQ(GivenAddress, d.m_nLaunchMode);
    EXPECT_STREQ("10.0.0.7", d.m_szGivenAddress);
}

TEST(ExtractGivenAddressTest, ScanRules)
{
    char address[128];
    ExtractGivenAddress("x ip:1.2.3.4:80 ip:5.6.7.8", address, sizeof(address));
    EXPECT_STREQ("1.2.3.4", address);
    ExtractGivenAddress("ip:", address, sizeof(address));
    EXPECT_STREQ("", address);
    ExtractGivenAddress("i p:1.2.3.4 zip:9.9.9.9", address, sizeof(address));
    EXPECT_STREQ("9.9.9.9", address);
    ExtractGivenAddress("IP:1.2.3.4", address, sizeof(address));
    EXPECT_STREQ("", address);
    // Only the first 255 characters of the command line are scanned.
    std::string late = std::string(250, ' ') + "ip:1.2.3.4";
    ExtractGivenAddress(late.c_str(), address, sizeof(address));
    EXPECT_STREQ("1.", address);
    // An address longer than 127 characters is cut and terminated.
    std::string longAddress = "ip:" + std::string(240, '7');
    ExtractGivenAddress(longAddress.c_str(), address, sizeof(address));
    EXPECT_EQ(127u, std::strlen(address));
}

// A start-up with its folders in a private temporary folder.
class StartUpTest : public CleanState {
protected:
    void SetUp() override
    {
        CleanState::SetUp();
        Platform::SetTestProcessorArchitecture(Platform::kArchAmd64);
        Platform::SetTestOwnModulePath((system_.Path() + "/R7240SLK.exe").c_str());
        Platform::SetTestSystemDirectory(system_.Path().c_str());
        Platform::SetTestShellFolder(Platform::kFolderProgramFilesX86, programFiles_.Path().c_str());
    }
    static std::string ShippedStrings(const char* code)
    {
#ifdef _WIN32
        std::ifstream in(std::string("Z:") + SCANLINK_SOURCE_DIR + "/strings/en/" + code + "STR.tbl", std::ios::binary);
#else
        std::ifstream in(std::string(SCANLINK_SOURCE_DIR) + "/strings/en/" + code + "STR.tbl", std::ios::binary);
#endif
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Places a resource module (any file starting like an executable image) and the shipped
    // string file of the code in folder.
    static void PlaceFiles(const TempFolder& folder, const char* code, const std::string& subfolder = "")
    {
        std::string prefix = subfolder.empty() ? "" : subfolder + "/";
        if (!subfolder.empty()) std::filesystem::create_directories(folder.Path() + "/" + subfolder);
        folder.Write(prefix + code + "RS6.dll", std::string(ModuleImage()));
        folder.Write(prefix + code + "STR.tbl", ShippedStrings(code));
    }
    static std::string ModuleImage()
    {
#ifdef _WIN32
        // A real resource module is needed on Windows: use the test program itself.
        std::ifstream in(std::string(TestProgramPath()), std::ios::binary);
        std::stringstream image;
        image << in.rdbuf();
        return image.str();
#else
        return "MZ resource module stand-in";
#endif
    }
    static std::string TestProgramPath();
    std::string BoxTexts() const
    {
        std::string all;
        for (const auto& box : Platform::RecordedMessageBoxes()) all += "[" + box.caption + "|" + box.text + "]";
        return all;
    }
    TempFolder system_;
    TempFolder programFiles_;
};

std::string StartUpTest::TestProgramPath()
{
    return ::testing::internal::GetArgvs()[0];
}

TEST_F(StartUpTest, MissingFilesInSystemDirectory)
{
    CQuilScanLinkApp app;
    EXPECT_FALSE(app.InitInstance(""));
    EXPECT_EQ(kStartMissingFile, app.LastStartStatus());
    EXPECT_EQ(0, app.m_nVariant);
    EXPECT_EQ("[R7240SLK|The necessary file could be missing or damaged.]", BoxTexts());
    // The resource module alone is not enough.
    system_.Write("R7240RS6.dll", ModuleImage());
    CQuilScanLinkApp second;
    Platform::ClearRecordedMessageBoxes();
    second.InitInstance("");
    EXPECT_EQ(kStartMissingFile, second.LastStartStatus());
    EXPECT_NE(nullptr, second.m_hResModule);
    EXPECT_EQ("[R7240SLK|The necessary file could be missing or damaged.]", BoxTexts());
    second.ExitInstance();
    EXPECT_EQ(nullptr, second.m_hResModule);
}

TEST_F(StartUpTest, UnloadableModuleIsReported)
{
    system_.Write("R7240RS6.dll", "not a module");
    system_.Write("R7240STR.tbl", ShippedStrings("R7240"));
    CQuilScanLinkApp app;
    app.InitInstance("");
    EXPECT_EQ(kStartMissingFile, app.LastStartStatus());
    EXPECT_EQ("[R7240SLK|Failed to load resource module.]", BoxTexts());
}

TEST_F(StartUpTest, StandaloneStartTakesBothMutexesAndSetsTitles)
{
    PlaceFiles(system_, "R7240");
    {
        CQuilScanLinkApp app;
        EXPECT_FALSE(app.InitInstance(""));
        EXPECT_EQ(kStartContinue, app.LastStartStatus()) << BoxTexts();
        EXPECT_EQ(Standalone, app.m_nLaunchMode);
        EXPECT_EQ("VEL MORA chromaline 7240MF", app.m_strDeviceTitle);
        EXPECT_EQ("VEL MORA chromaline 7240MF Network Scanner Setup", app.m_strAppTitle);
        EXPECT_NE(nullptr, app.m_hLocalMutex);
        EXPECT_NE(nullptr, app.m_hGlobalMutex);
        EXPECT_EQ("", BoxTexts());

        // A second start of the same product is refused with the string file's text.
        StringTable::Clear();
        CQuilScanLinkApp second;
        second.InitInstance("");
        EXPECT_EQ(kStartAlreadyRunning, second.LastStartStatus());
        ASSERT_EQ(1u, BoxCount());
        const auto& box = Platform::RecordedMessageBoxes().back();
        EXPECT_FALSE(box.framework);
        EXPECT_EQ("VEL MORA chromaline 7240MF Network Scanner Setup", box.caption);
        EXPECT_NE(std::string::npos, box.text.find("already running"));
        EXPECT_EQ(Platform::kMbTopmost | Platform::kMbIconError, box.style);
        EXPECT_EQ(nullptr, second.m_hLocalMutex);
        second.ExitInstance();

        // Another product is not blocked.
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
        Platform::SetTestOwnModulePath("C:\\x\\DX52FSLK.exe");
        PlaceFiles(system_, "DX52F");
        CQuilScanLinkApp other;
        other.InitInstance("");
        EXPECT_EQ(kStartContinue, other.LastStartStatus()) << BoxTexts();
        EXPECT_EQ(10, other.m_nVariant);
        EXPECT_EQ("MIRANO MR-DX52NF Network Scanner Setup", other.m_strAppTitle);
        other.ExitInstance();
        app.ExitInstance();
    }
    // The destructor released both mutexes.
    EXPECT_EQ(nullptr, Platform::OpenNamedMutex("ScanLink Local Mutex chromaline 7240MF"));
    EXPECT_EQ(nullptr, Platform::OpenNamedMutex("Global\\ScanLink Global Mutex chromaline 7240MF"));
}

TEST_F(StartUpTest, GlobalMutexAloneBlocks)
{
    PlaceFiles(system_, "R7240");
    void* held = Platform::CreateOpenToAllMutex("Global\\ScanLink Global Mutex chromaline 7240MF");
    ASSERT_NE(nullptr, held);
    CQuilScanLinkApp app;
    app.InitInstance("");
    EXPECT_EQ(kStartAlreadyRunning, app.LastStartStatus());
    EXPECT_NE(nullptr, app.m_hLocalMutex);  // the local one was taken first
    EXPECT_EQ(nullptr, app.m_hGlobalMutex);
    app.ExitInstance();
    Platform::ReleaseAndCloseMutex(held);
}

TEST_F(StartUpTest, ModeOptionLooksInInstallFolderOnly)
{
    PlaceFiles(system_, "R7245");
    CQuilScanLinkApp app;
    app.InitInstance("/usb 7245MF");
    EXPECT_EQ(1, app.m_nVariant);
    EXPECT_EQ(kStartMissingFile, app.LastStartStatus());
    EXPECT_EQ("[R7240SLK|The necessary file could be missing or damaged.]", BoxTexts());

    PlaceFiles(programFiles_, "R7245", "VEL MORA/chromaline 7245MF/Scanner");
    Platform::ClearRecordedMessageBoxes();
    CQuilScanLinkApp second;
    second.InitInstance("/usb 7245MF");
    EXPECT_EQ(kStartContinue, second.LastStartStatus()) << BoxTexts();
    EXPECT_EQ(UsbPort, second.m_nLaunchMode);
    second.ExitInstance();
}

TEST_F(StartUpTest, NoVariantMeansMissingFile)
{
    Platform::SetTestOwnModulePath("C:\\x\\ScanLink.exe");
    CQuilScanLinkApp app;
    app.InitInstance("");
    EXPECT_EQ(-1, app.m_nVariant);
    EXPECT_EQ(kStartMissingFile, app.LastStartStatus());
    EXPECT_EQ("[ScanLink|The necessary file could be missing or damaged.]", BoxTexts());
}

TEST_F(StartUpTest, StringFileProblems)
{
    system_.Write("R7240RS6.dll", ModuleImage());
    system_.Write("R7240STR.tbl", "STR_OK=OK\nbroken line\n");
    CQuilScanLinkApp app;
    app.InitInstance("");
    EXPECT_EQ(kStartStringFileFailed, app.LastStartStatus());
    EXPECT_EQ("", BoxTexts());  // the loader fails silently on a bad line
    app.ExitInstance();

    // A file without the device name key: the lookup's message, and the start goes on.
    StringTable::Clear();
    system_.Write("R7240STR.tbl", "STR_S_UTIL_APPNAME=Setup\n");
    CQuilScanLinkApp second;
    second.InitInstance("");
    EXPECT_EQ(kStartContinue, second.LastStartStatus());
    EXPECT_NE(std::string::npos, BoxTexts().find("[R7240SLK|Can not get StringTable.]"));
    EXPECT_EQ("VEL MORA ", second.m_strDeviceTitle);
    second.ExitInstance();
}

TEST_F(StartUpTest, VeryLongCommandLineAndTitle)
{
    PlaceFiles(programFiles_, "L835_", "corvel/Lumeo 8350MFP/Scanner");
    std::string line = "/network L835_MFP ip:" + std::string(5000, '1') + " " + std::string(5000, 'z');
    ASSERT_GE(line.size(), 10000u);
    CQuilScanLinkApp app;
    app.InitInstance(line.c_str());
    EXPECT_EQ(8, app.m_nVariant);
    EXPECT_EQ(AskPort, app.m_nLaunchMode);
    EXPECT_EQ(127u, std::strlen(app.m_szGivenAddress));
    EXPECT_EQ(kStartContinue, app.LastStartStatus()) << BoxTexts();
    EXPECT_EQ("Corvel Lumeo 8350MFP Network Scanner Setup", app.m_strAppTitle);
    app.ExitInstance();
}

}  // namespace
