// Stands in for the display settings of Windows: shows the saver as the
// preview inside a window of its own, lets it run, then destroys the window,
// as the settings do when they close or pick another saver. Exits with 0 when
// the saver drew into its preview window and ended with code 0 within 2 s.
//   preview_host SAVER.scr
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Runs the host's messages until the saver process ends or ms have passed;
// true when it ended.
bool PumpUntilExit(HANDLE process, DWORD ms, HWND watch, HWND* child) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (watch && !*child) *child = GetWindow(watch, GW_CHILD);
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (MsgWaitForMultipleObjects(1, &process, FALSE, ms - elapsed, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: preview_host SAVER.scr\n");
    return 2;
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "PreviewHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "PreviewHost", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 240,
                              nullptr, nullptr, wc.hInstance, nullptr);
  if (!host) {
    std::fprintf(stderr, "preview_host: no window\n");
    return 1;
  }
  std::string command = "\"" + std::string(argv[1]) + "\" /p " +
                        std::to_string(reinterpret_cast<UINT_PTR>(host));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    std::fprintf(stderr, "preview_host: cannot start %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  CloseHandle(info.hThread);

  // The saver makes its window inside ours and runs for a while.
  HWND preview = nullptr;
  bool ended = PumpUntilExit(info.hProcess, 3000, host, &preview);
  int result = 0;
  if (ended || !preview) {
    std::fprintf(stderr, "preview_host: the saver %s\n", ended ? "ended by itself" : "made no window in ours");
    result = 1;
  } else {
    HDC dc = GetDC(preview);
    RECT client;
    GetClientRect(preview, &client);
    bool drew = false;
    for (int y = 0; y < client.bottom && !drew; y += 4)
      for (int x = 0; x < client.right && !drew; x += 4) drew = (GetPixel(dc, x, y) & 0xFFFFFF) != 0;
    ReleaseDC(preview, dc);
    if (!drew) {
      std::fprintf(stderr, "preview_host: the preview stayed black\n");
      result = 1;
    }
  }

  DestroyWindow(host);
  if (!PumpUntilExit(info.hProcess, 2000, nullptr, nullptr)) {
    std::fprintf(stderr, "preview_host: the saver was still running 2 s after its parent window was destroyed\n");
    TerminateProcess(info.hProcess, 1);
    result = 1;
  } else {
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    if (code != 0) {
      std::fprintf(stderr, "preview_host: the saver ended with exit code %lu\n", code);
      result = 1;
    }
  }
  CloseHandle(info.hProcess);
  if (result == 0) std::printf("preview_host: the preview drew and ended with its parent\n");
  return result;
}
