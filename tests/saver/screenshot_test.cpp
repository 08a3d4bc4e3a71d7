// Pictures of the two dialogs on the headless screen, for the documentation:
// build/<dir>/settings-dialog.png and about-box.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "about_box.h"
#include "dialog_script.h"
#include "orvanel/headless.h"
#include "saver_state.h"
#include "settings_dialog.h"
#include "support/host_fixture.h"

namespace {

class DialogPictures : public testsupport::HeadlessTest {
 protected:
  int ScreenWidth() const override { return 800; }
  int ScreenHeight() const override { return 600; }
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    g_saver.instance = GetModuleHandleA(nullptr);
  }
};

TEST_F(DialogPictures, SettingsDialogWithItsPreviewRunning) {
  bool saved = false;
  dialogscript::Run(GetModuleHandleA(nullptr), kSettingsDialogId, SettingsDialogProc,
                    {[](HWND) {}, [](HWND) {}, [](HWND) {},
                     [&](HWND dialog) {
                       saved = headless::SaveScreenshot(ORVANEL_BINARY_DIR "/settings-dialog.png");
                       PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                     }});
  EXPECT_TRUE(saved);
}

TEST_F(DialogPictures, AboutBox) {
  bool saved = false;
  dialogscript::Run(GetModuleHandleA(nullptr), kAboutBoxId, AboutBoxProc,
                    {[](HWND) {}, [&](HWND dialog) {
                       saved = headless::SaveScreenshot(ORVANEL_BINARY_DIR "/about-box.png");
                       PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                     }});
  EXPECT_TRUE(saved);
}

}  // namespace
