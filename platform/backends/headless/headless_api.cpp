// orvanel/headless.h over the running headless backend.
#include <cstdio>
#include <cstdlib>

#include "backends/headless/headless_backend.h"
#include "core/system_palette.h"

namespace headless {
namespace {

using plat::HostEvent;

plat::HeadlessBackend& Screen() {
  plat::CurrentBackend();  // starts the layer when a test has not yet
  plat::HeadlessBackend* backend = plat::RunningHeadless();
  if (!backend) {
    std::fprintf(stderr, "headless control used while another backend runs\n");
    std::abort();
  }
  return *backend;
}

void Send(HostEvent::Kind kind, uint32_t at, int vk = 0, int x = 0, int y = 0, int value = 0) {
  HostEvent event;
  event.kind = kind;
  event.vk = vk;
  event.x = x;
  event.y = y;
  event.value = value;
  Screen().Script(event, at);
}

}  // namespace

bool Active() { return plat::RunningHeadless() != nullptr; }

uint32_t Now() { return Screen().Now(); }
void Advance(uint32_t ms) { Screen().Advance(ms); }

void PressKey(int vk, uint32_t at) {
  KeyDown(vk, at);
  KeyUp(vk, at);
}
void KeyDown(int vk, uint32_t at) { Send(HostEvent::kKeyDown, at, vk); }
void KeyUp(int vk, uint32_t at) { Send(HostEvent::kKeyUp, at, vk); }
void TypeText(const std::string& text, uint32_t at) {
  for (unsigned char c : text) Send(HostEvent::kChar, at, c);
}
void MoveMouse(int x, int y, uint32_t at) { Send(HostEvent::kMouseMove, at, 0, x, y); }
void Click(int x, int y, int button, uint32_t at) {
  MoveMouse(x, y, at);
  ButtonDown(x, y, button, at);
  ButtonUp(x, y, button, at);
}
void ButtonDown(int x, int y, int button, uint32_t at) { Send(HostEvent::kButtonDown, at, button, x, y); }
void ButtonUp(int x, int y, int button, uint32_t at) { Send(HostEvent::kButtonUp, at, button, x, y); }
void DeactivateApp(uint32_t at) { Send(HostEvent::kActivateApp, at, 0, 0, 0, 0); }
void ActivateApp(uint32_t at) { Send(HostEvent::kActivateApp, at, 0, 0, 0, 1); }
void Terminate(uint32_t at) { Send(HostEvent::kTerminate, at); }
void ClearPendingInput() { Screen().ClearPendingInput(); }

int ScreenWidth() { return Screen().ScreenWidth(); }
int ScreenHeight() { return Screen().ScreenHeight(); }
int ScreenDepth() { return Screen().ScreenDepth(); }
COLORREF ScreenPixel(int x, int y) { return Screen().Pixel(x, y); }

int ScreenIndex(int x, int y) {
  plat::Surface& s = Screen().Screen();
  if (s.depth != 8 || x < 0 || y < 0 || x >= s.width || y >= s.height) return -1;
  return s.pixels[static_cast<size_t>(y) * s.pitch + x];
}

bool SaveScreenshot(const std::string& pngPath) { return Screen().SavePng(pngPath); }

uint64_t ScreenHash() {
  plat::HeadlessBackend& screen = Screen();
  uint64_t hash = 1469598103934665603ull;  // FNV-1a over R, G, B of every pixel
  for (int y = 0; y < screen.ScreenHeight(); ++y)
    for (int x = 0; x < screen.ScreenWidth(); ++x) {
      COLORREF c = screen.Pixel(x, y);
      for (int shift = 0; shift < 24; shift += 8) {
        hash ^= (c >> shift) & 0xFF;
        hash *= 1099511628211ull;
      }
    }
  return hash;
}

std::vector<PALETTEENTRY> SystemPalette() {
  if (Screen().ScreenDepth() != 8) return {};
  const plat::SystemPalette& palette = plat::TheSystemPalette();
  return std::vector<PALETTEENTRY>(palette.entries, palette.entries + 256);
}

bool CursorVisible() { return Screen().CursorVisible(); }

const std::vector<PresentRecord>& Presented() { return Screen().Presented(); }
void ClearPresented() { Screen().Presented().clear(); }
void SetHashPresented(bool on) { Screen().SetHashPresented(on); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return Screen().MessageBoxes(); }
void ClearMessageBoxes() { Screen().MessageBoxes().clear(); }
void SetMessageBoxAnswer(int answer) { Screen().SetMessageBoxAnswer(answer); }

HWND CreateForeignWindow(int x, int y, int width, int height) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(Screen().CreateForeign(x, y, width, height)));
}

void DestroyForeignWindow(HWND window, uint32_t at) {
  Screen().DestroyForeign(reinterpret_cast<uintptr_t>(window), at);
}

}  // namespace headless
