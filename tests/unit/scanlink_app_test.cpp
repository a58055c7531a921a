// The command line's modes, options and "ip:" address (start-up: tests/wine/test_startup.sh).
#include "app/scanlink_app.h"

#include <cstring>
#include <string>

#include "test_support.h"

namespace {

class CommandLineTest : public CleanState {};

TEST_F(CommandLineTest, ModesAndOptions)
{
    const struct {
        const char* line;
        int mode;
        int quiet;
        int maintenance;
        const char* address;
    } cases[] = {
        {"", Standalone, 0, 0, ""},
        {"/NoPortSelect", AskPort, 0, 0, ""},
        {"/usb /network", NetworkPort, 0, 0, ""},  // the later option wins
        {"/NoPortSelect /usb /quiet", UsbPort, 1, 0, ""},
        {"/USB", Standalone, 0, 0, ""},
        {"/network /mentenance", NetworkPort, 0, 1, ""},
        {"/usb ip:192.168.1.20", UsbPort, 0, 0, ""},  // "ip:" counts only with "L835_MFP"
        {"/network L835_MFP ip:192.168.1.20", GivenAddress, 0, 0, "192.168.1.20"},
        {"L835_MFP ip:10.0.0.7/quiet", GivenAddress, 1, 0, "10.0.0.7"},
        {"/usb L835_MFP ip:myscanner", AskPort, 0, 0, "myscanner"},
        {"/usb L835_MFP ip:192.168.001.010", AskPort, 0, 0, "192.168.001.010"},  // read as octal elsewhere
        {"L835_MFP ip:192.168.1.20 /quiet", AskPort, 1, 0, "192.168.1.20 "},
    };
    for (const auto& c : cases) {
        CQuilScanLinkApp app;
        app.ParseCommandLine(c.line);
        EXPECT_EQ(c.mode, app.m_nLaunchMode) << c.line;
        EXPECT_EQ(c.quiet, app.m_bQuiet) << c.line;
        EXPECT_EQ(c.maintenance, app.m_bMaintenance) << c.line;
        EXPECT_STREQ(c.address, app.m_szGivenAddress) << c.line;
    }
}

TEST_F(CommandLineTest, LongCommandLinesAreCut)
{
    // Only the first 255 characters are scanned for "ip:", and the address is cut to 127.
    char address[128];
    ExtractGivenAddress((std::string(250, ' ') + "ip:1.2.3.4").c_str(), address, sizeof(address));
    EXPECT_STREQ("1.", address);
    std::string line = "/network L835_MFP ip:" + std::string(5000, '1') + " " + std::string(5000, 'z');
    CQuilScanLinkApp app;
    app.ParseCommandLine(line.c_str());
    EXPECT_EQ(AskPort, app.m_nLaunchMode);
    EXPECT_EQ(127u, std::strlen(app.m_szGivenAddress));
    EXPECT_EQ(8, DetectVariant(app.m_nLaunchMode, line.c_str()));
}

}  // namespace
