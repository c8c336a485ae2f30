// The driver against a real process: it starts the launcher, finds and reads its
// window, and takes a screenshot of it.
#include <gtest/gtest.h>

#include "tests/e2e/driver/driver.h"

using namespace e2e;

TEST(DriverSmoke, StartsTheLauncherAndReadsItsWindow) {
    Process launcher;
    ASSERT_TRUE(launcher.Start(L"/OvnD")) << "cannot start " << std::string(Environment::Get().exePath.begin(), Environment::Get().exePath.end());
    HWND wnd = WaitForWindow({.pid = launcher.Id(), .visibleOnly = true}, 20s);
    ASSERT_NE(wnd, nullptr) << "no window from the launcher";
    EXPECT_FALSE(ClassName(wnd).empty());
    EXPECT_TRUE(SaveScreenshot(Environment::Get().stateDir + L"\\smoke.png"));
}
