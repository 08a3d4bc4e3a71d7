// mAudioWAV: the device query, reading the sound's header, position, volume,
// raw reading and writing, and unloading.
#include "media/audio_wav.h"

#include <cstring>

namespace {

// The device's formats from the least to the most wanted: the last one it
// supports is taken as its best.
struct FormatBit {
  DWORD bit;
  int32_t rate, bits, channels;
};
constexpr FormatBit kFormatOrder[] = {
    {WAVE_FORMAT_1M08, 11025, 8, 1},  {WAVE_FORMAT_1S08, 11025, 8, 2},  {WAVE_FORMAT_2M08, 22050, 8, 1},
    {WAVE_FORMAT_2S08, 22050, 8, 2},  {WAVE_FORMAT_4M08, 44100, 8, 1},  {WAVE_FORMAT_4S08, 44100, 8, 2},
    {WAVE_FORMAT_1M16, 11025, 16, 1}, {WAVE_FORMAT_1S16, 11025, 16, 2}, {WAVE_FORMAT_2M16, 22050, 16, 1},
    {WAVE_FORMAT_2S16, 22050, 16, 2}, {WAVE_FORMAT_4M16, 44100, 16, 1}, {WAVE_FORMAT_4S16, 44100, 16, 2},
};

// Device ids go where the system takes a handle or an id.
HWAVEOUT DeviceAsHandle(int32_t id) {
  return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(static_cast<uint32_t>(id == -1 ? 0 : id)));
}

}  // namespace

mAudioWAV::mAudioWAV() {
  stream.length = 1;
  stream.current = 0;
  QueryDevice();
}

mAudioWAV::~mAudioWAV() {
  if (playing()) StreamStop();
  Unload();
}

void mAudioWAV::QueryDevice() {
  deviceCount() = static_cast<int32_t>(waveOutGetNumDevs());
  if (deviceCount() == 0) return;
  deviceTag() = static_cast<int32_t>(FourCC("WAVE"));
  deviceId() = -1;
  WAVEOUTCAPSA caps;
  std::memset(&caps, 0, sizeof caps);
  if (waveOutGetDevCapsA(WAVE_MAPPER, &caps, sizeof caps) != MMSYSERR_NOERROR) {
    deviceId() = 0;
    if (waveOutGetDevCapsA(0, &caps, sizeof caps) != MMSYSERR_NOERROR) std::memset(&caps, 0, sizeof caps);
  }
  for (const FormatBit& f : kFormatOrder) {
    if (!(caps.dwFormats & f.bit)) continue;
    stream.reserved[3] = f.rate;
    stream.reserved[4] = f.bits;
    stream.reserved[5] = f.channels;
  }
  volumeCaps() = ((caps.dwSupport & WAVECAPS_VOLUME) ? 1 : 0) | ((caps.dwSupport & WAVECAPS_LRVOLUME) ? 2 : 0);
  ReadVolume();
}

void mAudioWAV::ReadVolume() {
  volumes() = 0;
  if (!(volumeCaps() & 1)) return;
  DWORD value = 0;
  if (waveOutGetVolume(DeviceAsHandle(deviceId()), &value) != MMSYSERR_NOERROR) return;
  uint32_t left = value & 0xFFFF;
  uint32_t right = (volumeCaps() & 2) ? value >> 16 : left;
  volumes() = static_cast<int32_t>(left | (right << 16));
}

uint32_t mAudioWAV::BytesLeftInFile() const {
  const State& s = fileState;
  if (s.flags & kMemoryBlock) return static_cast<uint32_t>(s.dataEnd - s.readPtr);
  int32_t left = s.size - Tell();
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

// A copy of the format header of `size` bytes at the read position. The copy
// is never shorter than a WAVEFORMATEX, so that fields a short header lacks
// read as 0, and never longer than the file.
bool mAudioWAV::ReadFormat(uint32_t size) {
  uint32_t left = BytesLeftInFile();
  uint32_t copy = size < left ? size : left;
  uint32_t blockSize = copy > sizeof(WAVEFORMATEX) ? copy : static_cast<uint32_t>(sizeof(WAVEFORMATEX));
  formatBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
  if (!formatBlock) {
    ReportError(kClassAudioWAV, kErrOutOfMemory, nullptr);
    return false;
  }
  waveFormat = static_cast<WAVEFORMATEX*>(GlobalLock(formatBlock));
  if (!waveFormat) {
    GlobalFree(formatBlock);
    formatBlock = nullptr;
    ReportError(kClassAudioWAV, kErrOutOfMemory, nullptr);
    return false;
  }
  if (copy) Read(waveFormat, static_cast<int32_t>(copy));
  format.rate = static_cast<int32_t>(waveFormat->nSamplesPerSec);
  format.channels = waveFormat->nChannels;
  format.bitsPerSample = waveFormat->wBitsPerSample;
  return true;
}

int32_t mAudioWAV::StreamOpen(int32_t formatSize) {
  if (!fileState.isOpen) return 0;
  if (formatBlock) {
    GlobalUnlock(formatBlock);
    GlobalFree(formatBlock);
    formatBlock = nullptr;
    waveFormat = nullptr;
  }
  if (RiffDescend(FourCC("WAVE"))) {
    if (!FindChunk(FourCC("fmt "))) return 0;
    if (!ReadFormat(lastChunkSize)) return 0;
    ChunkSkip();
    if (!FindChunk(FourCC("data"))) return 0;
    // A chunk that claims more than the file holds plays what is there.
    uint32_t size = lastChunkSize;
    uint32_t left = BytesLeftInFile();
    if (size > left) size = left;
    if (size > 0x7FFFFFFF) size = 0x7FFFFFFF;
    dataSize() = static_cast<int32_t>(size);
    format.reserved[0] = static_cast<int32_t>(BytesToSamples(size));
    format.reserved[2] = static_cast<int32_t>(SamplesToTime(static_cast<uint32_t>(format.reserved[0])));
    dataStart = static_cast<uint32_t>(Tell());
  } else {
    uint32_t size = formatSize == 0 ? 16 : static_cast<uint32_t>(formatSize);
    if (!ReadFormat(size)) return 0;
    dataSize() = -1;
    format.reserved[0] = format.reserved[2] = 0;
    dataStart = 0;
  }
  playPosition() = 0;
  return 1;
}

int32_t mAudioWAV::StreamWriteHeader(int32_t) {
  ReportError(kClassAudioWAV, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mAudioWAV::StreamSeek(int32_t position, int32_t origin) {
  if (playing()) return 0;
  if (!formatBlock && !StreamOpen(0)) return 0;
  uint32_t bytes = UnitsToBytes(static_cast<uint32_t>(position));
  if (origin == 0) playPosition() = bytes;
  else if (origin == 1) playPosition() += bytes;
  else if (origin == 2) playPosition() = static_cast<uint32_t>(dataSize()) - bytes;
  return static_cast<int32_t>(BytesToUnits(playPosition()));
}

int32_t mAudioWAV::SetVolume(int32_t left, int32_t right) {
  if (deviceCount() == 0 || !(volumeCaps() & 1)) return 0;
  uint32_t l = static_cast<uint32_t>(left) & 0xFFFF;
  uint32_t r = static_cast<uint32_t>(right) & 0xFFFF;
  DWORD value;
  if (volumeCaps() & 2) {
    value = (r << 16) | l;
  } else {
    // One control for both sides: the mean of the two asked for.
    uint32_t mean = (l + r) / 2;
    value = (mean << 16) | mean;
  }
  waveOutSetVolume(DeviceAsHandle(deviceId()), value);
  ReadVolume();
  return 1;
}

int32_t mAudioWAV::StreamRead(void* buffer, int32_t count) {
  Read(buffer, static_cast<int32_t>(UnitsToBytes(static_cast<uint32_t>(count))));
  return count;
}

int32_t mAudioWAV::StreamWrite(const void* buffer, int32_t count) {
  Write(buffer, static_cast<int32_t>(UnitsToBytes(static_cast<uint32_t>(count))));
  return count;
}

int32_t mAudioWAV::SetPosition(int32_t) {
  playPosition() = 0;
  return 0;
}

void mAudioWAV::SetBuffering(uint32_t length, uint32_t count) {
  bufferSize = (UnitsToBytes(length) + 3) & ~uint32_t{3};
  // An empty buffer would never move the sound on; a ring needs one block.
  if (bufferSize == 0) bufferSize = 4;
  bufferCount = count == 0 ? 1 : count;
}

void mAudioWAV::Unload() {
  if (paused()) StreamStop();
  if (playing()) {
    unloadPending = 1;
    return;
  }
  if (formatBlock) {
    GlobalUnlock(formatBlock);
    GlobalFree(formatBlock);
    formatBlock = nullptr;
    waveFormat = nullptr;
  }
  Close();
}
