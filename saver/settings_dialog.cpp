#include "settings_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "about_box.h"
#include "saver_state.h"
#include "scene.h"
#include "settings_store.h"

SettingsDialogState g_settingsDialog;

namespace {

constexpr UINT kPreviewTickMs = 50;
constexpr int kCountTextLimit = 40;

// Setting an edit's text puts the caret at its start. A field whose text was
// selected whole (Tab selects it just before leaving the other field brings
// us here) stays so, and one that already shows the count is left alone:
// the next digit typed replaces the count instead of going in front of it.
void WriteCount(HWND dialog, int id, int count) {
  HWND edit = GetDlgItem(dialog, id);
  char text[16], shown[kCountTextLimit + 1] = {};
  std::snprintf(text, sizeof text, "%d", count);
  const int length =
      static_cast<int>(SendMessageA(edit, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown)));
  if (std::strcmp(text, shown) == 0) return;
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  if (length > 0 && start == 0 && end >= static_cast<DWORD>(length)) SendMessageA(edit, EM_SETSEL, 0, -1);
}

void WriteCounts(HWND dialog) {
  WriteCount(dialog, kCount1Edit, g_scene.count1);
  WriteCount(dialog, kCount2Edit, g_scene.count2);
}

// Puts an up-down back in the middle of its range: every click then moves
// it, and the way it moved tells which arrow was clicked, however many
// clicks came before.
int CentreSpin(HWND spin) {
  const LRESULT range = SendMessageA(spin, UDM_GETRANGE, 0, 0);
  const int middle = (static_cast<short>(LOWORD(range)) + static_cast<short>(HIWORD(range))) / 2;
  SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(middle, 0));
  return middle;
}

int ReadCount(HWND dialog, int id) {
  char text[kCountTextLimit + 1] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  // Leading blanks, a sign and digits, as atoi reads them; a number outside
  // the integer range is unreadable (0) rather than wrapped.
  errno = 0;
  long long value = std::strtoll(text, nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return 0;
  return static_cast<int>(value);
}

void ShowNotSaved(HWND dialog, LONG status) {
  const char* reason;
  char number[48];
  switch (status) {
    case ERROR_LOCK_VIOLATION:
      reason = "Another program is saving its settings just now.";
      break;
    case ERROR_FILE_TOO_LARGE:
      reason = "The settings file is too large.";
      break;
    case ERROR_ACCESS_DENIED:
      reason = "The settings file cannot be written.";
      break;
    default:
      std::snprintf(number, sizeof number, "The registry reported error %ld.", static_cast<long>(status));
      reason = number;
      break;
  }
  char text[256];
  std::snprintf(text, sizeof text,
                "Orvanel Saver IV could not save the settings.\n\n%s\n\n"
                "The dialog keeps your choices: press its OK button to try again, or Cancel to close it "
                "without saving.",
                reason);
  char caption[64] = "";
  GetWindowTextA(dialog, caption, sizeof caption);
  MessageBoxA(dialog, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void ResetSettingsDialogState() { g_settingsDialog = SettingsDialogState{}; }

BOOL RegisterDialogClasses(HINSTANCE) { return TRUE; }

void InitSettingsDialog(HWND dialog) {
  SettingsDialogState& st = g_settingsDialog;
  st = SettingsDialogState{};
  SelectSettingsKey(dialog, kSettingsKeyPath);

  // Kept as stored: a speed out of range stays until the user scrolls.
  st.speed = ReadSetting(kSpeedValue, kDefaultSpeed);
  HWND scrollBar = GetDlgItem(dialog, kSpeedScrollBar);
  SetScrollRange(scrollBar, SB_CTL, 10, 100, FALSE);
  SetScrollPos(scrollBar, SB_CTL, st.speed, TRUE);

  ReadSceneCounts(&g_scene.count1, &g_scene.count2);
  PreviewCounts(g_scene.count1, g_scene.count2, &st.shown1, &st.shown2);
  WriteCounts(dialog);
  st.spinCentre1 = CentreSpin(GetDlgItem(dialog, kCount1Spin));
  st.spinCentre2 = CentreSpin(GetDlgItem(dialog, kCount2Spin));

  MakeThumbnails(dialog);
  st.preview = GetDlgItem(dialog, kPreviewControl);
  BuildScene(st.preview, g_saver.instance);
}

INT_PTR SettingsCommand(HWND dialog, WPARAM wParam) {
  SettingsDialogState& st = g_settingsDialog;
  const int command = LOWORD(wParam);
  switch (command) {
    case IDOK: {
      // Digits typed into the focused count field have not been taken yet
      // (that happens when it loses the focus); OK keeps what the user sees.
      HWND focus = GetFocus();
      int focused = focus && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
      if (focused == kCount1Edit || focused == kCount2Edit) ValidateCounts(dialog, focused);
      const LONG saved = WriteSettings(st.speed, g_scene.count1, g_scene.count2);
      if (saved != ERROR_SUCCESS) {
        // The dialog stays open with the user's values: OK again, or Cancel.
        ShowNotSaved(dialog, saved);
        return 0;
      }
      st.ending = true;
      return 0;
    }
    case IDCANCEL:
      // The preview loop sees it and ends the dialog.
      st.ending = true;
      return 0;
    case kAboutMenuCommand:
      DialogBoxParamA(g_saver.instance, MAKEINTRESOURCEA(kAboutBoxId), dialog, AboutBoxProc, 0);
      return 0;
    case kRefreshCommand:
      if (g_scene.running) FrameThumbnails();
      return 1;
    case kCount1Edit:
    case kCount2Edit:
      if (HIWORD(wParam) == EN_KILLFOCUS) {
        ValidateCounts(dialog, command);
        return 0;
      }
      return 1;
    default:
      return 1;
  }
}

INT_PTR SpeedScroll(WPARAM wParam, HWND scrollBar) {
  SettingsDialogState& st = g_settingsDialog;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      --st.speed;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      ++st.speed;
      break;
    case SB_THUMBPOSITION:
      st.speed = static_cast<short>(HIWORD(wParam));
      break;
    case SB_LEFT:
      st.speed = 10;
      break;
    case SB_RIGHT:
      st.speed = 100;
      break;
    case SB_THUMBTRACK:
    case SB_ENDSCROLL:
      return 1;
    default:
      break;
  }
  st.speed = ClampSpeed(st.speed);
  SetScrollPos(scrollBar, SB_CTL, st.speed, TRUE);
  g_scene.speed = st.speed;
  return 0;
}

INT_PTR CountSpin(HWND dialog, WPARAM wParam, HWND control) {
  SettingsDialogState& st = g_settingsDialog;
  if (LOWORD(wParam) != SB_THUMBPOSITION) return 0;
  const int position = static_cast<short>(HIWORD(wParam));
  const bool first = control == GetDlgItem(dialog, kCount1Spin);
  int& count = first ? g_scene.count1 : g_scene.count2;
  int& centre = first ? st.spinCentre1 : st.spinCentre2;
  // The up arrow moves the position toward the upper end of the range (down,
  // in the default range of 100 to 0).
  const LRESULT range = SendMessageA(control, UDM_GETRANGE, 0, 0);
  const int upper = static_cast<short>(LOWORD(range)), lower = static_cast<short>(HIWORD(range));
  if (position != centre) count += (position > centre) == (upper > lower) ? 1 : -1;
  count = std::clamp(count, 0, first ? 2 : 10);
  centre = CentreSpin(control);
  WriteCounts(dialog);
  ValidateCounts(dialog, first ? kCount1Spin : kCount2Spin);
  return 0;
}

void ValidateCounts(HWND dialog, int cause) {
  SettingsDialogState& st = g_settingsDialog;
  // Writing the fields and rebuilding the preview can lead back here.
  if (st.validating) return;
  st.validating = true;
  int count1 = std::clamp(ReadCount(dialog, kCount1Edit), 0, 2);
  int count2 = std::clamp(ReadCount(dialog, kCount2Edit), 0, 10);
  if (count1 + count2 > 10) {
    // The value the user touched wins.
    if (cause == kCount1Edit || cause == kCount1Spin)
      count2 = 10 - count1;
    else
      count1 = 10 - count2;
  }
  g_scene.count1 = count1;
  g_scene.count2 = count2;
  WriteCounts(dialog);
  RebuildPreview(dialog);
  st.validating = false;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SettingsDialogState& st = g_settingsDialog;
  switch (message) {
    case WM_INITDIALOG:
      InitSettingsDialog(dialog);
      st.timer = SetTimer(dialog, 1, kPreviewTickMs, nullptr);
      return TRUE;
    case WM_TIMER:
      g_scene.running = true;
      KillTimer(dialog, st.timer);
      RunPreview(dialog);
      return 0;
    case WM_COMMAND:
      return SettingsCommand(dialog, wParam);
    case WM_HSCROLL:
      return SpeedScroll(wParam, reinterpret_cast<HWND>(lParam));
    case WM_VSCROLL:
      return CountSpin(dialog, wParam, reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
      PostMessageA(dialog, WM_COMMAND, kRefreshCommand, 0);
      return 0;
    case WM_DESTROY:
      if (st.timer) KillTimer(dialog, st.timer);
      // A dialog destroyed without passing through the preview loop's end
      // leaves nothing behind either.
      TearDownScene();
      DestroyThumbnails();
      return 0;
    default:
      return 0;
  }
}
