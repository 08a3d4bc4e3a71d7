// mDirector on the headless screen: the dirty list, the sprite list, timers,
// hits, palettes and what reaches the screen.
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>

#include "engine/stage/stage_test_support.h"
#include "orvanel/headless.h"
#include "stage/render_solid.h"
#include "support/host_fixture.h"

namespace {

using stagetest::DirtyAreas;
using stagetest::LoggingRenderer;

class DirectorTest : public testsupport::HeadlessTest {
 protected:
  // A director over a window of the given client size, its first frame shown.
  std::unique_ptr<mDirector> MakeDirector(int width = 128, int height = 128, int capacity = 50) {
    HWND window = stagetest::MakeWindow(0, 0, width, height);
    EXPECT_NE(nullptr, window);
    auto director = std::make_unique<mDirector>(window, capacity);
    director->Frame();
    return director;
  }
};

std::string Areas(const mDirector& d) { return stagetest::Describe(DirtyAreas(d)); }

// The stage starts all black (white at 255) until a picture brings colours.
void UseDefaultColours(mDirector& d) {
  RGBQUAD table[256];
  mBitmap::LoadDefaultColours(table);
  d.SetPalette(table, 0, 256);
}

// The colour the stage shows at (x, y), through its table.
COLORREF Shown(const mBitmap& bitmap, int x, int y) {
  const RGBQUAD& c = bitmap.desc->colours[*bitmap.desc->Pixel(x, y)];
  return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

TEST_F(DirectorTest, StartsAsABlackStageWithItsBackground) {
  auto director = MakeDirector(100, 60);
  EXPECT_EQ(100, director->desc->width);
  EXPECT_EQ(60, director->desc->height);
  EXPECT_NE(nullptr, director->memoryDC);
  ASSERT_NE(nullptr, director->background);
  EXPECT_EQ(0u, director->background->hitMask);
  EXPECT_EQ(1, director->background->refCount);
  EXPECT_EQ(1, director->used);
  EXPECT_EQ(RGB(0, 0, 0), headless::ScreenPixel(50, 30));
  // No palette screen: the identity palette forces white at the top.
  EXPECT_EQ(255, director->desc->colours[255].rgbRed + director->desc->colours[255].rgbBlue - 255);
  EXPECT_EQ(0, director->desc->colours[254].rgbGreen);
}

TEST_F(DirectorTest, AWindowWithoutAClientAreaGetsAOnePixelStageAndNoReport) {
  headless::ClearMessageBoxes();
  auto director = MakeDirector(0, 0);
  EXPECT_EQ(1, director->desc->width);
  EXPECT_EQ(1, director->desc->height);
  ASSERT_NE(nullptr, director->background);
  EXPECT_EQ(1, director->background->bounds.right);
  EXPECT_EQ(1, director->background->bounds.bottom);
  director->Frame();
  EXPECT_TRUE(headless::MessageBoxes().empty()) << headless::MessageBoxes().front().text;
}

TEST_F(DirectorTest, DirtyAreasAbsorbMergeAndSplit) {
  auto d = MakeDirector();
  EXPECT_EQ(1, d->AddDirtyRect(0, 0, 8, 8));
  EXPECT_EQ(1, d->AddDirtyRect(0, 0, 8, 8));
  EXPECT_EQ("(0,0)-(8,8) ", Areas(*d)) << "an equal area replaces the old entry";
  EXPECT_EQ(3, d->used) << "and takes a slot of its own";
  d->ShowDirty();
  EXPECT_EQ(1, d->used);

  d->AddDirtyRect(0, 0, 16, 16);
  EXPECT_EQ(1, d->AddDirtyRect(4, 4, 8, 8));
  EXPECT_EQ("(0,0)-(16,16) ", Areas(*d)) << "an area inside an entry changes nothing";
  EXPECT_EQ(2, d->used);
  d->ShowDirty();

  d->AddDirtyRect(0, 0, 8, 8);
  d->AddDirtyRect(8, 0, 16, 8);
  EXPECT_EQ("(0,0)-(16,8) ", Areas(*d)) << "same top and bottom, touching";
  d->ShowDirty();

  d->AddDirtyRect(0, 0, 8, 8);
  d->AddDirtyRect(0, 8, 8, 16);
  EXPECT_EQ("(0,0)-(8,16) ", Areas(*d)) << "same left and right, touching";
  d->ShowDirty();

  d->AddDirtyRect(0, 0, 4, 4);
  d->AddDirtyRect(8, 0, 12, 4);
  d->AddDirtyRect(4, 0, 8, 4);
  EXPECT_EQ("(0,0)-(12,4) ", Areas(*d)) << "a union merges on with further entries";
  d->ShowDirty();

  d->AddDirtyRect(0, 0, 16, 16);
  d->AddDirtyRect(8, 8, 24, 24);
  EXPECT_EQ("(0,0)-(16,16) (16,8)-(24,16) (8,16)-(24,24) ", Areas(*d)) << "only the parts outside are added";
  d->ShowDirty();

  d->AddDirtyRect(8, 4, 12, 6);
  d->AddDirtyRect(0, 4, 4, 6);
  d->AddDirtyRect(20, 0, 24, 2);
  d->AddDirtyRect(0, 0, 4, 2);
  EXPECT_EQ("(0,0)-(4,2) (20,0)-(24,2) (0,4)-(4,6) (8,4)-(12,6) ", Areas(*d)) << "ordered by top, then left";
}

TEST_F(DirectorTest, MarkDirtyClipsAndAlignsToFourPixels) {
  auto d = MakeDirector(62, 40);
  const RECT rects[4] = {{5, 0, 6, 1}, {-10, 10, 3, 11}, {100, 0, 120, 5}, {60, 20, 70, 21}};
  d->MarkDirty(rects, 4);
  EXPECT_EQ("(4,0)-(8,1) (0,10)-(4,11) (60,20)-(64,21) ", Areas(*d));
  d->Frame();  // the rounded right edge past the width must be harmless to show
}

TEST_F(DirectorTest, CapacityCountsSlotsTakenSinceTheLastShow) {
  auto d = MakeDirector(128, 128, 50);
  for (int i = 0; i < 49; ++i) ASSERT_EQ(1, d->AddDirtyRect(0, 2 * i, 4, 2 * i + 1)) << "area " << i + 1;
  EXPECT_EQ(0, d->AddDirtyRect(100, 100, 104, 104)) << "the 50th area is refused";
  EXPECT_EQ(0, d->AddDirtyRect(0, 0, 4, 1)) << "even one already covered";
  d->ShowDirty();
  EXPECT_EQ(1, d->AddDirtyRect(100, 100, 104, 104));

  d->ResizeDirtyList(0);
  EXPECT_EQ(0, d->AddDirtyRect(0, 0, 4, 4)) << "no list: every area refused";
  d->Frame();
  d->ResizeDirtyList(100);
  EXPECT_EQ(1, d->used);
  EXPECT_EQ(100, d->capacity);
}

TEST_F(DirectorTest, SpritesDrawFromBackToFrontEqualDepthsInOrderOfAdding) {
  auto d = MakeDirector(64, 64);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 16, 16}), b(&log, "b", RECT{0, 0, 16, 16}),
      c(&log, "c", RECT{8, 8, 20, 20});
  a.depth = b.depth = 5;
  c.depth = 1;
  d->AddSprite(&a);
  d->AddSprite(&b);
  d->AddSprite(&c);
  EXPECT_EQ(1, a.paletteChanges) << "told of the palette on arrival";
  d->Frame();
  log.clear();
  const RECT area = {0, 0, 4, 4};
  d->MarkDirty(&area, 1);
  d->MarkDirty(&c.bounds, 1);
  d->RenderDirty();
  const std::vector<std::string> want = {"c draws (8,8)-(20,20) ", "a draws (0,0)-(4,4) ",
                                         "a draws (8,8)-(16,16) ", "b draws (0,0)-(4,4) ",
                                         "b draws (8,8)-(16,16) "};
  EXPECT_EQ(want, log);

  d->AddSprite(&a);  // already on the stage: nothing
  EXPECT_EQ(1, a.refCount);
  log.clear();
  d->ShowDirty();
  c.SetDepth(9);  // now in front
  EXPECT_EQ(9 + 16383, c.depthHigh) << "the depth window follows the new depth";
  d->RenderDirty();
  EXPECT_EQ("c draws (8,8)-(20,20) ", log.back());
  d->RemoveSprite(&a);
  d->RemoveSprite(&b);
  d->RemoveSprite(&c);
}

TEST_F(DirectorTest, RemovingSprites) {
  auto d = MakeDirector(64, 64);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 8, 8});
  EXPECT_EQ(0, d->RemoveSprite(&a)) << "not on this stage";
  d->AddSprite(&a);
  d->Frame();
  EXPECT_EQ(1, d->RemoveSprite(&a));
  EXPECT_EQ(0, a.refCount);
  EXPECT_EQ(nullptr, a.stage);
  EXPECT_EQ("a detached", log.back());
  EXPECT_EQ(2, d->used) << "its area marked (and redrawn at once) for the next frame";

  // The only sprite left leaves its picture behind and marks nothing.
  d->Frame();
  mRenderSolid* background = d->background;
  d->AddSprite(&a);
  d->RemoveSprite(&a);
  d->ShowDirty();
  EXPECT_EQ(1, d->RemoveSprite(background));
  EXPECT_EQ(1, d->used);
  EXPECT_EQ(nullptr, d->sprites);
}

TEST_F(DirectorTest, DestroyingTheStageLetsGoOfItsSprites) {
  auto d = MakeDirector(64, 64);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 8, 8});
  d->AddSprite(&a);
  headless::ClearMessageBoxes();
  d.reset();
  EXPECT_EQ(nullptr, a.stage);
  EXPECT_EQ(0, a.refCount);
  EXPECT_EQ("a detached", log.back());
  EXPECT_TRUE(headless::MessageBoxes().empty());

  // And a renderer deleted on a stage takes itself off.
  d = MakeDirector(64, 64);
  auto* b = new LoggingRenderer(&log, "b", RECT{0, 0, 8, 8});
  d->AddSprite(b);
  delete b;
  EXPECT_EQ(d->background, d->sprites);
  EXPECT_EQ(d->background, d->sprites->next);
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(DirectorTest, TimedSpritesGetOneAdvanceWithTheirLateness) {
  auto d = MakeDirector(64, 64);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 8, 8});
  a.interval = 100;
  d->AddSprite(&a);
  EXPECT_EQ(100u, d->Frame());
  headless::Advance(250);
  EXPECT_EQ(100u, d->Frame());
  EXPECT_EQ(std::vector<uint32_t>{150}, a.advances);
  EXPECT_EQ(timeGetTime(), a.lastTime);
  headless::Advance(30);
  EXPECT_EQ(70u, d->Frame());
  EXPECT_EQ(1u, a.advances.size());
  a.interval = 0;
  EXPECT_EQ(0u, d->Frame()) << "no timed sprite";
  d->RemoveSprite(&a);
}

TEST_F(DirectorTest, HitsAreToldToTheWatcher) {
  auto d = MakeDirector(64, 64);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 10, 10}), b(&log, "b", RECT{5, 5, 15, 15});
  a.hitId = 1;
  b.hitId = 2;
  a.hitMask = 2;
  b.hitMask = 0;
  d->AddSprite(&a);
  d->AddSprite(&b);
  log.clear();
  d->CheckHits();
  EXPECT_EQ(std::vector<std::string>{"a hit by b"}, log);
  b.hitMask = 1;
  log.clear();
  d->CheckHits();
  EXPECT_EQ((std::vector<std::string>{"a hit by b", "b hit by a"}), log);
  d->RemoveSprite(&a);
  d->RemoveSprite(&b);
}

TEST_F(DirectorTest, BackgroundColourRepaintsInTheNearestColour) {
  auto d = MakeDirector(64, 48);
  UseDefaultColours(*d);
  d->background->SetColour(RGBQUAD{250, 0, 0, 0});  // near blue
  EXPECT_EQ(252, d->background->colourIndex) << "on a true-colour screen the stage keeps its colours";
  d->Frame();
  EXPECT_EQ(252, *d->desc->Pixel(63, 47));
  EXPECT_EQ(RGB(0, 0, 255), headless::ScreenPixel(63, 47));
}

TEST_F(DirectorTest, TrueColourScreenTakesTheWholePalette) {
  auto d = MakeDirector(32, 32);
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 8, 8});
  d->AddSprite(&a);
  RGBQUAD colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{static_cast<BYTE>(i), 1, 2, 0};
  d->SetPalette(colours, 0, 256);
  EXPECT_EQ(0, d->desc->colours[0].rgbBlue);
  EXPECT_EQ(1, d->desc->colours[255].rgbGreen);
  EXPECT_EQ(9, d->desc->colours[9].rgbBlue);
  EXPECT_EQ(2, a.paletteChanges);
  d->RemoveSprite(&a);
}

class PaletteScreenTest : public DirectorTest {
 protected:
  int ScreenDepth() const override { return 8; }
};

TEST_F(PaletteScreenTest, StaticColoursStayAndOnlyTheMiddleIsAnimated) {
  auto d = MakeDirector(32, 32);
  const std::vector<PALETTEENTRY> system = headless::SystemPalette();
  ASSERT_EQ(256u, system.size());
  for (int i : {0, 9, 246, 255}) {
    EXPECT_EQ(system[i].peRed, d->desc->colours[i].rgbRed) << "static colour " << i << " on the stage";
    EXPECT_EQ(system[i].peBlue, d->desc->colours[i].rgbBlue) << "static colour " << i << " on the stage";
  }
  std::vector<std::string> log;
  LoggingRenderer a(&log, "a", RECT{0, 0, 8, 8});
  d->AddSprite(&a);

  RGBQUAD colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = RGBQUAD{static_cast<BYTE>(i), 77, 200, 0};
  d->SetPalette(colours, 0, 256);
  EXPECT_EQ(system[9].peGreen, d->desc->colours[9].rgbGreen);
  EXPECT_EQ(system[246].peGreen, d->desc->colours[246].rgbGreen);
  EXPECT_EQ(77, d->desc->colours[10].rgbGreen);
  EXPECT_EQ(245, d->desc->colours[245].rgbBlue);
  const std::vector<PALETTEENTRY> after = headless::SystemPalette();
  EXPECT_EQ(200, after[10].peRed) << "animated into the hardware";
  EXPECT_EQ(245, after[245].peBlue);
  EXPECT_EQ(system[255].peRed, after[255].peRed);
  EXPECT_EQ(system[0].peGreen, after[0].peGreen);
  EXPECT_EQ(2, a.paletteChanges);

  RGBQUAD held[256];
  std::copy(d->desc->colours, d->desc->colours + 256, held);
  const int version = d->desc->paletteVersion;
  d->SetPalette(held, 0, 256);
  EXPECT_EQ(version, d->desc->paletteVersion) << "the colours the stage has: nothing at all";
  EXPECT_EQ(2, a.paletteChanges);

  colours[3].rgbRed = 1;  // a static entry alone: compared, but nothing animatable remains
  d->SetPalette(colours + 3, 3, 1);
  EXPECT_EQ(system[3].peRed, d->desc->colours[3].rgbRed);
  d->RemoveSprite(&a);
}

TEST_F(DirectorTest, MemoryBitmapsReachTheWindowTheRightWayUp) {
  HWND window = stagetest::MakeWindow(0, 0, 64, 48);
  for (int topDown = 0; topDown < 2; ++topDown) {
    mBitmap bitmap(40, 30, 8);
    bitmap.SetTopDown(topDown);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) *bitmap.desc->Pixel(x, y) = static_cast<uint8_t>(10 + x + 3 * y);
    HDC dc = GetDC(window);
    const RECT r = {10, 5, 30, 25};
    bitmap.DrawToWindow(dc, &r, 10, 5);
    ReleaseDC(window, dc);
    for (int y = 5; y < 25; y += 3)
      for (int x = 10; x < 30; x += 3)
        ASSERT_EQ(Shown(bitmap, x, y), headless::ScreenPixel(x, y))
            << "pixel (" << x << ", " << y << "), top-down " << topDown;
  }
}

TEST_F(DirectorTest, WithoutASectionTheStageStillReachesTheWindow) {
  stage_internal::g_createDibSection = [](HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD) -> HBITMAP {
    return nullptr;
  };
  auto d = MakeDirector(48, 40);
  stage_internal::g_createDibSection = &CreateDIBSection;
  EXPECT_EQ(nullptr, d->memoryDC);
  EXPECT_EQ(48, d->desc->width);
  UseDefaultColours(*d);
  d->background->SetColour(RGBQUAD{0, 255, 0, 0});
  d->Frame();
  EXPECT_EQ(RGB(0, 255, 0), headless::ScreenPixel(0, 0));
  EXPECT_EQ(RGB(0, 255, 0), headless::ScreenPixel(47, 39));
}

TEST_F(DirectorTest, AKeyedSpriteOnASolidBackgroundEndToEnd) {
  auto d = MakeDirector(160, 120);
  UseDefaultColours(*d);
  d->background->SetColour(RGBQUAD{128, 0, 0, 0});  // dark blue
  mBitmap image(40, 30, 8);
  image.SetTransparentColour(0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const int dx = x - 20, dy = y - 15;
      *image.desc->Pixel(x, y) =
          dx * dx * 9 + dy * dy * 16 < 3600 ? static_cast<uint8_t>(x < 20 ? 249 : 251) : 0;
    }
  stagetest::KeyedImageRenderer sprite(&image, 30, 40);
  sprite.depth = 1;
  d->AddSprite(&sprite);
  d->Frame();
  sprite.MoveTo(33, 42);
  headless::ClearPresented();
  d->Frame();
  EXPECT_FALSE(headless::Presented().empty());
  EXPECT_EQ(RGB(255, 0, 0), headless::ScreenPixel(33 + 10, 42 + 15)) << "left half red";
  EXPECT_EQ(RGB(255, 255, 0), headless::ScreenPixel(33 + 30, 42 + 15)) << "right half yellow";
  const RGBQUAD& blue = d->desc->colours[d->background->colourIndex];
  const COLORREF background = RGB(blue.rgbRed, blue.rgbGreen, blue.rgbBlue);
  EXPECT_EQ(0, blue.rgbRed + blue.rgbGreen);
  EXPECT_EQ(background, headless::ScreenPixel(33, 42)) << "transparent corner shows the background";
  EXPECT_EQ(background, headless::ScreenPixel(31, 41 + 15)) << "the old place is repainted";
  for (int y = 0; y < 120; y += 7)
    for (int x = 0; x < 160; x += 5)
      ASSERT_EQ(Shown(*d, x, y), headless::ScreenPixel(x, y)) << x << ", " << y;
  EXPECT_TRUE(headless::SaveScreenshot(ORVANEL_BINARY_DIR "/stage_end_to_end.png"));
  d->RemoveSprite(&sprite);
}

}  // namespace
