// Ending the program from below: the display layer asks its host, the
// application object tells the user why and posts the quit message.
#include <gtest/gtest.h>

#include <string>

#include "app/PlatformApp.h"
#include "os/window/MessageQueue.h"
#include "os/window/Messages.h"
#include "render/DisplayHost.h"

namespace {

TEST(ExitRequest, TheDisplayHostEndsTheProgramThroughTheQuitMessage)
{
    OsResetMessageState();
    TPlatformApp app("", 0, true);
    ASSERT_EQ(app.GetExitCode(), 0);

    testing::internal::CaptureStderr();
    GetDisplayHost().Exit(-1, "The display could not be set up.");
    std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_NE(errors.find("The display could not be set up."), std::string::npos) << errors;
    EXPECT_EQ(app.GetExitCode(), -1);
    OsMessage message;
    ASSERT_TRUE(OsPeekMessage(&message, true));
    EXPECT_EQ(message.message, uint32_t(OsMsg::Quit));
    EXPECT_EQ(int32_t(message.wParam), -1);
    EXPECT_FALSE(OsPeekMessage(&message, true)) << "one quit message";
    OsResetMessageState();
}

} // namespace
