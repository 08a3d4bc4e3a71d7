#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "entry.h"
#include "orvanel/headless.h"
#include "saver_state.h"
#include "support/host_fixture.h"

namespace {

class SaverModes : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
  }
  // Each mode runs as a fresh process would: a new screen and saver state.
  void Fresh() {
    testsupport::StartHeadless(ScreenWidth(), ScreenHeight(), ScreenDepth(), Windows95());
    ResetSaverState();
  }
  int Run(const std::string& commandLine) {
    return DispatchMode(GetModuleHandleA(nullptr), commandLine.c_str(), SW_SHOWDEFAULT);
  }
};

TEST(ParseWindowHandle, ReadsLeadingDecimalDigitsOnly) {
  EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
  EXPECT_EQ(ParseWindowHandle("12ab"), 12u);
  EXPECT_EQ(ParseWindowHandle(""), 0u);
  EXPECT_EQ(ParseWindowHandle("-1"), 0u);
  EXPECT_EQ(ParseWindowHandle("0x10"), 0u);
  EXPECT_EQ(ParseWindowHandle(" 5"), 0u);
}

TEST_F(SaverModes, UnknownLettersAndBadPreviewHandlesExitWithMinusOne) {
  for (const char* line : {"/x", "x", "/p", "/p -1", "/p 0x10", "/l 0", "/p 987654"}) {
    Fresh();
    EXPECT_EQ(Run(line), -1) << "command line '" << line << "'";
  }
}

TEST_F(SaverModes, EveryFullScreenSpellingRunsUntilAKeyPress) {
  for (const char* line : {"/s", "-s", " S", "/ /s", "s", "/save"}) {
    Fresh();
    uint32_t start = headless::Now();
    headless::PressKey(VK_SPACE, start + 1000);
    EXPECT_EQ(Run(line), 0) << "command line '" << line << "'";
    EXPECT_GE(headless::Now() - start, 1000u) << "'" << line << "' ended before the key press";
    EXPECT_LT(headless::Now() - start, 1500u) << "'" << line << "' did not end on the key press";
  }
}

TEST_F(SaverModes, MouseMovesBelowTheThresholdKeepTheSaver) {
  uint32_t start = headless::Now();
  POINT origin;
  GetCursorPos(&origin);
  // 4 pixels in total from the position at creation: noise.
  headless::MoveMouse(origin.x + 2, origin.y + 2, start + 600);
  headless::MoveMouse(origin.x + 1, origin.y + 3, start + 700);
  headless::PressKey(VK_SPACE, start + 3000);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_GE(headless::Now() - start, 3000u);
}

TEST_F(SaverModes, AMouseMoveOfFivePixelsEndsTheSaver) {
  uint32_t start = headless::Now();
  POINT origin;
  GetCursorPos(&origin);
  headless::MoveMouse(origin.x + 3, origin.y + 2, start + 600);
  headless::PressKey(VK_SPACE, start + 3000);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_LT(headless::Now() - start, 1000u);
}

TEST_F(SaverModes, ClicksAndLossOfActivationEndTheSaver) {
  uint32_t start = headless::Now();
  POINT origin;
  GetCursorPos(&origin);
  headless::ButtonDown(origin.x, origin.y, 1, start + 700);
  headless::PressKey(VK_SPACE, start + 3000);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_LT(headless::Now() - start, 1000u);

  Fresh();
  start = headless::Now();
  headless::DeactivateApp(start + 800);
  headless::PressKey(VK_SPACE, start + 3000);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_LT(headless::Now() - start, 1100u);
}

TEST_F(SaverModes, TerminationEndsTheSaverCleanly) {
  uint32_t start = headless::Now();
  headless::Terminate(start + 700);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_LT(headless::Now() - start, 1000u);
}

TEST_F(SaverModes, PreviewRunsInsideTheGivenWindowAndIgnoresInput) {
  for (int spelling = 0; spelling < 3; ++spelling) {
    Fresh();
    HWND parent = headless::CreateForeignWindow(100, 100, 152, 112);
    std::string id = std::to_string(reinterpret_cast<UINT_PTR>(parent));
    std::string line = spelling == 0 ? "/p " + id : spelling == 1 ? "/p" + id : "/l " + id;
    uint32_t start = headless::Now();
    headless::PressKey(VK_SPACE, start + 500);
    headless::Terminate(start + 1500);
    EXPECT_EQ(Run(line), 0) << line;
    EXPECT_GE(headless::Now() - start, 1500u) << line << ": input ended the preview";
    headless::DestroyForeignWindow(parent);
  }
}

TEST_F(SaverModes, APreviewEndsWhenItsParentWindowGoes) {
  HWND parent = headless::CreateForeignWindow(100, 100, 152, 112);
  uint32_t start = headless::Now();
  headless::DestroyForeignWindow(parent, start + 1000);
  // Were the quit lost, the process would wait for ever with no window left:
  // this timer ends it with another code.
  UINT_PTR guard = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); });
  EXPECT_EQ(Run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent))), 0);
  EXPECT_LT(headless::Now() - start, 1100u);
  KillTimer(nullptr, guard);
}

TEST_F(SaverModes, ChangePasswordOutsideTheWindows95FamilyExitsWithMinusOne) {
  EXPECT_EQ(Run("/a 1234"), -1);
  EXPECT_EQ(Run("a"), -1);
}

}  // namespace

namespace {

class SettingsMode : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
  }
};

TEST_F(SettingsMode, NoArgumentsAndSlashCOpenTheSettingsDialog) {
  for (const char* line : {"", "/c", "/c:1234"}) {
    testsupport::StartHeadless();
    ResetSaverState();
    uint32_t start = headless::Now();
    headless::PressKey(VK_ESCAPE, start + 500);
    EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), line, SW_SHOWDEFAULT), 1) << "'" << line << "'";
    EXPECT_GE(headless::Now() - start, 500u) << "'" << line << "' did not wait for the Escape key";
  }
}

}  // namespace

namespace {

TEST_F(SettingsMode, TerminationEndsTheSettingsDialog) {
  uint32_t start = headless::Now();
  headless::Terminate(start + 500);
  DispatchMode(GetModuleHandleA(nullptr), "/c", SW_SHOWDEFAULT);
  EXPECT_LT(headless::Now() - start, 2000u);
}

}  // namespace
