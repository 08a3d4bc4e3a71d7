#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "about_box.h"
#include "dialog_script.h"
#include "orvanel/headless.h"
#include "saver_state.h"
#include "scene.h"
#include "settings_dialog.h"
#include "settings_store.h"
#include "stored_settings.h"
#include "support/host_fixture.h"

using dialogscript::Leave;
using dialogscript::SetText;
using dialogscript::TextAsNumber;

namespace {

using storedsettings::ExpectStored;
using storedsettings::Store;

class SettingsDialog : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    ResetSettingsDialogState();
    g_saver.instance = GetModuleHandleA(nullptr);
    Store(60, 1, 5);
  }
  static INT_PTR Run(std::vector<dialogscript::Step> steps) {
    return dialogscript::Run(GetModuleHandleA(nullptr), kSettingsDialogId, SettingsDialogProc, std::move(steps));
  }
};

auto PressButton(int command) {
  return [command](HWND dialog) { PostMessageA(dialog, WM_COMMAND, command, 0); };
}

int ScrollPosition(HWND dialog) { return GetScrollPos(GetDlgItem(dialog, kSpeedScrollBar), SB_CTL); }

TEST_F(SettingsDialog, AStoredSpeedOutOfRangeIsKeptUntilTheUserScrolls) {
  Store(250, 1, 5);
  int shown = -1;
  EXPECT_EQ(Run({[&](HWND dialog) { shown = ScrollPosition(dialog); }, PressButton(IDOK)}), 1);
  EXPECT_EQ(shown, 100);
  EXPECT_EQ(g_scene.speed, 100);
  ExpectStored(250, 1, 5);

  // The first step left lands on the end the scroll bar already shows.
  Store(250, 1, 5);
  EXPECT_EQ(Run({[](HWND dialog) {
                   for (int i = 0; i < 2; ++i)
                     SendMessageA(dialog, WM_HSCROLL, SB_LINELEFT,
                                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, kSpeedScrollBar)));
                 },
                 PressButton(IDOK)}),
            1);
  ExpectStored(99, 1, 5);
}

TEST_F(SettingsDialog, HomeAndEndOnTheFocusedScrollBarGiveTheEnds) {
  int afterHome = 0, afterEnd = 0;
  EXPECT_EQ(Run({[](HWND dialog) {
                   SetFocus(GetDlgItem(dialog, kSpeedScrollBar));
                   headless::PressKey(VK_HOME);
                 },
                 [&](HWND dialog) {
                   afterHome = ScrollPosition(dialog);
                   headless::PressKey(VK_END);
                 },
                 [&](HWND dialog) {
                   afterEnd = ScrollPosition(dialog);
                   headless::PressKey(VK_RETURN);
                 }}),
            1);
  EXPECT_EQ(afterHome, 10);
  EXPECT_EQ(afterEnd, 100);
  // Enter is OK: the last speed is stored.
  ExpectStored(100, 1, 5);
}

TEST_F(SettingsDialog, TheCountTheUserTouchedWinsAndTheOtherMakesRoom) {
  Store(60, 2, 5);
  int count1 = -1, count2 = -1;
  auto read = [&](HWND dialog) {
    count1 = TextAsNumber(dialog, kCount1Edit);
    count2 = TextAsNumber(dialog, kCount2Edit);
  };
  Run({[](HWND dialog) {
         SetText(dialog, kCount2Edit, "9");
         Leave(dialog, kCount2Edit, kSpeedScrollBar);
       },
       read, PressButton(IDOK)});
  EXPECT_EQ(count1, 1);
  EXPECT_EQ(count2, 9);
  ExpectStored(60, 1, 9);

  Run({[](HWND dialog) {
         SetText(dialog, kCount2Edit, "12");
         Leave(dialog, kCount2Edit, kSpeedScrollBar);
       },
       read, PressButton(IDCANCEL)});
  EXPECT_EQ(count1, 0);
  EXPECT_EQ(count2, 10);

  Run({[](HWND dialog) {
         SetText(dialog, kCount1Edit, "abc");
         Leave(dialog, kCount1Edit, kSpeedScrollBar);
       },
       read, PressButton(IDCANCEL)});
  EXPECT_EQ(count1, 0);
  EXPECT_EQ(count2, 9);

  // Numbers beyond the integer range are as unreadable as letters; they
  // must not wrap (4294967301 is 5 modulo 2^32).
  for (const char* huge : {"4294967301", "-4294967295", "99999999999999999999"}) {
    Store(60, 1, 9);
    Run({[huge](HWND dialog) {
           SetText(dialog, kCount2Edit, huge);
           Leave(dialog, kCount2Edit, kSpeedScrollBar);
         },
         read, PressButton(IDOK)});
    EXPECT_EQ(count2, 0) << huge;
    ExpectStored(60, 1, 0);
  }
}

TEST_F(SettingsDialog, TypedDigitsTakeEffectWhenTheFieldLosesTheFocus) {
  int count2 = -1;
  Run({[](HWND dialog) {
         HWND edit = GetDlgItem(dialog, kCount2Edit);
         SetFocus(edit);
         SendMessageA(edit, EM_SETSEL, 0, -1);
         headless::TypeText("7");
       },
       [](HWND dialog) { SetFocus(GetDlgItem(dialog, kSpeedScrollBar)); },
       [&](HWND dialog) {
         count2 = TextAsNumber(dialog, kCount2Edit);
         PostMessageA(dialog, WM_COMMAND, IDOK, 0);
       }});
  EXPECT_EQ(count2, 7);
  ExpectStored(60, 1, 7);
}

TEST_F(SettingsDialog, DigitsTypedJustBeforeEnterAreKept) {
  // Enter ends the dialog while the field still has the focus.
  EXPECT_EQ(Run({[](HWND dialog) {
                   HWND edit = GetDlgItem(dialog, kCount2Edit);
                   SetFocus(edit);
                   SendMessageA(edit, EM_SETSEL, 0, -1);
                   headless::TypeText("7");
                 },
                 [](HWND) { headless::PressKey(VK_RETURN); }}),
            1);
  ExpectStored(60, 1, 7);
}

TEST_F(SettingsDialog, TabMovesThroughTheControlsWhileThePreviewRuns) {
  std::vector<int> focus;
  auto noteFocus = [&](HWND) { focus.push_back(GetDlgCtrlID(GetFocus())); };
  EXPECT_EQ(Run({noteFocus, [](HWND) { headless::PressKey(VK_TAB); }, noteFocus,
                 [](HWND) {
                   headless::TypeText("2");
                   headless::PressKey(VK_TAB);
                 },
                 noteFocus,
                 [](HWND) {
                   headless::KeyDown(VK_SHIFT);
                   headless::PressKey(VK_TAB);
                   headless::KeyUp(VK_SHIFT);
                 },
                 noteFocus, [](HWND) { headless::PressKey(VK_RETURN); }}),
            1);
  EXPECT_EQ(focus, (std::vector<int>{kSpeedScrollBar, kCount1Edit, kCount2Edit, kCount1Edit}));
  ExpectStored(60, 2, 5);
}

TEST_F(SettingsDialog, DigitsTypedAfterTabReplaceTheCountTheOtherFieldRewrote) {
  // Leaving count 1 rewrites both fields (here count 2 makes room: 9 becomes
  // 8) just as Tab selects the whole of count 2; the digit typed next must
  // replace that text, not go in front of it ("48").
  Store(60, 1, 9);
  EXPECT_EQ(Run({[](HWND) {
              for (int vk : {VK_TAB, int{'2'}, VK_TAB, int{'4'}, VK_RETURN}) headless::PressKey(vk);
            }}),
            1);
  ExpectStored(60, 2, 4);
}

TEST_F(SettingsDialog, KeysTypedAheadReachTheControlThatHasTheFocusByThen) {
  // All keys arrive before the first is handled: each must still go to the
  // control the keys before it moved the focus to.
  EXPECT_EQ(Run({[](HWND) {
              for (int vk : {VK_TAB, int{'2'}, VK_TAB, int{'7'}, VK_RETURN}) headless::PressKey(vk);
            }}),
            1);
  ExpectStored(60, 2, 7);
}

TEST_F(SettingsDialog, TheMenuOpensTheAboutBoxFromTheKeyboard) {
  // The menu's Enters must not reach the preview loop, which reads Enter as OK.
  bool aboutOpen = false;
  EXPECT_EQ(Run({[](HWND) {
                   headless::PressKey(VK_F10);
                   headless::PressKey(VK_RETURN);
                   headless::PressKey(VK_RETURN);
                 },
                 [&](HWND) {
                   aboutOpen = g_aboutBox.stage != nullptr;
                   headless::PressKey(VK_ESCAPE);
                 },
                 [](HWND) { headless::PressKey(VK_ESCAPE); }}),
            1);
  EXPECT_TRUE(aboutOpen);
}

TEST_F(SettingsDialog, ThePreviewIsRebuiltOnlyWhenWhatItShowsChanges) {
  // Slot 9 is never filled in a preview; a rebuilt scene empties it.
  constexpr double kMark = 777.0;
  bool keptAfterSix = false, keptAfterZero = true;
  Run({[](HWND) { g_scene.records[9].x = kMark; },
       [](HWND dialog) {
         SetText(dialog, kCount2Edit, "6");
         Leave(dialog, kCount2Edit, kSpeedScrollBar);
       },
       [&](HWND) { keptAfterSix = g_scene.records[9].x == kMark; },
       [](HWND dialog) {
         SetText(dialog, kCount1Edit, "0");
         Leave(dialog, kCount1Edit, kSpeedScrollBar);
       },
       [&](HWND) { keptAfterZero = g_scene.records[9].x == kMark; }, PressButton(IDCANCEL)});
  EXPECT_TRUE(keptAfterSix) << "1 + 6 still shows 1 + 3 pictures";
  EXPECT_FALSE(keptAfterZero) << "0 + 6 shows 0 + 4 pictures";
}

TEST_F(SettingsDialog, EachArrowClickMovesACountByOneUpToItsLimitHoweverManyCameBefore) {
  Store(60, 0, 7);
  std::vector<int> counts1, counts2;
  auto click = [](int spin, bool up, int times = 1) {
    return [=](HWND dialog) {
      for (int i = 0; i < times; ++i) dialogscript::ClickHalf(dialog, spin, up);
    };
  };
  auto note = [&](HWND dialog) {
    counts1.push_back(TextAsNumber(dialog, kCount1Edit));
    counts2.push_back(TextAsNumber(dialog, kCount2Edit));
  };
  std::vector<dialogscript::Step> steps;
  for (int i = 0; i < 4; ++i) steps.insert(steps.end(), {click(kCount1Spin, true), note});
  // The down arrow lowers a count one by one.
  for (int i = 0; i < 3; ++i) steps.insert(steps.end(), {click(kCount2Spin, false), note});
  // More clicks than the up-down's range holds: its position stops at the
  // end of the range long before the last of them.
  steps.insert(steps.end(), {click(kCount1Spin, false, 102), click(kCount2Spin, false, 102), note,
                             click(kCount1Spin, true), click(kCount2Spin, true), note, PressButton(IDOK)});
  Run(steps);
  EXPECT_EQ(counts1, (std::vector<int>{1, 2, 2, 2, 2, 2, 2, 0, 1}));
  EXPECT_EQ(counts2, (std::vector<int>{7, 7, 7, 7, 6, 5, 4, 0, 1}));
  ExpectStored(60, 1, 1);
}

TEST_F(SettingsDialog, ASaveThatFailsIsShownAndTheDialogKeepsItsValues) {
  // A directory where the settings file should be: nothing can be saved.
  const std::string file = testsupport::UseFreshConfigDir() + "/registry";
  std::filesystem::remove(file);
  std::filesystem::create_directories(file);
  headless::ClearMessageBoxes();
  testing::internal::CaptureStderr();
  bool openAfterOk = false;
  int count2AfterOk = -1;
  EXPECT_EQ(Run({[](HWND dialog) {
                   SetText(dialog, kCount2Edit, "8");
                   Leave(dialog, kCount2Edit, kSpeedScrollBar);
                   PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                 },
                 [&](HWND dialog) {
                   openAfterOk = IsWindow(dialog) && !g_settingsDialog.ending;
                   count2AfterOk = TextAsNumber(dialog, kCount2Edit);
                 },
                 PressButton(IDCANCEL)}),
            1);
  const std::string errors = testing::internal::GetCapturedStderr();
  std::filesystem::remove(file);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(count2AfterOk, 8);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  const headless::MessageBoxRecord& box = headless::MessageBoxes()[0];
  EXPECT_NE(box.text.find("could not save the settings"), std::string::npos) << box.text;
  EXPECT_EQ(box.type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
  EXPECT_NE(box.owner, nullptr);
  EXPECT_NE(errors.find("settings are not saved"), std::string::npos) << errors;
}

TEST_F(SettingsDialog, CancelWritesNothingAndStillReturnsOne) {
  Store(42, 2, 3);
  EXPECT_EQ(Run({[](HWND dialog) {
                   SendMessageA(dialog, WM_HSCROLL, SB_RIGHT,
                                reinterpret_cast<LPARAM>(GetDlgItem(dialog, kSpeedScrollBar)));
                   SetText(dialog, kCount2Edit, "8");
                   Leave(dialog, kCount2Edit, kSpeedScrollBar);
                 },
                 [](HWND) { headless::PressKey(VK_ESCAPE); }}),
            1);
  ExpectStored(42, 2, 3);
  EXPECT_TRUE(g_scene.tornDown);
}

TEST_F(SettingsDialog, TheMenuOpensTheAboutBoxAndThePreviewGoesOnAfterIt) {
  bool aboutShown = false;
  EXPECT_EQ(Run({[](HWND dialog) { PostMessageA(dialog, WM_COMMAND, kAboutMenuCommand, 0); },
                 // Runs inside the About box's loop.
                 [&](HWND) {
                   aboutShown = g_aboutBox.stage != nullptr;
                   headless::PressKey(VK_ESCAPE);
                 },
                 [](HWND) { EXPECT_EQ(g_aboutBox.stage, nullptr); }, PressButton(IDOK)}),
            1);
  EXPECT_TRUE(aboutShown);
}

}  // namespace

namespace {

TEST(SpeedScroll, LinesAndPagesStepByOneAndTheEndsAreTenAndAHundred) {
  ResetSettingsDialogState();
  g_settingsDialog.speed = 250;
  struct {
    WORD request, position;
    int speed;
    INT_PTR result;
  } steps[] = {
      {SB_THUMBTRACK, 40, 250, 1},  // dragging changes nothing until the thumb is let go
      {SB_ENDSCROLL, 0, 250, 1},    {SB_LINELEFT, 0, 100, 0},   {SB_PAGELEFT, 0, 99, 0},
      {SB_LINERIGHT, 0, 100, 0},    {SB_THUMBPOSITION, 40, 40, 0}, {SB_PAGERIGHT, 0, 41, 0},
      {SB_LEFT, 0, 10, 0},          {SB_LINELEFT, 0, 10, 0},    {SB_RIGHT, 0, 100, 0},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(SpeedScroll(MAKEWPARAM(step.request, step.position), nullptr), step.result)
        << "request " << step.request;
    EXPECT_EQ(g_settingsDialog.speed, step.speed) << "request " << step.request;
    if (step.result == 0) {
      EXPECT_EQ(g_scene.speed, step.speed);
    }
  }
}

}  // namespace
