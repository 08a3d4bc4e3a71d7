// Children of windows of other programs: the preview inside the display
// settings, the xscreensaver window.
#include "xvfb_fixture.h"

namespace sdltest {
namespace {

using SdlForeign = XvfbTest;

TEST_F(SdlForeign, WindowsOfOtherProgramsAreFoundOrSafelyNotFound) {
  ASSERT_TRUE(StartBackend());
  Window other = CreateTestWindow(50, 60, 400, 300, 0x336699);
  XSync(display_, False);
  EXPECT_TRUE(backend_->ForeignWindowExists(other));
  RECT rect = {};
  ASSERT_TRUE(backend_->ForeignWindowRect(other, &rect));
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right, 450);
  EXPECT_EQ(rect.bottom, 360);

  // Ids that name nothing are answered, not fatal X errors.
  EXPECT_FALSE(backend_->ForeignWindowExists(0));
  EXPECT_FALSE(backend_->ForeignWindowExists(other + 12345));
  EXPECT_FALSE(backend_->ForeignWindowExists(0x7FFFFFF0));
  EXPECT_FALSE(backend_->ForeignWindowExists(uint64_t{1} << 40));
  EXPECT_FALSE(backend_->ForeignWindowRect(other + 12345, &rect));
  XDestroyWindow(display_, other);
  XSync(display_, False);
  EXPECT_FALSE(backend_->ForeignWindowExists(other));
  plat::TopLevelSpec spec;
  spec.foreignParent = other;
  EXPECT_EQ(backend_->CreateNative(spec), nullptr);
}

TEST_F(SdlForeign, ChildFollowsItsParentAndNoticesItsEnd) {
  ASSERT_TRUE(StartBackend());
  Window parent = CreateTestWindow(30, 40, 400, 300, 0xFFFFFF);
  plat::TopLevelSpec spec;
  spec.width = 400;
  spec.height = 300;
  spec.title = "Preview";
  spec.foreignParent = parent;
  plat::NativeWindow* native = backend_->CreateNative(spec);
  ASSERT_NE(native, nullptr);
  Drain();

  Window child = static_cast<Window>(native->nativeId);
  Window root = 0, reportedParent = 0, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(display_, child, &root, &reportedParent, &children, &count));
  if (children) XFree(children);
  EXPECT_EQ(reportedParent, parent);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display_, child, &attributes));
  EXPECT_EQ(attributes.width, 400);
  EXPECT_EQ(attributes.height, 300);
  EXPECT_EQ(attributes.map_state, IsViewable);

  plat::Surface* surface = native->surface;
  ASSERT_EQ(surface->width, 400);
  ASSERT_EQ(surface->height, 300);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      reinterpret_cast<uint32_t*>(surface->pixels + y * surface->pitch)[x] = x < 200 ? 0xC00000 : 0x00C000;
  RECT all = {0, 0, 400, 300};
  Show(native, &all, 1);
  EXPECT_EQ(ReadPixel(display_, child, 10, 10), 0xC00000u);
  EXPECT_EQ(ReadPixel(display_, child, 399, 299), 0x00C000u);
  EXPECT_EQ(ReadPixel(display_, parent, 10, 10), 0xC00000u);

  // The parent shrinks: so do we, and the program hears of it.
  XResizeWindow(display_, parent, 320, 200);
  XSync(display_, False);
  plat::HostEvent event;
  ASSERT_TRUE(WaitFor(plat::HostEvent::kResize, &event));
  EXPECT_EQ(event.window, native);
  EXPECT_EQ(event.x, 320);
  EXPECT_EQ(event.y, 200);
  EXPECT_EQ(surface->width, 320);
  EXPECT_EQ(surface->height, 200);
  ASSERT_TRUE(XGetWindowAttributes(display_, child, &attributes));
  EXPECT_EQ(attributes.width, 320);
  EXPECT_EQ(attributes.height, 200);
  // What was drawn stays.
  EXPECT_EQ(surface->pixels[(199 * surface->pitch) + 4 * 10 + 2], 0xC0);

  // The parent goes: the program hears of it, and nothing it does to the
  // window afterwards is an X error.
  XDestroyWindow(display_, parent);
  XSync(display_, False);
  ASSERT_TRUE(WaitFor(plat::HostEvent::kParentGone, &event));
  EXPECT_EQ(event.window, native);
  Show(native, &all, 1);
  backend_->MoveNative(native, 0, 0, 10, 10);
  backend_->ShowNative(native, true);
  backend_->RaiseNative(native);
  Drain(100);
  backend_->DestroyNative(native);
  Drain(100);
}

}  // namespace
}  // namespace sdltest
