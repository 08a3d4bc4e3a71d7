// The saver as a whole: ten seconds full screen at 1920 x 1080 with seed 1
// must present the same rectangles with the same contents, frame by frame,
// as the checked-in record. After a deliberate change of what the saver
// shows, rewrite the record with ORVANEL_UPDATE_EXPECTATIONS=1 and review it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "entry.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "saver_state.h"
#include "support/host_fixture.h"

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

}  // namespace
