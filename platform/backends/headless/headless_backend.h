// The headless screen: one framebuffer for every window, virtual time that
// moves only while the program waits, scripted input and a record of what
// was presented and which message boxes were shown.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/backend.h"
#include "orvanel/headless.h"

namespace plat {

class HeadlessBackend : public Backend {
 public:
  // pixels: the framebuffer, the program's screen (the options' size divided
  // by the scale) in bytes (depth 8) or 4-byte pixels.
  HeadlessBackend(const host::Options& options, std::unique_ptr<uint8_t[]> pixels);
  ~HeadlessBackend() override;

  const char* Name() const override { return "headless"; }
  int ScreenWidth() const override { return screen_.width; }
  int ScreenHeight() const override { return screen_.height; }
  int ScreenDepth() const override { return depth_; }

  uint32_t Now() override;
  void Sleep(uint32_t ms) override;
  bool WaitEvent(HostEvent* event, uint32_t timeoutMs) override;
  bool WaitEndsOnActivation() const override { return true; }
  void TimedRunEnding() override { TakeFinalScreenshot(); }
  // The screen's name, else $ORVANEL_HEADLESS_SCREEN; unnamed, a desktop of its own.
  std::string DesktopName() const override;
  Surface* ScreenSurface() override { return &screen_; }

  NativeWindow* CreateNative(const TopLevelSpec& spec) override;
  void DestroyNative(NativeWindow* window) override;
  void MoveNative(NativeWindow* window, int x, int y, int width, int height) override;
  void ShowNative(NativeWindow* window, bool visible) override;
  void RaiseNative(NativeWindow* window) override {}
  void Present(NativeWindow* window, const RECT* rects, int count) override;
  void SystemPaletteChanged() override {}

  bool ForeignWindowExists(uint64_t id) override;
  bool ForeignWindowRect(uint64_t id, RECT* screenRect) override;
  uint64_t CreatePlainWindow(int width, int height, const std::string&) override {
    return CreateForeign(0, 0, width, height);
  }

  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void GetCursorPos(int* x, int* y) override;
  void SetCursorPos(int x, int y) override;

  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  // The virtual sound device (headless_audio.cpp).
  int AudioDeviceCount() override;
  AudioCaps AudioCapabilities() override;
  std::unique_ptr<AudioOutput> OpenAudio(const AudioFormat& format) override;
  void Finish() override;
  // Writes the --screenshot picture now (the end of a timed run, before the
  // windows close); Finish then leaves it as it is.
  void TakeFinalScreenshot();

  // Test control (orvanel/headless.h).
  Surface& Screen() { return screen_; }
  void Advance(uint32_t ms);
  void Script(HostEvent event, uint32_t at);
  void ClearPendingInput() { script_.clear(); }
  COLORREF Pixel(int x, int y) const;
  bool SavePng(const std::string& path) const;
  std::vector<headless::PresentRecord>& Presented() { return presented_; }
  void SetHashPresented(bool on) { hashPresented_ = on; }
  std::vector<headless::MessageBoxRecord>& MessageBoxes() { return messageBoxes_; }
  void SetMessageBoxAnswer(int answer) { answer_ = answer; }
  uint64_t CreateForeign(int x, int y, int width, int height);
  // At the given virtual time (0: now), as another program would.
  void DestroyForeign(uint64_t id, uint32_t at = 0);
  bool CursorVisible() const { return cursorVisible_; }

 private:
  struct Scripted {
    uint32_t at;
    uint64_t order;
    HostEvent event;
    uint64_t foreignGone = 0;  // instead of the event: this foreign window goes
  };
  struct Foreign {
    uint64_t id;
    RECT rect;
  };
  struct Window {
    NativeWindow native;
    uint64_t foreignParent = 0;
    bool visible = false;
  };

  uint64_t NewNativeId();
  void Insert(const Scripted& entry);
  bool TakeDue(HostEvent* event);
  void Record();

  host::Options options_;
  int depth_;
  int scale_;  // real pixels a side of each of the program's (pictures only)
  std::unique_ptr<uint8_t[]> pixels_;
  Surface screen_;
  bool realTime_;
  uint32_t virtualNow_;
  uint64_t realStart_;
  std::deque<Scripted> script_;
  uint64_t scriptOrder_ = 0;
  std::vector<Foreign> foreign_;
  std::vector<std::unique_ptr<Window>> windows_;
  uint64_t nextId_ = 1;
  int cursorX_ = 0, cursorY_ = 0;
  bool cursorVisible_ = true;
  std::vector<headless::PresentRecord> presented_;
  std::vector<headless::MessageBoxRecord> messageBoxes_;
  int answer_ = 0;
  int frameNumber_ = 0;
  bool hashPresented_ = false;
  bool screenshotTaken_ = false;
};

// The running headless backend, or null when another one runs.
HeadlessBackend* RunningHeadless();

// PNG written row by row: rowAt(y, rgb) fills width x 3 bytes R, G, B.
using RgbRows = std::function<void(int y, uint8_t* rgb)>;
bool WriteRgbPng(const std::string& path, int width, int height, const RgbRows& rowAt);

}  // namespace plat
