// Start-up on the native build: a damaged string file and a mutex made by another instance
// between this one's open and creation. (The Windows program: tests/wine/test_startup.sh.)
#include <cstdlib>
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
        Platform::SetTestSystemDirectory(folder_.Path().c_str());
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
        ::unsetenv("SCANLINK_HANDOFF_STOP");
        PosixMutex::SetOpenMisses(false);
        CleanState::TearDown();
    }
    int Start(const std::string& stringFile)
    {
        folder_.Write("R7240STR.tbl", stringFile);
        StringTable::Clear();
        Platform::ClearRecordedMessageBoxes();
        CQuilScanLinkApp app;
        app.InitInstance("");
        app.ExitInstance();
        return app.LastStartStatus();
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
        EXPECT_EQ(kStartStringFileFailed, Start(c.file)) << c.damage;
        EXPECT_EQ(1u, BoxCount()) << c.damage;
        EXPECT_EQ("The necessary file could be missing or damaged.", LastBoxText()) << c.damage;
    }
    EXPECT_EQ(kStartContinue, Start(strings_));
    EXPECT_EQ(0u, BoxCount());
}

TEST_F(StartUpTest, MutexMadeByAnotherInstanceAfterTheOpenCountsAsRunning)
{
    // The other instance creates its mutex after this one's open found none: only the creation's
    // "already exists" answer tells.
    VariantTable::SetCurrent(0);
    for (int item : {kLocalMutexName, kGlobalMutexName}) {
        char name[128] = {};
        VariantTable::Get(item, name, sizeof name);
        void* other = Platform::CreateOpenToAllMutex(name, nullptr);
        PosixMutex::SetOpenMisses(true);
        EXPECT_EQ(kStartAlreadyRunning, Start(strings_)) << name;
        PosixMutex::SetOpenMisses(false);
        EXPECT_EQ("The scanner setup is already running.\nPlease finish it before you start it again.", LastBoxText())
            << name;
        Platform::ReleaseAndCloseMutex(other);
        EXPECT_EQ(kStartContinue, Start(strings_)) << name;  // nothing of the refused start stays held
    }
}

}  // namespace
