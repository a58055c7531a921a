// Start-up paths that only the native build can provoke: a socket library that does not start.
#include <cstdlib>

#include "app/scanlink_app.h"
#include "test_support.h"

namespace {

class SocketFailureTest : public CleanState {
protected:
    void TearDown() override
    {
        ::unsetenv("SCANLINK_SOCKETS_FAIL");
        CleanState::TearDown();
    }
};

TEST_F(SocketFailureTest, StartUpEndsWithItsMessageBeforeReadingTheCommandLine)
{
    ::setenv("SCANLINK_SOCKETS_FAIL", "1", 1);
    CQuilScanLinkApp app;
    EXPECT_FALSE(app.InitInstance("/usb 7240MF"));
    EXPECT_EQ(-1, app.m_nLaunchMode);
    ASSERT_EQ(1u, BoxCount());
    EXPECT_TRUE(Platform::RecordedMessageBoxes()[0].framework);
    EXPECT_EQ("Windows Sockets could not be started.", LastBoxText());
    EXPECT_EQ(0, app.ExitInstance());
}

}  // namespace
