// Cursor, system metrics, system colours and the screen-saver-running flag.
#include <gtest/gtest.h>
#include <windows.h>

#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

class System : public testsupport::HeadlessTest {
 protected:
  int ScreenWidth() const override { return 800; }
  int ScreenHeight() const override { return 600; }
};

TEST_F(System, CursorHidesWithANullCursorOrANegativeShowCount) {
  EXPECT_TRUE(headless::CursorVisible());
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_WAIT), arrow);
  EXPECT_EQ(SetCursor(nullptr), arrow);
  EXPECT_FALSE(headless::CursorVisible());
  SetCursor(arrow);
  EXPECT_TRUE(headless::CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(headless::CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(headless::CursorVisible());
  SetCursorPos(30, 40);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, 40);
}

TEST_F(System, MetricsAndColours) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(GetSysColor(COLOR_3DFACE), RGB(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 128));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
  EXPECT_NE(face, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_3DFACE), face);
}

TEST_F(System, ScreenSaverRunningFlagReportsThePreviousState) {
  BOOL previous = 7;
  EXPECT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0));
  EXPECT_EQ(previous, FALSE);
  EXPECT_TRUE(SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0));
  EXPECT_EQ(previous, TRUE);
  BOOL running = 7;
  EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
  EXPECT_EQ(running, FALSE);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &running, 0));
}

}  // namespace
