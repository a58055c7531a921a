// The start-up request: the installer's options and the administrators' modes of one command line,
// the values cut out before options and product tokens are searched, and the product it names.
#include "app/startup_request.h"

#include <string>

#include "test_support.h"

namespace {

using Mode = CommandLineMode;

TEST(StartupRequest, OptionsValuesAndTheProductOfOneCommandLine)
{
    struct Case {
        const char* line;
        LaunchMode launch;
        bool quiet, maintenance;
        Mode mode;
        bool ipv6;
        const char *address, *out, *product;  // address: the given one, or /set's
    };
    const Case cases[] = {
        {"", Standalone, 0, 0, Mode::None, 0, "", "", "R7240"},  // from the program's name
        {"/NoPortSelect", AskPort, 0, 0, Mode::None, 0, "", "", ""},
        {"/usb /network", NetworkPort, 0, 0, Mode::None, 0, "", "", ""},  // the later option wins
        {"/NoPortSelect /usb /quiet 7245MF", UsbPort, 1, 0, Mode::None, 0, "", "", "R7245"},
        {"/USB", Standalone, 0, 0, Mode::None, 0, "", "", "R7240"},
        {"/network /mentenance T30", NetworkPort, 0, 1, Mode::None, 0, "", "", "TST30"},
        {"/usb ip:192.168.1.20", UsbPort, 0, 0, Mode::None, 0, "", "", ""},  // "ip:" only with "L835_MFP"
        {"/network L835_MFP ip:192.168.1.20", GivenAddress, 0, 0, Mode::None, 0, "192.168.1.20", "", "L835_"},
        {"L835_MFP ip:10.0.0.7/quiet", GivenAddress, 1, 0, Mode::None, 0, "10.0.0.7", "", "L835_"},
        {"/usb L835_MFP ip:myscanner", AskPort, 0, 0, Mode::None, 0, "myscanner", "", "L835_"},
        {"/usb L835_MFP ip:192.168.001.010", AskPort, 0, 0, Mode::None, 0, "192.168.001.010", "", "L835_"},
        {"L835_MFP ip:192.168.1.20 /quiet", AskPort, 1, 0, Mode::None, 0, "192.168.1.20 ", "", "L835_"},
        {"/network L835_MFP ip:T30", AskPort, 0, 0, Mode::None, 0, "T30", "", "L835_"},  // no token in a value
        {"/network /ipv6 7245MF", NetworkPort, 0, 0, Mode::None, 1, "", "", "R7245"},
        {"/refresh", Standalone, 0, 0, Mode::Refresh, 0, "", "", "R7240"},
        {"/Refresh 7240MF", Standalone, 0, 0, Mode::None, 0, "", "", "R7240"},  // case-sensitive
        {"7245MF /list /ipv6 /out:C:\\found.json", Standalone, 0, 0, Mode::List, 1, "", "C:\\found.json", "R7245"},
        {"/list /out:\"C:\\My Files\\f.json\" 5180MF", Standalone, 0, 0, Mode::List, 0, "", "C:\\My Files\\f.json",
         "R5180"},
        {"/set ip:198.51.100.7 7240MF", Standalone, 0, 0, Mode::Set, 0, "198.51.100.7", "", "R7240"},
        {"/set ip:fe80::7%3 7245MF", Standalone, 0, 0, Mode::Set, 0, "fe80::7%3", "", "R7245"},
        {"L835_MFP /set ip:198.51.100.7", Standalone, 0, 0, Mode::Set, 0, "198.51.100.7", "", "L835_"},
        {"ip:198.51.100.7 /set", Standalone, 0, 0, Mode::Set, 0, "", "", "R7240"},  // "ip:" before "/set"
        {"/list /refresh", Standalone, 0, 0, Mode::List, 0, "", "", "R7240"},       // the first one runs
        {"/network /refresh /quiet 7245MF", Standalone, 1, 0, Mode::Refresh, 0, "", "", "R7245"},
        // Nothing is found inside a value: no product token, no option, no mode.
        {"/list /out:C:\\Data\\Unit30\\found.json", Standalone, 0, 0, Mode::List, 0, "", "C:\\Data\\Unit30\\found.json",
         "R7240"},
        {"/out:C:/settings/x.json /list", Standalone, 0, 0, Mode::List, 0, "", "C:/settings/x.json", "R7240"},
        {"/list /out:D:\\ipv6\\x.json /trace:C:\\usb\\T30.txt", Standalone, 0, 0, Mode::List, 0, "", "D:\\ipv6\\x.json",
         "R7240"},
        {"/set ip:/list", Standalone, 0, 0, Mode::Set, 0, "/list", "", "R7240"},
        {"/refresh /targets:/ipv6,T30.example,/list 7245MF", Standalone, 0, 0, Mode::Refresh, 0, "", "", "R7245"},
        {"/targets:\"/set x\" /list /out:a.json", Standalone, 0, 0, Mode::List, 0, "", "a.json", "R7240"},
        {"/list/ipv6 /settings", Standalone, 0, 0, Mode::None, 0, "", "", "R7240"},  // not whole words
        {"7245MF /credentials user:u auth:SHA priv:none", Standalone, 0, 0, Mode::Credentials, 0, "", "", "R7245"},
        {"/credentials user:\"a /list T30\" auth:SHA", Standalone, 0, 0, Mode::Credentials, 0, "", "", "R7240"},
    };
    for (const Case& c : cases) {
        const StartupRequest r = ParseStartupRequest(c.line);
        EXPECT_EQ(c.launch, r.launchMode) << c.line;
        EXPECT_EQ(c.quiet, r.quiet) << c.line;
        EXPECT_EQ(c.maintenance, r.maintenance) << c.line;
        EXPECT_EQ(c.mode, r.mode) << c.line;
        EXPECT_EQ(c.ipv6, r.ipv6) << c.line;
        EXPECT_EQ(c.address, r.mode == Mode::Set ? r.address : r.givenAddress) << c.line;
        EXPECT_EQ(c.out, r.outPath) << c.line;
        const Product* product = RequestedProduct(r, "C:\\Program Files\\ScanLink\\R7240SLK.exe");
        EXPECT_EQ(c.product, std::string(product != nullptr ? product->code : "")) << c.line;
    }
    EXPECT_EQ("C:\\usb\\T30.txt", ParseStartupRequest("/usb 7245MF /trace:C:\\usb\\T30.txt").tracePath);
    const StartupRequest credentials = ParseStartupRequest("/credentials user:\"a /list T30\" auth:SHA-256 clear");
    EXPECT_EQ(credentials.credentialsUser + "|" + credentials.credentialsAuth, "a /list T30|SHA-256");
    EXPECT_TRUE(credentials.credentialsUserGiven && credentials.credentialsAuthGiven && credentials.credentialsClear);
    EXPECT_FALSE(credentials.credentialsPrivGiven || ParseStartupRequest("/list user:u clear").credentialsClear);
    const StartupRequest tooLong = ParseStartupRequest(("/set ip:" + std::string(128, '1')).c_str());
    EXPECT_TRUE(tooLong.addressGiven && tooLong.addressTooLong);
    // The installer's "ip:" is read in the first 255 characters, its address cut to 127.
    EXPECT_EQ("1.", ParseStartupRequest((std::string(241, ' ') + "L835_MFP ip:1.2.3.4").c_str()).givenAddress);
    const StartupRequest cut =
        ParseStartupRequest(("/network L835_MFP ip:" + std::string(5000, '1') + " " + std::string(5000, 'z')).c_str());
    EXPECT_EQ(AskPort, cut.launchMode);
    EXPECT_EQ(127u, cut.givenAddress.size());
}

}  // namespace
