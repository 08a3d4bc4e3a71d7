// The headless screen: virtual time, scripted input, pixels, screenshots,
// message boxes and foreign windows.
#include <gtest/gtest.h>
#include <mmsystem.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "orvanel/headless.h"
#include "support/host_fixture.h"
#include "support/png_file.h"

namespace {

class HeadlessScreen : public testsupport::HeadlessTest {
 protected:
  int ScreenWidth() const override { return 64; }
  int ScreenHeight() const override { return 48; }
};

TEST_F(HeadlessScreen, TimeMovesOnlyWhenTheProgramWaits) {
  DWORD start = GetTickCount();
  EXPECT_NE(start, 0u);
  EXPECT_EQ(GetTickCount(), start);
  EXPECT_EQ(timeGetTime(), start);
  Sleep(250);
  EXPECT_EQ(GetTickCount(), start + 250);
  headless::Advance(50);
  EXPECT_EQ(headless::Now(), start + 300);
}

TEST_F(HeadlessScreen, StartsWithTheDesktopColour) {
  EXPECT_EQ(headless::ScreenWidth(), 64);
  EXPECT_EQ(headless::ScreenDepth(), 24);
  EXPECT_EQ(headless::ScreenPixel(0, 0), RGB(0, 128, 128));
  EXPECT_EQ(headless::ScreenPixel(63, 47), RGB(0, 128, 128));
  EXPECT_EQ(headless::ScreenIndex(0, 0), -1);
  EXPECT_EQ(headless::ScreenPixel(64, 0), CLR_INVALID);
}

TEST_F(HeadlessScreen, MessageBoxesAreRecordedAndAnswered) {
  EXPECT_EQ(MessageBoxA(nullptr, "File open error:a.flc", "mFile", MB_OK | MB_ICONSTOP), IDOK);
  headless::SetMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Still in use", nullptr, MB_OKCANCEL), IDCANCEL);
  const auto& boxes = headless::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "mFile");
  EXPECT_EQ(boxes[0].text, "File open error:a.flc");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(boxes[1].caption, "Error");
  headless::ClearMessageBoxes();
  EXPECT_TRUE(headless::MessageBoxes().empty());
}

TEST_F(HeadlessScreen, ScreenshotIsAPngOfTheShownColours) {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("orvanel-shot-" + std::to_string(static_cast<long>(getpid())) + ".png"))
                         .string();
  ASSERT_TRUE(headless::SaveScreenshot(path));
  const testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  EXPECT_EQ(shot.width, 64u);
  EXPECT_EQ(shot.height, 48u);
  ASSERT_FALSE(shot.pixels.empty());
  EXPECT_EQ(shot.pixels[0], 0);
  EXPECT_EQ(shot.pixels[1], 128);
  EXPECT_EQ(shot.pixels[2], 128);
  std::filesystem::remove(path);
}

TEST_F(HeadlessScreen, ForeignWindowsExistUntilDestroyed) {
  HWND foreign = headless::CreateForeignWindow(10, 5, 20, 15);
  ASSERT_TRUE(IsWindow(foreign));
  RECT r;
  ASSERT_TRUE(GetClientRect(foreign, &r));
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.bottom, 15);
  // Its handle is not one of the program's own.
  EXPECT_GT(reinterpret_cast<uintptr_t>(foreign), 0x1FFFFFu);
  headless::DestroyForeignWindow(foreign);
  EXPECT_FALSE(IsWindow(foreign));
}

class PaletteScreen : public HeadlessScreen {
 protected:
  int ScreenDepth() const override { return 8; }
};

TEST_F(PaletteScreen, PixelsAreIndicesShownThroughTheSystemPalette) {
  EXPECT_EQ(headless::ScreenDepth(), 8);
  EXPECT_EQ(headless::ScreenIndex(0, 0), 6);  // the static dark cyan
  EXPECT_EQ(headless::ScreenPixel(0, 0), RGB(0, 128, 128));
  ASSERT_EQ(headless::SystemPalette().size(), 256u);
  EXPECT_EQ(headless::SystemPalette()[255].peRed, 255);
}

}  // namespace

#include "../../../platform/core/backend.h"

namespace {

TEST(HeadlessFiles, ScreenshotAtTheEndAndAFramePerPresent) {
  namespace fs = std::filesystem;
  fs::path dir =
      fs::temp_directory_path() / ("orvanel-record-" + std::to_string(static_cast<long>(getpid())));
  fs::remove_all(dir);
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = 32;
  options.height = 16;
  options.depth = 8;
  options.screenshot = (dir / "end.png").string();
  options.recordDir = (dir / "frames").string();
  ASSERT_TRUE(host::Init(options));
  fs::create_directories(dir);
  RECT r{0, 0, 8, 8};
  plat::CurrentBackend().Present(nullptr, &r, 1);
  plat::CurrentBackend().Present(nullptr, &r, 1);
  EXPECT_TRUE(fs::exists(dir / "frames" / "frame-000001.png"));
  EXPECT_TRUE(fs::exists(dir / "frames" / "frame-000002.png"));
  ASSERT_EQ(headless::Presented().size(), 2u);
  EXPECT_EQ(headless::Presented()[0].rects[0].right, 8);
  EXPECT_FALSE(fs::exists(dir / "end.png"));
  plat::CurrentBackend().Finish();
  EXPECT_EQ(testsupport::ReadPngRgb((dir / "end.png").string()).width, 32u);
  host::Shutdown();
  fs::remove_all(dir);
}

// A long run must not grow: the log is kept only when asked, and bounded.
TEST(HeadlessFiles, PresentLogOnlyWhenAskedAndBounded) {
  for (bool keep : {false, true}) {
    host::Shutdown();
    host::Options options;
    options.backend = "headless";
    options.width = 32;
    options.height = 16;
    options.keepPresentLog = keep;
    ASSERT_TRUE(host::Init(options));
    size_t count = headless::kPresentLogLimit + 10;
    for (size_t i = 0; i < count; ++i) {
      RECT r{0, 0, 1 + static_cast<LONG>(i % 30), 8};
      plat::CurrentBackend().Present(nullptr, &r, 1);
    }
    const auto& log = headless::Presented();
    if (!keep) {
      EXPECT_TRUE(log.empty()) << log.size() << " records kept unasked";
      continue;
    }
    ASSERT_FALSE(log.empty());
    EXPECT_LE(log.size(), headless::kPresentLogLimit);
    EXPECT_EQ(log.back().rects[0].right, 1 + static_cast<LONG>((count - 1) % 30)) << "the newest record was lost";
  }
  host::Shutdown();
}

}  // namespace

#include "../../../platform/core/screen_scale.h"

namespace {

TEST(ScreenScale, NearestWholeNumberOfTheHeightOver1080UnlessAsked) {
  struct Case {
    int asked, width, height, scale;
  };
  const Case cases[] = {
      {0, 1920, 1080, 1}, {0, 3840, 2160, 2}, {0, 2560, 1440, 1}, {0, 2880, 1620, 2}, {0, 5120, 2880, 3},
      {0, 7680, 4320, 4}, {0, 15360, 8640, 4}, {0, 640, 480, 1},   {3, 1920, 1080, 3}, {1, 3840, 2160, 1},
      {4, 3, 2, 2},  // never below one pixel a side
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::ChooseScreenScale(c.asked, c.width, c.height), c.scale)
        << "asked " << c.asked << " on " << c.width << " x " << c.height;
}

TEST(ScreenScale, OptionTakesAWholeNumberFrom1To4) {
  struct Case {
    std::vector<std::string> args;
    int scale;  // -1: refused
  };
  const Case cases[] = {
      {{"--scale", "2", "/s"}, 2}, {{"--scale=3"}, 3}, {{"/s"}, 0},           {{"--scale", "0"}, -1},
      {{"--scale", "5"}, -1},      {{"--scale", "2x"}, -1}, {{"--scale="}, -1}, {{"--scale"}, -1},
      {{"--scale", "-2"}, -1},
  };
  for (const Case& c : cases) {
    host::Options options;
    std::vector<std::string> rest;
    std::string error;
    bool parsed = host::ParseHostOptions(c.args, &options, &rest, &error);
    std::string words;
    for (const std::string& arg : c.args) words += " " + arg;
    if (c.scale < 0) {
      EXPECT_FALSE(parsed) << words;
      EXPECT_NE(error.find("--scale"), std::string::npos) << words << ": " << error;
    } else {
      EXPECT_TRUE(parsed) << words << ": " << error;
      EXPECT_EQ(options.scale, c.scale) << words;
    }
  }
}

// The program sees the real screen divided by the scale; its pictures have
// the real size, each of its pixels a block, and a rest of less than a
// block is black.
TEST(HeadlessScaled, ProgramSeesTheScreenDividedAndPicturesAreReal) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = 65;
  options.height = 49;
  options.scale = 2;
  ASSERT_TRUE(host::Init(options));
  EXPECT_EQ(headless::ScreenWidth(), 32);
  EXPECT_EQ(headless::ScreenHeight(), 24);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 32);
  HDC screen = GetDC(nullptr);
  SetPixel(screen, 31, 23, RGB(255, 0, 0));
  ReleaseDC(nullptr, screen);
  std::string path = (std::filesystem::temp_directory_path() /
                      ("orvanel-scaled-" + std::to_string(static_cast<long>(getpid())) + ".png"))
                         .string();
  ASSERT_TRUE(headless::SaveScreenshot(path));
  host::Shutdown();
  const testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  std::filesystem::remove(path);
  ASSERT_EQ(shot.width, 65u);
  ASSERT_EQ(shot.height, 49u);
  auto at = [&](unsigned x, unsigned y) {
    const uint8_t* p = shot.At(x, y);
    return RGB(p[0], p[1], p[2]);
  };
  for (unsigned y : {46u, 47u})
    for (unsigned x : {62u, 63u}) EXPECT_EQ(at(x, y), RGB(255, 0, 0)) << x << "," << y;
  EXPECT_EQ(at(61, 47), RGB(0, 128, 128));
  EXPECT_EQ(at(0, 0), RGB(0, 128, 128));
  EXPECT_EQ(at(64, 47), RGB(0, 0, 0));
  EXPECT_EQ(at(10, 48), RGB(0, 0, 0));
}

TEST(HeadlessRealTime, FollowsTheClock) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = 32;
  options.height = 16;
  options.realTime = true;
  ASSERT_TRUE(host::Init(options));
  DWORD start = GetTickCount();
  Sleep(30);
  DWORD slept = GetTickCount() - start;
  EXPECT_GE(slept, 30u);
  EXPECT_LT(slept, 2000u);
  headless::Advance(10000);  // only virtual time can be pushed on
  EXPECT_LT(GetTickCount() - start, 5000u);
  host::Shutdown();
}

}  // namespace
