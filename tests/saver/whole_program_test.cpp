// The saver as a whole: ten seconds full screen at 1920 x 1080 with seed 1
// must present the same rectangles with the same contents, frame by frame,
// as the checked-in record. After a deliberate change of what the saver
// shows, rewrite the record with ORVANEL_UPDATE_EXPECTATIONS=1 and review it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "entry.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "saver_state.h"
#include "support/host_fixture.h"
#include "support/png_file.h"

namespace {

const char kRecordPath[] = ORVANEL_SOURCE_DIR "/tests/saver/data/whole_program_seed1.txt";

std::string DescribePresents() {
  std::ostringstream out;
  for (const headless::PresentRecord& record : headless::Presented()) {
    out << record.time - headless::Presented().front().time;
    for (const RECT& r : record.rects) out << ' ' << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom;
    out << " #" << std::hex << record.contentHash << std::dec << '\n';
  }
  return out.str();
}

TEST(WholeProgram, TenSecondsWithSeedOneShowWhatTheRecordSays) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = 1920;
  options.height = 1080;
  options.depth = 24;
  options.hasSeed = true;
  options.seed = 1;
  options.seconds = 10;
  options.configDir = testsupport::UseFreshConfigDir() + "/whole-program";
  options.keepPresentLog = true;
  ASSERT_TRUE(host::Init(options));
  headless::SetHashPresented(true);
  ResetSaverState();

  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), "/s", SW_SHOWDEFAULT), 0);
  std::string got = DescribePresents();
  host::Shutdown();

  // About 19 frames a second after the half-second start.
  int frames = 0;
  for (char c : got) frames += c == '\n';
  EXPECT_GT(frames, 170);

  if (std::getenv("ORVANEL_UPDATE_EXPECTATIONS")) {
    std::ofstream(kRecordPath) << got;
    GTEST_SKIP() << "record rewritten: " << kRecordPath;
  }
  std::ifstream file(kRecordPath);
  ASSERT_TRUE(file) << "no record at " << kRecordPath << "; make it with ORVANEL_UPDATE_EXPECTATIONS=1";
  std::stringstream expected;
  expected << file.rdbuf();
  if (expected.str() != got) {
    // Name the first frame that differs rather than dumping both.
    std::istringstream a(expected.str()), b(got);
    std::string lineA, lineB;
    for (int line = 1;; ++line) {
      bool moreA = static_cast<bool>(std::getline(a, lineA));
      bool moreB = static_cast<bool>(std::getline(b, lineB));
      if (!moreA && !moreB) break;
      if (lineA != lineB || moreA != moreB) {
        ADD_FAILURE() << "present " << line << " differs\n  expected: " << (moreA ? lineA : "(none)")
                      << "\n  got:      " << (moreB ? lineB : "(none)");
        break;
      }
    }
  }
}

// The full-screen scene of one run, as the --screenshot picture of a
// headless screen of the given size and scale shows it after two seconds.
std::vector<uint8_t> FullScreenPicture(int width, int height, int scale, const std::string& path) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = width;
  options.height = height;
  options.scale = scale;
  options.hasSeed = true;
  options.seed = 7;
  options.seconds = 2;
  options.screenshot = path;
  options.configDir = testsupport::UseFreshConfigDir() + "/scaled";
  std::vector<uint8_t> rgb;
  if (!host::Init(options)) return rgb;
  ResetSaverState();
  DispatchMode(GetModuleHandleA(nullptr), "/s", SW_SHOWDEFAULT);
  host::Shutdown();
  testsupport::RgbPicture shot = testsupport::ReadPngRgb(path);
  if (static_cast<int>(shot.width) == width && static_cast<int>(shot.height) == height) rgb = std::move(shot.pixels);
  std::remove(path.c_str());
  return rgb;
}

// A 3840 x 2160 screen at scale 2 shows the 1920 x 1080 scene of the same
// seed, each pixel as a block of 2 x 2.
TEST(WholeProgram, ScaledScreenShowsTheSceneOfTheSmallerScreenEnlarged) {
  std::string base = testsupport::UseFreshConfigDir();
  std::vector<uint8_t> small = FullScreenPicture(1920, 1080, 0, base + "/small.png");
  std::vector<uint8_t> big = FullScreenPicture(3840, 2160, 2, base + "/big.png");
  ASSERT_EQ(small.size(), size_t{1920} * 1080 * 3);
  ASSERT_EQ(big.size(), size_t{3840} * 2160 * 3);
  size_t lit = 0, wrong = 0;
  for (size_t y = 0; y < 2160; ++y)
    for (size_t x = 0; x < 3840; ++x) {
      const uint8_t* b = &big[(y * 3840 + x) * 3];
      const uint8_t* s = &small[((y / 2) * 1920 + x / 2) * 3];
      wrong += b[0] != s[0] || b[1] != s[1] || b[2] != s[2];
      lit += b[0] | b[1] | b[2] ? 1 : 0;
    }
  EXPECT_EQ(wrong, 0u) << "pixels of the big screen that differ from the small screen's under them";
  EXPECT_GT(lit, size_t{4} * 20000) << "the scene is missing";
}

}  // namespace
