#include "backends/headless/headless_backend.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "core/screen_scale.h"
#include "core/signals.h"
#include "core/system_palette.h"

namespace plat {
namespace {

// Virtual time starts well away from 0, as a tick count after boot would.
constexpr uint32_t kVirtualStart = 1000000;

uint64_t RealMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend(const host::Options& options, std::string* error) {
  int depth = options.depth == 8 ? 8 : 24;
  if (options.width < 1 || options.height < 1 || options.width > 16384 || options.height > 16384) {
    if (error) *error = "the headless screen must be 1 to 16384 pixels wide and high";
    return nullptr;
  }
  // The framebuffer is the program's screen; only pictures of it are scaled.
  int scale = ChooseScreenScale(options.scale, options.width, options.height);
  size_t bytes = static_cast<size_t>(options.width / scale) * (options.height / scale) * (depth == 8 ? 1 : 4);
  std::unique_ptr<Backend> backend;
  try {
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
    if (pixels) backend = std::make_unique<HeadlessBackend>(options, std::move(pixels));
  } catch (const std::bad_alloc&) {
  }
  if (!backend) {
    if (error)
      *error = "not enough memory for a headless screen of " + std::to_string(options.width) + " x " +
               std::to_string(options.height);
    return nullptr;
  }
  InstallSignalHandlers();
  return backend;
}

HeadlessBackend::HeadlessBackend(const host::Options& options, std::unique_ptr<uint8_t[]> pixels)
    : options_(options),
      depth_(options.depth == 8 ? 8 : 24),
      scale_(ChooseScreenScale(options.scale, options.width, options.height)),
      pixels_(std::move(pixels)),
      realTime_(options.realTime),
      virtualNow_(kVirtualStart),
      realStart_(RealMs()) {
  screen_.width = options.width / scale_;
  screen_.height = options.height / scale_;
  screen_.depth = depth_ == 8 ? 8 : 32;
  screen_.pitch = screen_.width * (depth_ == 8 ? 1 : 4);
  screen_.pixels = pixels_.get();
  ResetSystemPalette();
  // The empty desktop.
  COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
  if (depth_ == 8) {
    const SystemPalette& palette = TheSystemPalette();
    uint8_t index = 0;
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& e = palette.entries[i];
      if (RGB(e.peRed, e.peGreen, e.peBlue) == desktop) {
        index = static_cast<uint8_t>(i);
        break;
      }
    }
    std::fill(pixels_.get(), pixels_.get() + static_cast<size_t>(screen_.pitch) * screen_.height, index);
  } else {
    uint32_t value = (GetRValue(desktop) << 16) | (GetGValue(desktop) << 8) | GetBValue(desktop);
    auto* p = reinterpret_cast<uint32_t*>(pixels_.get());
    std::fill(p, p + static_cast<size_t>(screen_.width) * screen_.height, value);
  }
  cursorX_ = screen_.width / 2;
  cursorY_ = screen_.height / 2;
}

HeadlessBackend::~HeadlessBackend() = default;

uint32_t HeadlessBackend::Now() {
  if (realTime_) return kVirtualStart + static_cast<uint32_t>(RealMs() - realStart_);
  return virtualNow_;
}

void HeadlessBackend::Advance(uint32_t ms) {
  if (!realTime_) virtualNow_ += ms;
}

void HeadlessBackend::Sleep(uint32_t ms) {
  if (realTime_) {
    if (ms) usleep(static_cast<useconds_t>(ms) * 1000);
    return;
  }
  virtualNow_ += ms;
}

void HeadlessBackend::Script(HostEvent event, uint32_t at) { Insert(Scripted{at, scriptOrder_++, event}); }

void HeadlessBackend::Insert(const Scripted& entry) {
  // Keep the script sorted by time; equal times keep their order.
  auto position = std::upper_bound(
      script_.begin(), script_.end(), entry,
      [](const Scripted& a, const Scripted& b) { return static_cast<int32_t>(a.at - b.at) < 0; });
  script_.insert(position, entry);
}

bool HeadlessBackend::TakeDue(HostEvent* event) {
  if (TakeTerminateRequest()) {
    *event = HostEvent{};
    event->kind = HostEvent::kTerminate;
    event->time = Now();
    return true;
  }
  if (script_.empty()) return false;
  const Scripted& next = script_.front();
  if (next.at != 0 && static_cast<int32_t>(next.at - Now()) > 0) return false;
  if (uint64_t gone = next.foreignGone) {
    script_.pop_front();
    DestroyForeign(gone);
    return TakeDue(event);
  }
  *event = next.event;
  script_.pop_front();
  event->time = Now();
  if (event->kind == HostEvent::kMouseMove || event->kind == HostEvent::kButtonDown ||
      event->kind == HostEvent::kButtonUp) {
    cursorX_ = event->x;
    cursorY_ = event->y;
  }
  if (event->kind == HostEvent::kTerminate) TakeTerminateRequest();
  return true;
}

bool HeadlessBackend::WaitEvent(HostEvent* event, uint32_t timeoutMs) {
  if (TakeDue(event)) return true;
  if (!realTime_ && timeoutMs == INFINITE && script_.empty()) {
    // Nothing can ever happen in virtual time: wait for real, for a signal.
    pollfd fd{SignalWakeFd(), POLLIN, 0};
    if (fd.fd >= 0 && !SignalPending()) poll(&fd, 1, -1);
    DrainSignalWakeFd();
    return TakeDue(event);
  }
  if (!realTime_) {
    if (!script_.empty() && script_.front().at != 0) {
      uint32_t wait = script_.front().at - virtualNow_;
      if (wait <= timeoutMs) {
        virtualNow_ += wait;
        return TakeDue(event);
      }
    }
    virtualNow_ += timeoutMs;
    return TakeDue(event);
  }
  uint32_t start = Now();
  for (;;) {
    uint32_t waited = Now() - start;
    if (timeoutMs != INFINITE && waited >= timeoutMs) return TakeDue(event);
    uint32_t wait = timeoutMs == INFINITE ? 60000 : timeoutMs - waited;
    if (!script_.empty()) {
      int32_t untilNext = static_cast<int32_t>(script_.front().at - Now());
      if (untilNext < static_cast<int32_t>(wait)) wait = untilNext < 0 ? 0 : static_cast<uint32_t>(untilNext);
    }
    pollfd fd{SignalWakeFd(), POLLIN, 0};
    if (fd.fd >= 0) {
      poll(&fd, 1, static_cast<int>(wait));
      DrainSignalWakeFd();
    } else {
      usleep(wait * 1000);
    }
    if (TakeDue(event)) return true;
    if (SignalPending()) return false;  // an activation request: the caller looks at it
  }
}

uint64_t HeadlessBackend::NewNativeId() {
  // Unique among processes on the same headless screen, and far from the
  // range of the program's own window handles.
  return ((static_cast<uint64_t>(getpid()) + 16) << 20) | (nextId_++ & 0xFFFFF);
}

NativeWindow* HeadlessBackend::CreateNative(const TopLevelSpec& spec) {
  auto window = std::make_unique<Window>();
  window->native.surface = &screen_;
  window->native.nativeId = NewNativeId();
  window->foreignParent = spec.foreignParent;
  window->visible = spec.visible;
  int x = spec.x, y = spec.y;
  if (spec.foreignParent) {
    RECT parent;
    if (ForeignWindowRect(spec.foreignParent, &parent)) {
      x += parent.left;
      y += parent.top;
    }
  }
  window->native.surfaceX = x;
  window->native.surfaceY = y;
  window->native.backendData = window.get();
  windows_.push_back(std::move(window));
  return &windows_.back()->native;
}

void HeadlessBackend::DestroyNative(NativeWindow* native) {
  // Events still scripted for it must not point at freed memory.
  for (Scripted& entry : script_)
    if (entry.event.window == native) entry.event.window = nullptr;
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [native](const std::unique_ptr<Window>& w) { return &w->native == native; }),
                 windows_.end());
}

void HeadlessBackend::MoveNative(NativeWindow* native, int x, int y, int width, int height) {
  auto* window = static_cast<Window*>(native->backendData);
  if (window->foreignParent) {
    RECT parent;
    if (ForeignWindowRect(window->foreignParent, &parent)) {
      x += parent.left;
      y += parent.top;
    }
  }
  native->surfaceX = x;
  native->surfaceY = y;
}

void HeadlessBackend::ShowNative(NativeWindow* native, bool visible) {
  static_cast<Window*>(native->backendData)->visible = visible;
}

void HeadlessBackend::Present(NativeWindow* window, const RECT* rects, int count) {
  if (!options_.recordDir.empty()) Record();
  if (!options_.keepPresentLog && options_.recordDir.empty()) return;
  if (presented_.size() >= headless::kPresentLogLimit)
    presented_.erase(presented_.begin(), presented_.begin() + headless::kPresentLogLimit / 2);
  headless::PresentRecord record;
  record.time = Now();
  record.nativeId = window ? window->nativeId : 0;
  for (int i = 0; i < count; ++i) {
    RECT r = rects[i];
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, screen_.width);
    r.bottom = std::min<LONG>(r.bottom, screen_.height);
    if (r.left < r.right && r.top < r.bottom) record.rects.push_back(r);
  }
  if (hashPresented_) {
    // FNV-1a over the colours shown, rectangle by rectangle.
    uint64_t hash = 1469598103934665603ull;
    for (const RECT& r : record.rects)
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          uint32_t colour = Pixel(x, y);
          for (int b = 0; b < 3; ++b) hash = (hash ^ ((colour >> (8 * b)) & 0xFF)) * 1099511628211ull;
        }
    record.contentHash = hash;
  }
  presented_.push_back(std::move(record));
}

void HeadlessBackend::Record() {
  std::error_code ignored;
  std::filesystem::create_directories(options_.recordDir, ignored);
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", ++frameNumber_);
  SavePng((std::filesystem::path(options_.recordDir) / name).string());
}

COLORREF HeadlessBackend::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= screen_.width || y >= screen_.height) return CLR_INVALID;
  if (depth_ == 8) {
    const PALETTEENTRY& e =
        TheSystemPalette().entries[screen_.pixels[static_cast<size_t>(y) * screen_.pitch + x]];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  uint32_t v = reinterpret_cast<const uint32_t*>(screen_.pixels + static_cast<size_t>(y) * screen_.pitch)[x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool HeadlessBackend::SavePng(const std::string& path) const {
  // The real screen: each of the program's pixels as a block of scale x
  // scale; the rest of less than a block beyond the program's screen is black.
  int width = options_.width, height = options_.height;
  return WriteRgbPng(path, width, height, [this, width](int y, uint8_t* rgb) {
    std::fill(rgb, rgb + static_cast<size_t>(width) * 3, uint8_t{0});
    int sy = y / scale_;
    if (sy >= screen_.height) return;
    for (int x = 0; x < screen_.width; ++x) {
      COLORREF c = Pixel(x, sy);
      for (int k = 0; k < scale_; ++k, rgb += 3) {
        rgb[0] = GetRValue(c);
        rgb[1] = GetGValue(c);
        rgb[2] = GetBValue(c);
      }
    }
  });
}

bool HeadlessBackend::ForeignWindowExists(uint64_t id) {
  for (const Foreign& f : foreign_)
    if (f.id == id) return true;
  return false;
}

bool HeadlessBackend::ForeignWindowRect(uint64_t id, RECT* screenRect) {
  for (const Foreign& f : foreign_)
    if (f.id == id) {
      *screenRect = f.rect;
      return true;
    }
  return false;
}

uint64_t HeadlessBackend::CreateForeign(int x, int y, int width, int height) {
  Foreign f{NewNativeId(), RECT{x, y, x + width, y + height}};
  foreign_.push_back(f);
  return f.id;
}

void HeadlessBackend::DestroyForeign(uint64_t id, uint32_t at) {
  if (at != 0 && static_cast<int32_t>(at - Now()) > 0) {
    Insert(Scripted{at, scriptOrder_++, HostEvent{}, id});
    return;
  }
  foreign_.erase(
      std::remove_if(foreign_.begin(), foreign_.end(), [id](const Foreign& f) { return f.id == id; }),
      foreign_.end());
  for (const auto& window : windows_) {
    if (window->foreignParent != id) continue;
    HostEvent gone;
    gone.kind = HostEvent::kParentGone;
    gone.window = &window->native;
    Script(gone, 0);
  }
}

void HeadlessBackend::GetCursorPos(int* x, int* y) {
  *x = cursorX_;
  *y = cursorY_;
}

void HeadlessBackend::SetCursorPos(int x, int y) {
  cursorX_ = std::clamp(x, 0, screen_.width - 1);
  cursorY_ = std::clamp(y, 0, screen_.height - 1);
}

int HeadlessBackend::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  headless::MessageBoxRecord record{owner, caption ? caption : "Error", text ? text : "", type};
  if (options_.reportsToStderr) std::fprintf(stderr, "%s: %s\n", record.caption.c_str(), record.text.c_str());
  messageBoxes_.push_back(std::move(record));
  return answer_ ? answer_ : IDOK;
}

void HeadlessBackend::TakeFinalScreenshot() {
  if (options_.screenshot.empty() || screenshotTaken_) return;
  screenshotTaken_ = true;
  if (!SavePng(options_.screenshot))
    std::fprintf(stderr, "%s: cannot write %s\n", options_.programName.c_str(), options_.screenshot.c_str());
}

void HeadlessBackend::Finish() { TakeFinalScreenshot(); }

std::string HeadlessBackend::DesktopName() const {
  if (!options_.windowDirectory.empty()) return options_.windowDirectory;
  const char* shared = std::getenv("ORVANEL_HEADLESS_SCREEN");
  return shared ? shared : "";
}

HeadlessBackend* RunningHeadless() {
  if (!HasBackend()) return nullptr;
  return dynamic_cast<HeadlessBackend*>(&CurrentBackend());
}

}  // namespace plat
