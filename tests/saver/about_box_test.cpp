#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "about_box.h"
#include "dialog_script.h"
#include "orvanel/headless.h"
#include "saver_state.h"
#include "support/host_fixture.h"

namespace {

// What the About box's procedure did with its close command.
struct CloseRecord {
  int commands = 0;
  bool stageBefore = false;
  bool stageAfter = true;
  bool windowAfter = false;
};
CloseRecord g_close;

INT_PTR CALLBACK WatchedAboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  bool closing = message == WM_COMMAND && LOWORD(wParam) == kAboutCloseCommand;
  if (closing) {
    ++g_close.commands;
    g_close.stageBefore = g_aboutBox.stage != nullptr;
  }
  INT_PTR result = AboutBoxProc(dialog, message, wParam, lParam);
  if (closing) {
    g_close.stageAfter = g_aboutBox.stage != nullptr;
    g_close.windowAfter = IsWindow(dialog);
  }
  return result;
}

class AboutBox : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    ResetAboutBoxState();
    g_saver.instance = GetModuleHandleA(nullptr);
    g_close = CloseRecord{};
  }
  static INT_PTR Run(std::vector<dialogscript::Step> steps) {
    return dialogscript::Run(GetModuleHandleA(nullptr), kAboutBoxId, WatchedAboutBox, std::move(steps));
  }
};

TEST_F(AboutBox, EnterAndEscapeEndTheBoxThroughTheCloseCommand) {
  for (int key : {VK_RETURN, VK_ESCAPE}) {
    g_close = CloseRecord{};
    std::string address;
    EXPECT_EQ(Run({[&](HWND dialog) {
                     char text[128] = {};
                     GetWindowTextA(GetDlgItem(dialog, kAddressEdits[1]), text, sizeof text);
                     address = text;
                     headless::PressKey(key);
                   }}),
              1);
    EXPECT_EQ(address, kAboutAddresses[1]);
    EXPECT_EQ(g_close.commands, 1) << "key " << key;
    EXPECT_TRUE(g_close.stageBefore);
    EXPECT_FALSE(g_close.stageAfter) << "the stage goes before the box ends";
    EXPECT_TRUE(g_close.windowAfter);
  }
}

TEST_F(AboutBox, OKOrAQuitEndsTheBoxBetweenTwoFrames) {
  EXPECT_EQ(Run({[](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }}), 1);
  EXPECT_EQ(g_close.commands, 1);
  EXPECT_EQ(g_aboutBox.stage, nullptr);

  // The quit is left for the loops outside the box, which end in turn.
  g_close = CloseRecord{};
  EXPECT_EQ(Run({[](HWND) { PostQuitMessage(7); }}), 1);
  EXPECT_EQ(g_close.commands, 1);
  EXPECT_EQ(g_aboutBox.stage, nullptr);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "the quit was lost";
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(AboutBox, WithoutItsPictureTheBoxClosesAtOnceOnOK) {
  // A module that holds no picture.
  g_saver.instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(0x5a5a0000));
  char address[64] = "unchanged";
  uint32_t pressed = 0, ended = 0;
  EXPECT_EQ(Run({[&](HWND dialog) {
                   GetWindowTextA(GetDlgItem(dialog, kAddressEdits[0]), address, sizeof address);
                   pressed = headless::Now();
                   PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                 }}),
            1);
  ended = headless::Now();
  EXPECT_STREQ(address, "");
  EXPECT_EQ(g_close.commands, 0);
  EXPECT_EQ(g_aboutBox.stage, nullptr);
  EXPECT_LT(ended - pressed, 50u);
}

TEST_F(AboutBox, EveryAddressIsShownWithoutAnyInput) {
  // The first address field takes the focus while the box is being shown.
  std::vector<int> textPixels;
  Run({[&](HWND dialog) {
    for (int id : kAddressEdits) {
      HWND edit = GetDlgItem(dialog, id);
      RECT rect;
      GetClientRect(edit, &rect);
      POINT origin{0, 0};
      ClientToScreen(edit, &origin);
      int n = 0;
      for (int y = 0; y < rect.bottom; ++y)
        for (int x = 0; x < rect.right; ++x)
          n += headless::ScreenPixel(origin.x + x, origin.y + y) == GetSysColor(COLOR_WINDOWTEXT);
      textPixels.push_back(n);
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  }});
  ASSERT_EQ(textPixels.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_GT(textPixels[i], 20) << "address " << i + 1;
}

TEST_F(AboutBox, ThePictureStandsOnTheDialogsFaceColour) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF corner = 0;
  Run({[](HWND) {},
       [&](HWND dialog) {
         RECT rect;
         GetWindowRect(GetDlgItem(dialog, kAboutPictureControl), &rect);
         corner = headless::ScreenPixel(rect.left, rect.top);
         PostMessageA(dialog, WM_COMMAND, IDOK, 0);
       }});
  EXPECT_EQ(corner, face);
}

}  // namespace
