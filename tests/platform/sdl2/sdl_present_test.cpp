// Windows of our own: what Present puts on the X server, palette screens,
// the screenshot, and a screen shown at a scale.
#include "xvfb_fixture.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/system_palette.h"
#include "support/png_file.h"

namespace sdltest {
namespace {

uint32_t Pattern(int x, int y) {
  return (static_cast<uint32_t>(x * 7 & 255) << 16) | (static_cast<uint32_t>(y * 3 & 255) << 8) |
         static_cast<uint32_t>((x + y) & 255);
}

void FillPattern(plat::Surface* surface) {
  for (int y = 0; y < surface->height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(surface->pixels + static_cast<size_t>(y) * surface->pitch);
    for (int x = 0; x < surface->width; ++x) row[x] = Pattern(x, y);
  }
}

plat::NativeWindow* FullScreen(plat::Backend& backend) {
  plat::TopLevelSpec spec;
  spec.width = backend.ScreenWidth();
  spec.height = backend.ScreenHeight();
  spec.title = "Screen Saver";
  spec.fullScreen = true;
  spec.topMost = true;
  return backend.CreateNative(spec);
}

using SdlPresent = XvfbTest;

TEST_F(SdlPresent, ScreenIsTheDesktopAndFollowsItsSize) {
  ASSERT_TRUE(StartBackend());
  EXPECT_STREQ(backend_->Name(), "sdl2");
  EXPECT_EQ(backend_->ScreenWidth(), 1024);
  EXPECT_EQ(backend_->ScreenHeight(), 768);
  EXPECT_EQ(backend_->ScreenDepth(), 24);

  // The screen changes size (RandR): the root window tells, as the server would.
  Window root = DefaultRootWindow(display_);
  XEvent configure = {};
  configure.xconfigure.type = ConfigureNotify;
  configure.xconfigure.event = root;
  configure.xconfigure.window = root;
  configure.xconfigure.width = 800;
  configure.xconfigure.height = 600;
  XSendEvent(display_, root, False, StructureNotifyMask, &configure);
  XSync(display_, False);
  uint32_t start = backend_->Now();
  plat::HostEvent event;
  while (backend_->ScreenWidth() != 800 && backend_->Now() - start < 3000) backend_->WaitEvent(&event, 20);
  EXPECT_EQ(backend_->ScreenWidth(), 800);
  EXPECT_EQ(backend_->ScreenHeight(), 600);
}

TEST_F(SdlPresent, FullScreenWindowShowsExactlyThePresentedRectangles) {
  ASSERT_TRUE(StartBackend());
  plat::NativeWindow* native = FullScreen(*backend_);
  ASSERT_NE(native, nullptr);
  Drain();
  Window window = static_cast<Window>(native->nativeId);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display_, window, &attributes));
  int x = -1, y = -1;
  Window child;
  XTranslateCoordinates(display_, window, attributes.root, 0, 0, &x, &y, &child);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(attributes.width, 1024);
  EXPECT_EQ(attributes.height, 768);
  EXPECT_EQ(attributes.map_state, IsViewable);

  plat::Surface* surface = native->surface;
  ASSERT_EQ(surface->width, 1024);
  ASSERT_EQ(surface->height, 768);
  ASSERT_EQ(surface->depth, 32);
  FillPattern(surface);
  RECT rects[] = {{10, 20, 110, 70}, {500, 600, 501, 601}, {1000, 700, 1200, 900}};
  Show(native, rects, 3);

  const int inside[][2] = {{10, 20}, {109, 69}, {60, 40}, {500, 600}, {1023, 767}, {1000, 700}};
  for (auto& p : inside)
    EXPECT_EQ(ReadPixel(display_, window, p[0], p[1]), Pattern(p[0], p[1])) << p[0] << "," << p[1];
  const int outside[][2] = {{9, 20}, {110, 20}, {10, 70}, {501, 600}, {999, 700}, {300, 300}};
  for (auto& p : outside) EXPECT_EQ(ReadPixel(display_, window, p[0], p[1]), 0u) << p[0] << "," << p[1];
  // The root window shows the same: nothing covers the saver.
  EXPECT_EQ(ReadPixel(display_, attributes.root, 60, 40), Pattern(60, 40));

  RECT all = {0, 0, 1024, 768};
  Show(native, &all, 1);
  EXPECT_EQ(ReadPixel(display_, window, 300, 300), Pattern(300, 300));
  backend_->DestroyNative(native);
}

TEST_F(SdlPresent, DialogWindowSitsWhereAskedAndMoves) {
  ASSERT_TRUE(StartBackend());
  plat::TopLevelSpec spec;
  spec.x = 100;
  spec.y = 50;
  spec.width = 300;
  spec.height = 200;
  spec.title = "Settings";
  plat::NativeWindow* native = backend_->CreateNative(spec);
  ASSERT_NE(native, nullptr);
  Drain();
  RECT rect;
  ASSERT_TRUE(backend_->ForeignWindowRect(native->nativeId, &rect));
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right, 400);
  EXPECT_EQ(rect.bottom, 250);

  backend_->MoveNative(native, 200, 100, 400, 250);
  EXPECT_EQ(native->surface->width, 400);
  EXPECT_EQ(native->surface->height, 250);
  FillPattern(native->surface);
  Drain();
  ASSERT_TRUE(backend_->ForeignWindowRect(native->nativeId, &rect));
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.right, 600);
  EXPECT_EQ(rect.bottom, 350);
  RECT all = {0, 0, 400, 250};
  Show(native, &all, 1);
  EXPECT_EQ(ReadPixel(display_, static_cast<Window>(native->nativeId), 399, 249), Pattern(399, 249));
}

TEST_F(SdlPresent, PaletteScreenShowsIndicesThroughTheSystemPalette) {
  ASSERT_TRUE(StartBackend(8));
  EXPECT_EQ(backend_->ScreenDepth(), 8);
  plat::NativeWindow* native = FullScreen(*backend_);
  ASSERT_NE(native, nullptr);
  Drain();
  plat::Surface* surface = native->surface;
  ASSERT_EQ(surface->depth, 8);
  ASSERT_EQ(surface->pitch, surface->width);
  for (int y = 0; y < surface->height; ++y)
    for (int x = 0; x < surface->width; ++x) surface->pixels[y * surface->pitch + x] = x < 512 ? 5 : 252;
  RECT all = {0, 0, surface->width, surface->height};
  Show(native, &all, 1);
  Window window = static_cast<Window>(native->nativeId);
  EXPECT_EQ(ReadPixel(display_, window, 10, 10), 0x800080u);   // static colour 5
  EXPECT_EQ(ReadPixel(display_, window, 600, 10), 0x0000FFu);  // static colour 252

  // Changing a colour changes every pixel of that index, at once.
  plat::SystemPalette& palette = plat::TheSystemPalette();
  palette.entries[5] = PALETTEENTRY{10, 20, 30, PC_RESERVED};
  ++palette.version;
  backend_->SystemPaletteChanged();
  Settle(native);
  EXPECT_EQ(ReadPixel(display_, window, 10, 10), 0x0A141Eu);
  EXPECT_EQ(ReadPixel(display_, window, 511, 767), 0x0A141Eu);
  EXPECT_EQ(ReadPixel(display_, window, 600, 10), 0x0000FFu);
  plat::ResetSystemPalette();
}

// A screenshot's pixel as 0xRRGGBB.
uint32_t ColourAt(const testsupport::RgbPicture& picture, unsigned x, unsigned y) {
  const uint8_t* p = picture.At(x, y);
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

TEST_F(SdlPresent, ScreenshotHoldsTheWindowsAtTheirPlaces) {
  std::string path = (std::filesystem::temp_directory_path() / "sdl2-backend-screenshot.png").string();
  std::remove(path.c_str());
  ASSERT_TRUE(StartBackend(24, path));
  plat::NativeWindow* screen = FullScreen(*backend_);
  ASSERT_NE(screen, nullptr);
  FillPattern(screen->surface);
  plat::TopLevelSpec spec;
  spec.x = 100;
  spec.y = 80;
  spec.width = 200;
  spec.height = 100;
  spec.title = "About";
  spec.topMost = true;
  plat::NativeWindow* box = backend_->CreateNative(spec);
  ASSERT_NE(box, nullptr);
  for (int i = 0; i < 200 * 100; ++i) reinterpret_cast<uint32_t*>(box->surface->pixels)[i] = 0x2040C0;
  backend_->Finish();

  testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  ASSERT_EQ(shot.width, 1024u);
  ASSERT_EQ(shot.height, 768u);
  ASSERT_FALSE(shot.pixels.empty());
  auto at = [&](unsigned x, unsigned y) { return ColourAt(shot, x, y); };
  EXPECT_EQ(at(5, 5), Pattern(5, 5));
  EXPECT_EQ(at(1023, 767), Pattern(1023, 767));
  EXPECT_EQ(at(100, 80), 0x2040C0u);
  EXPECT_EQ(at(299, 179), 0x2040C0u);
  EXPECT_EQ(at(300, 179), Pattern(300, 179));

  // A window that is not top-most lies under the full-screen one.
  plat::TopLevelSpec hiddenSpec = spec;
  hiddenSpec.x = 400;
  hiddenSpec.topMost = false;
  plat::NativeWindow* under = backend_->CreateNative(hiddenSpec);
  ASSERT_NE(under, nullptr);
  for (int i = 0; i < 200 * 100; ++i) reinterpret_cast<uint32_t*>(under->surface->pixels)[i] = 0xFFFFFF;
  backend_->Finish();
  shot = testsupport::ReadPngRgb(path);
  ASSERT_FALSE(shot.pixels.empty());
  EXPECT_EQ(at(450, 100), Pattern(450, 100));
  EXPECT_EQ(at(100, 80), 0x2040C0u);
}

TEST_F(SdlPresent, UncoveredPartsAreShownAgain) {
  ASSERT_TRUE(StartBackend());
  plat::NativeWindow* native = FullScreen(*backend_);
  ASSERT_NE(native, nullptr);
  Drain();
  FillPattern(native->surface);
  RECT all = {0, 0, 1024, 768};
  Show(native, &all, 1);
  Window root = DefaultRootWindow(display_);
  ASSERT_EQ(ReadPixel(display_, root, 150, 150), Pattern(150, 150));

  // Another program's window covers part of ours and goes away again.
  Window cover = CreateTestWindow(100, 100, 200, 200, 0xFFFFFF);
  XRaiseWindow(display_, cover);
  XSync(display_, False);
  EXPECT_EQ(ReadPixel(display_, root, 150, 150), 0xFFFFFFu);
  XDestroyWindow(display_, cover);
  XSync(display_, False);
  plat::HostEvent event;
  ASSERT_TRUE(WaitFor(plat::HostEvent::kExpose, &event));
  EXPECT_EQ(event.window, native);
  Settle(native);
  EXPECT_EQ(ReadPixel(display_, root, 150, 150), Pattern(150, 150));
  EXPECT_EQ(ReadPixel(display_, root, 299, 299), Pattern(299, 299));
}

// Real pixels of a window around a rectangle of the program's (one block
// more on each side) that differ from what a screen at `scale` shows: the
// pattern inside the rectangle, black outside.
int WrongRealPixels(Display* display, Window window, const RECT& r, int scale) {
  int left = (r.left - 1) * scale, top = (r.top - 1) * scale;
  int width = (r.right - r.left + 2) * scale, height = (r.bottom - r.top + 2) * scale;
  XImage* image = XGetImage(display, window, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return -1;
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int px = (left + x) / scale, py = (top + y) / scale;
      bool inside = px >= r.left && px < r.right && py >= r.top && py < r.bottom;
      uint32_t want = inside ? Pattern(px, py) : 0;
      if ((static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF) != want) ++wrong;
    }
  XDestroyImage(image);
  return wrong;
}

// A big screen: the program sees it `scale` times smaller; its pixels are
// blocks on the server, in its own windows and in other programs' alike,
// and the places it hears of are its own.
TEST_F(SdlPresent, ScaledScreenShowsEachPixelAsABlock) {
  std::string path = (std::filesystem::temp_directory_path() / "sdl2-backend-scaled.png").string();
  std::remove(path.c_str());
  ASSERT_TRUE(StartBackend(24, path, 2));
  EXPECT_EQ(backend_->ScreenWidth(), 512);
  EXPECT_EQ(backend_->ScreenHeight(), 384);
  plat::NativeWindow* native = FullScreen(*backend_);
  ASSERT_NE(native, nullptr);
  Drain();
  Window window = static_cast<Window>(native->nativeId);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display_, window, &attributes));
  EXPECT_EQ(attributes.width, 1024);
  EXPECT_EQ(attributes.height, 768);
  plat::Surface* surface = native->surface;
  ASSERT_EQ(surface->width, 512);
  ASSERT_EQ(surface->height, 384);
  FillPattern(surface);
  RECT rects[] = {{10, 20, 110, 70}, {300, 200, 301, 201}};
  Show(native, rects, 2);
  for (const RECT& r : rects)
    EXPECT_EQ(WrongRealPixels(display_, window, r, 2), 0) << "around " << r.left << "," << r.top;

  // A window of another program at an odd place and size: its whole blocks.
  Window parent = CreateTestWindow(41, 61, 301, 201, 0xFFFFFF);
  RECT rect = {};
  ASSERT_TRUE(backend_->ForeignWindowRect(parent, &rect));
  EXPECT_EQ(rect.left, 20);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(rect.right, 170);
  EXPECT_EQ(rect.bottom, 130);
  plat::TopLevelSpec spec;
  spec.title = "Preview";
  spec.foreignParent = parent;
  plat::NativeWindow* preview = backend_->CreateNative(spec);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->surface->width, 150);
  EXPECT_EQ(preview->surface->height, 100);
  ASSERT_TRUE(XGetWindowAttributes(display_, static_cast<Window>(preview->nativeId), &attributes));
  EXPECT_EQ(attributes.width, 300);
  EXPECT_EQ(attributes.height, 200);
  XResizeWindow(display_, parent, 401, 301);
  XSync(display_, False);
  plat::HostEvent event;
  ASSERT_TRUE(WaitFor(plat::HostEvent::kResize, &event));
  EXPECT_EQ(event.window, preview);
  EXPECT_EQ(event.x, 200);
  EXPECT_EQ(event.y, 150);
  backend_->DestroyNative(preview);
  XDestroyWindow(display_, parent);
  XSync(display_, False);

  // The mouse, both ways.
  backend_->SetCursorPos(100, 60);
  XSync(display_, False);
  Window root, child;
  int rootX = 0, rootY = 0, winX, winY;
  unsigned mask;
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
  EXPECT_EQ(rootX, 200);
  EXPECT_EQ(rootY, 120);
  Drain();  // the move to there
  XTestFakeMotionEvent(display_, 0, 701, 501, CurrentTime);
  XSync(display_, False);
  ASSERT_TRUE(WaitFor(plat::HostEvent::kMouseMove, &event));
  EXPECT_EQ(event.window, native);
  EXPECT_EQ(event.x, 350);
  EXPECT_EQ(event.y, 250);
  int x = 0, y = 0;
  backend_->GetCursorPos(&x, &y);
  EXPECT_EQ(x, 350);
  EXPECT_EQ(y, 250);

  // The screenshot is of the real screen.
  backend_->Finish();
  const testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  ASSERT_EQ(shot.width, 1024u);
  ASSERT_EQ(shot.height, 768u);
  ASSERT_FALSE(shot.pixels.empty());
  int wrong = 0;
  for (unsigned ry = 0; ry < shot.height; ++ry)
    for (unsigned rx = 0; rx < shot.width; ++rx)
      wrong += ColourAt(shot, rx, ry) != Pattern(static_cast<int>(rx / 2), static_cast<int>(ry / 2));
  EXPECT_EQ(wrong, 0);
  std::remove(path.c_str());
  backend_->DestroyNative(native);
}

}  // namespace
}  // namespace sdltest
