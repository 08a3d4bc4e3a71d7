// The headless sound device: plays at the format's byte rate on the backend's
// clock (virtual time unless the screen runs in real time) and keeps every
// byte it has played, so that tests can compare what was heard with a file.
#include <algorithm>
#include <memory>
#include <vector>

#include "backends/headless/headless_backend.h"
#include "core/lifecycle.h"

namespace plat {
namespace {

class VirtualOutput;

struct Entry {
  headless::SoundRecord record;
  uint64_t played = 0;  // bytes of record.bytes played
  VirtualOutput* live = nullptr;
};

int g_deviceCount = 1;
DWORD g_support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
std::vector<Entry>* g_entries = nullptr;

void ResetAudio() {
  g_deviceCount = 1;
  g_support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
  delete g_entries;
  g_entries = nullptr;
}

std::vector<Entry>& Entries() {
  RegisterReset(ResetAudio);
  if (!g_entries) g_entries = new std::vector<Entry>();
  return *g_entries;
}

class VirtualOutput : public AudioOutput {
 public:
  VirtualOutput(Backend& clock, size_t entry, const AudioFormat& format)
      : clock_(clock), entry_(entry), byteRate_(format.BytesPerSecond()) {
    anchorTime_ = clock_.Now();
  }
  ~VirtualOutput() override {
    // The record may be gone already when the layer shuts down.
    if (g_entries && entry_ < g_entries->size()) {
      Advance();
      Entry& e = (*g_entries)[entry_];
      e.record.bytes.resize(e.played);
      e.record.open = false;
      e.live = nullptr;
    }
  }

  void Queue(const uint8_t* data, uint32_t bytes) override {
    Advance();
    std::vector<uint8_t>& all = Current().record.bytes;
    all.insert(all.end(), data, data + bytes);
  }
  void Pause() override {
    Advance();
    paused_ = true;
  }
  void Resume() override {
    Advance();
    paused_ = false;
    Reanchor();
  }
  void Reset() override {
    Advance();
    Entry& e = Current();
    dropped_ += e.record.bytes.size() - e.played;
    e.record.bytes.resize(e.played);
    Reanchor();
  }
  void SetVolume(uint16_t, uint16_t) override {}
  uint64_t Consumed() override {
    Advance();
    return Current().played + dropped_;
  }
  bool DueTime(uint64_t consumed, uint32_t* at) override {
    Advance();
    if (paused_) return false;
    uint64_t now = Current().played + dropped_;
    if (consumed <= now) {
      *at = clock_.Now();
      return true;
    }
    uint64_t bytes = Current().played + (consumed - now) - anchorBytes_;
    *at = anchorTime_ + static_cast<uint32_t>((bytes * 1000 + byteRate_ - 1) / byteRate_);
    return true;
  }

  // Moves the played count on to the present.
  void Advance() {
    Entry& e = Current();
    uint32_t now = clock_.Now();
    uint64_t queued = e.record.bytes.size();
    if (paused_ || e.played >= queued) {
      anchorTime_ = now;
      anchorBytes_ = e.played;
      return;
    }
    uint64_t reached = anchorBytes_ + static_cast<uint64_t>(now - anchorTime_) * byteRate_ / 1000;
    e.played = std::min(reached, queued);
  }

 private:
  Entry& Current() { return Entries()[entry_]; }
  void Reanchor() {
    anchorTime_ = clock_.Now();
    anchorBytes_ = Current().played;
  }

  Backend& clock_;
  size_t entry_;
  uint64_t byteRate_;
  uint32_t anchorTime_ = 0;
  uint64_t anchorBytes_ = 0;  // bytes played at anchorTime_
  uint64_t dropped_ = 0;
  bool paused_ = false;
};

}  // namespace

int HeadlessBackend::AudioDeviceCount() { return g_deviceCount; }

AudioCaps HeadlessBackend::AudioCapabilities() {
  AudioCaps caps;
  caps.name = "Headless Wave Out";
  caps.formats = 0xFFF;  // 11, 22 and 44 kHz, 8 and 16 bits, mono and stereo
  caps.support = g_support;
  return caps;
}

std::unique_ptr<AudioOutput> HeadlessBackend::OpenAudio(const AudioFormat& format) {
  if (g_deviceCount <= 0 || !PlayableFormat(format)) return nullptr;
  std::vector<Entry>& entries = Entries();
  Entry entry;
  entry.record.rate = format.rate;
  entry.record.channels = format.channels;
  entry.record.bits = format.bits;
  entry.record.open = true;
  entries.push_back(std::move(entry));
  auto output = std::make_unique<VirtualOutput>(*this, entries.size() - 1, format);
  entries.back().live = output.get();
  return output;
}

}  // namespace plat

namespace headless {

void SetSoundDevices(int count, DWORD support) {
  plat::RegisterReset(plat::ResetAudio);
  plat::g_deviceCount = count < 0 ? 0 : count;
  plat::g_support = support;
}

std::vector<SoundRecord> PlayedSounds() {
  std::vector<SoundRecord> sounds;
  if (!plat::g_entries) return sounds;
  for (plat::Entry& entry : *plat::g_entries) {
    if (entry.live) entry.live->Advance();
    sounds.push_back(entry.record);
    sounds.back().bytes.resize(entry.played);
  }
  return sounds;
}

}  // namespace headless
