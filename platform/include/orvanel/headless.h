// Control of the headless screen for tests and scripted runs: input, time,
// the framebuffer, presented rectangles, message boxes and played sound.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

struct MessageBoxRecord {
  HWND owner;
  std::string caption;
  std::string text;
  UINT type;  // MB_ flags as passed
};

struct PresentRecord {
  uint32_t time;             // virtual ms
  uint64_t nativeId;         // which native window
  std::vector<RECT> rects;   // screen coordinates, as presented in one call
  uint64_t contentHash = 0;  // colours shown inside the rectangles, when hashing is on
};

// True when the headless backend is the one running.
bool Active();

// Virtual time.
uint32_t Now();
void Advance(uint32_t ms);  // lets time pass as if the program had waited

// Scripted input, delivered when the program next waits or polls (at the
// given virtual time, or at once when at is 0 or in the past).
void PressKey(int vk, uint32_t at = 0);  // key down and key up
void KeyDown(int vk, uint32_t at = 0);
void KeyUp(int vk, uint32_t at = 0);
void TypeText(const std::string& text, uint32_t at = 0);  // WM_CHAR per character
void MoveMouse(int x, int y, uint32_t at = 0);            // screen coordinates
void Click(int x, int y, int button = 1, uint32_t at = 0);  // move, button down and up
void ButtonDown(int x, int y, int button = 1, uint32_t at = 0);
void ButtonUp(int x, int y, int button = 1, uint32_t at = 0);
void DeactivateApp(uint32_t at = 0);  // another program is activated
void ActivateApp(uint32_t at = 0);
void Terminate(uint32_t at = 0);      // as SIGTERM
void ClearPendingInput();

// The screen, as the program sees it. A scaled screen (--scale) differs only
// in its pictures (SaveScreenshot, --screenshot, --record): they have the
// real size, each of the program's pixels a block of scale x scale.
int ScreenWidth();
int ScreenHeight();
int ScreenDepth();
COLORREF ScreenPixel(int x, int y);        // as shown (through the system palette on 8-bit)
int ScreenIndex(int x, int y);             // 8-bit screens: the palette index stored, else -1
bool SaveScreenshot(const std::string& pngPath);
uint64_t ScreenHash();                      // hash of the shown colours
std::vector<PALETTEENTRY> SystemPalette();  // 256 entries on 8-bit screens

// Whether the mouse cursor is shown (SetCursor, ShowCursor).
bool CursorVisible();

// Presentation log, kept only when host::Options::keepPresentLog or recordDir is set. It
// holds the latest kPresentLogLimit records at most: older ones are dropped.
constexpr size_t kPresentLogLimit = 100000;
const std::vector<PresentRecord>& Presented();
void ClearPresented();
// Hash the colours of every presented rectangle into its record (off by default).
void SetHashPresented(bool on);

// Message boxes shown (answered at once with IDOK, or the answer set here).
const std::vector<MessageBoxRecord>& MessageBoxes();
void ClearMessageBoxes();
void SetMessageBoxAnswer(int answer);

// Wave output: a virtual device that plays at the format's byte rate in
// virtual time. One device with separate left and right volumes by default;
// count 0 stands for a machine without sound. support: WAVECAPS_ bits.
void SetSoundDevices(int count, DWORD support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME);
struct SoundRecord {
  DWORD rate;
  WORD channels;
  WORD bits;
  std::vector<uint8_t> bytes;  // every byte the device has played so far
  bool open;                   // the device is still open
};
// Every device opened since the layer started, in the order of opening.
std::vector<SoundRecord> PlayedSounds();

// Foreign windows that stand for another program's windows (a preview
// parent). Returns the handle by which the program names it. Destroyed at
// the given virtual time (at once when at is 0 or in the past).
HWND CreateForeignWindow(int x, int y, int width, int height);
void DestroyForeignWindow(HWND window, uint32_t at = 0);

}  // namespace headless
