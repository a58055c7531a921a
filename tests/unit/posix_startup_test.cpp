// Start-up on the native build: a damaged string file and a mutex made by another instance
// between this one's open and creation. (The Windows program: tests/wine/test_startup.sh.)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/scanlink_app.h"
#include "doubles/mutex_race.h"
#include "platform/mutex.h"
#include "test_support.h"

namespace {

// Start-up without options from a system folder that holds the resource module and the string
// file; the hand-off stops before the dialog. (The Windows program: tests/wine/test_startup.sh.)
class StartUpTest : public CleanState {
protected:
    void SetUp() override
    {
        CleanState::SetUp();
        ::setenv("SCANLINK_HANDOFF_STOP", "1", 1);
        ::setenv("SCANLINK_TRACE_HANDOFF", "1", 1);
        ::setenv("SCANLINK_TRACE_FILE", (folder_.Path() + "/trace.txt").c_str(), 1);
        ::setenv("SCANLINK_SYSTEM_DIR", folder_.Path().c_str(), 1);
        Platform::SetTestOwnModulePath((folder_.Path() + "/R7240SLK.exe").c_str());
        folder_.Write("R7240RES.dll", "MZ");
        folder_.Write("R7240RS6.dll", "MZ");
        std::ifstream in(std::string(SCANLINK_SOURCE_DIR) + "/strings/en/R7240STR.tbl", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        strings_ = text.str();
        ASSERT_FALSE(strings_.empty());
    }
    void TearDown() override
    {
        for (const char* name :
             {"SCANLINK_HANDOFF_STOP", "SCANLINK_TRACE_HANDOFF", "SCANLINK_TRACE_FILE", "SCANLINK_SYSTEM_DIR"})
            ::unsetenv(name);
        PosixMutex::SetOpenMisses(false);
        CleanState::TearDown();
    }
    // Runs start-up; true when it reached the hand-off to the dialog.
    bool Start(const std::string& stringFile)
    {
        folder_.Write("R7240STR.tbl", stringFile);
        std::filesystem::remove(folder_.Path() + "/trace.txt");
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
        CQuilScanLinkApp app;
        app.InitInstance("");
        app.ExitInstance();
        return std::filesystem::exists(folder_.Path() + "/trace.txt");
    }

    TempFolder folder_;
    std::string strings_;
};

TEST_F(StartUpTest, DamagedStringFileShowsTheMissingFileText)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : strings_) utf16 += std::string{c, '\0'};
    const struct {
        const char* damage;
        std::string file;
    } cases[] = {
        {"no final line feed", strings_ + "STR_LAST=x"},
        {"a line without '='", "STR_A=1\nno equals sign\n" + strings_},
        {"a line over 1038 bytes", strings_ + "STR_LONG=" + std::string(1100, 'x') + "\n"},
        {"a NUL byte in a line", std::string("STR_A=1\0\n", 9) + strings_},
        {"saved as UTF-16", utf16},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Start(c.file)) << c.damage;
        EXPECT_EQ(1u, BoxCount()) << c.damage;
        EXPECT_EQ("The necessary file could be missing or damaged.", LastBoxText()) << c.damage;
    }
    EXPECT_TRUE(Start(strings_));
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(StartUpTest, MutexMadeByAnotherInstanceAfterTheOpenCountsAsRunning)
{
    // The other instance creates its mutex after this one's open found none: only the creation's
    // "already exists" answer tells.
    const Product& product = *Products::ByCode("R7240");
    for (const std::string& mutex : {LocalMutexName(product), GlobalMutexName(product)}) {
        const char* name = mutex.c_str();
        void* other = Platform::CreateOpenToAllMutex(name, nullptr);
        PosixMutex::SetOpenMisses(true);
        EXPECT_FALSE(Start(strings_)) << name;
        PosixMutex::SetOpenMisses(false);
        EXPECT_EQ("The scanner setup is already running.\nPlease finish it before you start it again.", LastBoxText())
            << name;
        Platform::ReleaseAndCloseMutex(other);
        EXPECT_TRUE(Start(strings_)) << name;  // nothing of the refused start stays held
    }
}

}  // namespace
