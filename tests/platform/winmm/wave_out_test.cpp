// Wave output: buffer flags, completion messages and refusals on the headless device.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <vector>

#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

class WaveOutTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "WaveOutTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "WaveOutTest", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    format_ = WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
  }
  // MM_WOM_DONE messages taken from the queue, their headers in order.
  std::vector<WAVEHDR*> TakeDone(HWAVEOUT device) {
    std::vector<WAVEHDR*> done;
    MSG msg;
    while (PeekMessageA(&msg, window_, MM_WOM_DONE, MM_WOM_DONE, PM_REMOVE)) {
      EXPECT_EQ(reinterpret_cast<HWAVEOUT>(msg.wParam), device);
      done.push_back(reinterpret_cast<WAVEHDR*>(msg.lParam));
    }
    return done;
  }
  HWND window_ = nullptr;
  WAVEFORMATEX format_;
};

TEST_F(WaveOutTest, BuffersComeBackDoneInOrderAtTheByteRate) {
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format_, reinterpret_cast<DWORD_PTR>(window_), 0, CALLBACK_WINDOW),
            static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<char> a(800, 1), b(400, 2);  // 100 ms and 50 ms
  WAVEHDR ha{a.data(), 800, 0, 0, 0, 0, nullptr, 0}, hb{b.data(), 400, 0, 0, 0, 0, nullptr, 0};
  EXPECT_EQ(waveOutWrite(device, &ha, sizeof ha), static_cast<MMRESULT>(WAVERR_UNPREPARED));
  waveOutPrepareHeader(device, &ha, sizeof ha);
  waveOutPrepareHeader(device, &hb, sizeof hb);
  EXPECT_EQ(ha.dwFlags, static_cast<DWORD>(WHDR_PREPARED));
  waveOutWrite(device, &ha, sizeof ha);
  waveOutWrite(device, &hb, sizeof hb);
  EXPECT_EQ(ha.dwFlags, static_cast<DWORD>(WHDR_PREPARED | WHDR_INQUEUE));
  EXPECT_EQ(waveOutUnprepareHeader(device, &ha, sizeof ha), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(WAVERR_STILLPLAYING));

  // (An empty PeekMessageA lets a millisecond pass.)
  headless::Advance(95);
  EXPECT_TRUE(TakeDone(device).empty());
  headless::Advance(5);
  EXPECT_EQ(TakeDone(device), std::vector<WAVEHDR*>{&ha});
  EXPECT_EQ(ha.dwFlags, static_cast<DWORD>(WHDR_PREPARED | WHDR_DONE));
  waveOutPause(device);
  headless::Advance(500);
  EXPECT_TRUE(TakeDone(device).empty());
  waveOutRestart(device);
  headless::Advance(40);
  EXPECT_TRUE(TakeDone(device).empty());
  headless::Advance(10);
  EXPECT_EQ(TakeDone(device), std::vector<WAVEHDR*>{&hb});
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].bytes.size(), 1200u);
  EXPECT_EQ(heard[0].bytes[799], 1);
  EXPECT_EQ(heard[0].bytes[800], 2);
}

TEST_F(WaveOutTest, ResetReturnsEveryQueuedBufferUnplayed) {
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &format_, reinterpret_cast<DWORD_PTR>(window_), 0, CALLBACK_WINDOW),
            static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<char> a(8000, 5), b(8000, 6);
  WAVEHDR ha{a.data(), 8000, 0, 0, 0, 0, nullptr, 0}, hb{b.data(), 8000, 0, 0, 0, 0, nullptr, 0};
  for (WAVEHDR* h : {&ha, &hb}) {
    waveOutPrepareHeader(device, h, sizeof *h);
    waveOutWrite(device, h, sizeof *h);
  }
  headless::Advance(250);
  EXPECT_EQ(waveOutReset(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(TakeDone(device), (std::vector<WAVEHDR*>{&ha, &hb}));
  EXPECT_TRUE(hb.dwFlags & WHDR_DONE);
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(headless::PlayedSounds()[0].bytes.size(), 2000u);
}

TEST_F(WaveOutTest, RefusesUnplayableFormatsAndMachinesWithoutSound) {
  HWAVEOUT device = nullptr;
  WAVEFORMATEX bad = format_;
  bad.wBitsPerSample = 0;
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &bad, 0, 0, CALLBACK_NULL), static_cast<MMRESULT>(WAVERR_BADFORMAT));
  bad = format_;
  bad.nSamplesPerSec = 0;
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &bad, 0, 0, CALLBACK_NULL), static_cast<MMRESULT>(WAVERR_BADFORMAT));
  EXPECT_EQ(waveOutOpen(&device, 7, &format_, 0, 0, CALLBACK_NULL), static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(waveOutGetNumDevs(), 1u);
  headless::SetSoundDevices(0);
  EXPECT_EQ(waveOutGetNumDevs(), 0u);
  EXPECT_NE(waveOutOpen(&device, WAVE_MAPPER, &format_, 0, 0, CALLBACK_NULL), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  WAVEOUTCAPSA caps;
  EXPECT_NE(waveOutGetDevCapsA(0, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));
}

TEST_F(WaveOutTest, GetMessageWakesWhenABufferIsDue) {
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format_, reinterpret_cast<DWORD_PTR>(window_), 0, CALLBACK_WINDOW),
            static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<char> a(4000, 1);  // 500 ms
  WAVEHDR ha{a.data(), 4000, 0, 0, 0, 0, nullptr, 0};
  waveOutPrepareHeader(device, &ha, sizeof ha);
  uint32_t start = headless::Now();
  waveOutWrite(device, &ha, sizeof ha);
  MSG msg;
  do ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  while (msg.message != MM_WOM_DONE);
  EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(&ha));
  EXPECT_GE(headless::Now() - start, 500u);
  EXPECT_LE(headless::Now() - start, 502u);
  waveOutUnprepareHeader(device, &ha, sizeof ha);
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
}

}  // namespace
