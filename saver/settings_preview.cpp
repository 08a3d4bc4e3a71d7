// The live preview of the scene in the settings dialog: rebuilt when the
// counts change what it shows, run by a nested loop inside the dialog's timer.
#include "frame_wait.h"
#include "saver_state.h"
#include "scene.h"
#include "settings_dialog.h"

namespace {

constexpr UINT kPreviewTickMs = 50;

bool StopsThePreview(UINT message) {
  return message == WM_CLOSE || message == WM_QUIT || message == WM_DESTROY;
}

bool UncoversTheThumbnails(UINT message) {
  return message == WM_PAINT || message == WM_NCPAINT || message == WM_ACTIVATEAPP || message == WM_ACTIVATE;
}

}  // namespace

void RebuildPreview(HWND dialog) {
  SettingsDialogState& st = g_settingsDialog;
  int shown1, shown2;
  PreviewCounts(g_scene.count1, g_scene.count2, &shown1, &shown2);
  if (shown1 == st.shown1 && shown2 == st.shown2) return;
  st.shown1 = shown1;
  st.shown2 = shown2;
  // Clears the scene's running flag: the preview loop stops, and the new
  // timer starts it again on the new scene.
  TearDownScene();
  BuildScene(st.preview, g_saver.instance);
  g_scene.speed = ClampSpeed(st.speed);
  st.timer = SetTimer(dialog, 1, kPreviewTickMs, nullptr);
}

void RunPreview(HWND dialog) {
  SettingsDialogState& st = g_settingsDialog;
  bool running = true;
  bool thumbnailsDue = true;
  while (running && g_scene.running) {
    const DWORD start = GetTickCount();
    StepScene();
    if (thumbnailsDue) {
      thumbnailsDue = false;
      FrameThumbnails();
    }
    // Messages of every window of the thread go through here, not through
    // the dialog manager: Enter and Escape become OK and Cancel here.
    for (;;) {
      if (st.ending) {
        running = false;
        break;
      }
      MSG message;
      if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (StopsThePreview(message.message)) {
          // Taken here, a close request or a quit would be lost with the
          // dialog left open: the dialog takes them as Cancel.
          if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
          if (message.message == WM_QUIT || (message.message == WM_CLOSE && message.hwnd == dialog))
            st.ending = true;
          running = false;
          break;
        }
        bool handled = false;
        if (UncoversTheThumbnails(message.message)) {
          thumbnailsDue = true;
        } else if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
          SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
          SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        } else if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
          // The other keys of the dialog (Tab, the arrows of a group, the
          // menu) still move between its controls.
          handled = IsDialogMessageA(dialog, &message) != FALSE;
        }
        if (!handled) {
          TranslateMessage(&message);
          DispatchMessageA(&message);
        }
      } else {
        WaitForMessageOrFrame(start, kPreviewTickMs);
      }
      if (GetTickCount() - start >= kPreviewTickMs) break;
      if (!g_scene.running) break;
    }
  }
  // Stopped only to be rebuilt: the new timer starts the loop again.
  if (!st.ending) return;
  TearDownScene();
  DestroyThumbnails();
  EndDialog(dialog, 1);
}
