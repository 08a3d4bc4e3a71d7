// mAudioWAV playback: the hidden "mAudio" window, the ring of buffers, and
// the refill of each buffer the device hands back.
#include <cstring>

#include "media/audio_wav.h"

namespace {

const char kWindowClass[] = "mAudio";

}  // namespace

int32_t mAudioWAV::StreamPlay(int32_t length, int32_t loopCount) {
  if (DeviceTag() != static_cast<int32_t>(FourCC("WAVE"))) return 0;
  if (playing()) {
    if (!paused()) return 0;
    waveOutRestart(waveOut);
    paused() = 0;
    return 1;
  }
  if (!formatBlock && !StreamOpen(0)) return 0;

  uint32_t size = static_cast<uint32_t>(dataSize());
  playLength = length == 0 ? size : UnitsToBytes(static_cast<uint32_t>(length));
  // A position at or past the end of the data leaves nothing to play: no
  // device is opened, as it would never hand a buffer back.
  if (playPosition() >= size) {
    playPosition() = 0;
    return 1;
  }
  if (playLength > size - playPosition()) playLength = size - playPosition();
  if (playLength == 0) return 1;

  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = AudioWindowProc;
  wc.hInstance = g_resourceModule;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);  // already registered by another sound: fine
  callbackWindow = CreateWindowExA(0, kWindowClass, "", WS_DISABLED, 0, 0, 0, 0, nullptr, nullptr,
                                   g_resourceModule, nullptr);
  if (!callbackWindow) {
    ReportError(kClassAudioWAV, kErrBadProgInst, nullptr);
    return 0;
  }
  if (waveOutOpen(&waveOut, static_cast<UINT>(DeviceId()), waveFormat, reinterpret_cast<DWORD_PTR>(callbackWindow),
                  0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
    waveOut = nullptr;
    ClosePlayback();
    return 0;
  }

  BufferBlock* last = nullptr;
  for (uint32_t i = 1; i <= bufferCount; ++i) {
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kBlockHeader + bufferSize);
    auto* block = handle ? static_cast<BufferBlock*>(GlobalLock(handle)) : nullptr;
    if (!block) {
      if (handle) GlobalFree(handle);
      if (last) last->next = firstBuffer;
      ClosePlayback();
      return 0;
    }
    std::memset(block, 0, kBlockHeader);
    block->handle = handle;
    block->header.lpData = reinterpret_cast<LPSTR>(block->Data());
    block->header.dwUser = reinterpret_cast<DWORD_PTR>(this);
    block->header.dwFlags = WHDR_DONE;  // free
    if (last) last->next = block;
    else firstBuffer = block;
    last = block;
    if (static_cast<uint64_t>(i) * bufferSize >= playLength) break;
  }
  last->next = firstBuffer;
  currentBuffer = firstBuffer;

  loops = loopCount;
  startPosition = playPosition();
  StartPlayback();
  return 1;
}

void mAudioWAV::StartPlayback() {
  remaining = playLength;
  passDelivered = 0;
  playPosition() = startPosition;
  if (dataStart) {
    int32_t target = static_cast<int32_t>(dataStart + startPosition);
    if (Tell() != target) Seek(target, 0);
  } else {
    Seek(static_cast<int32_t>(startPosition), 1);
  }
  if (autoFill) {
    FillBuffer(0);
    FillBuffer(0);
  }
  playing() = 1;
}

// The next n bytes of the file straight into the buffer: the buffer becomes
// the file's own for one refill. A memory block is copied from instead.
uint32_t mAudioWAV::ReadIntoBuffer(uint8_t* data, uint32_t n) {
  if (fileState.flags & kMemoryBlock) {
    int32_t got = Read(data, static_cast<int32_t>(n));
    return got > 0 ? static_cast<uint32_t>(got) : 0;
  }
  SetBuffer(data, static_cast<int32_t>(n), 0);
  if (!Refill(nullptr)) return 0;
  uint32_t delivered = static_cast<uint32_t>(fileState.dataEnd - fileState.windowFirst);
  fileState.readPtr = fileState.dataEnd;
  fileState.position = Tell();
  return delivered;
}

int32_t mAudioWAV::FillBuffer(uint32_t size) { return SubmitNext(nullptr, size); }

bool mAudioWAV::BufferFree() const {
  return remaining > 0 && currentBuffer && (currentBuffer->next->header.dwFlags & WHDR_DONE);
}

int32_t mAudioWAV::SubmitNext(const uint8_t* bytes, uint32_t size) {
  if (remaining == 0 || !currentBuffer) return 0;
  BufferBlock* next = currentBuffer->next;
  if (!(next->header.dwFlags & WHDR_DONE)) return 1;

  currentBuffer = next;
  uint32_t n = (size == 0 || size > bufferSize) ? bufferSize : size;
  if (n > remaining) n = remaining;
  remaining -= n;
  uint32_t delivered = n;
  if (bytes) std::memcpy(next->Data(), bytes, n);
  else delivered = ReadIntoBuffer(next->Data(), n);
  passDelivered += delivered;
  if (delivered < n) {
    // The file has ended: so has this pass. A pass that got nothing at all
    // (a headerless stream at its end) is the last one.
    remaining = 0;
    if (passDelivered == 0) loops = 1;
  }
  next->header.dwBufferLength = delivered;
  next->header.dwFlags = 0;
  waveOutPrepareHeader(waveOut, &next->header, sizeof(WAVEHDR));
  waveOutWrite(waveOut, &next->header, sizeof(WAVEHDR));

  if (remaining == 0) {
    loops -= 1;
    if (loops == 0) return 0;
    if (loops < 0) loops = 0;
    StartPlayback();
  }
  return 0;
}

LRESULT CALLBACK mAudioWAV::AudioWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MM_WOM_DONE) return DefWindowProcA(window, message, wParam, lParam);
  auto device = reinterpret_cast<HWAVEOUT>(wParam);
  auto* header = reinterpret_cast<WAVEHDR*>(lParam);
  waveOutUnprepareHeader(device, header, sizeof(WAVEHDR));
  auto* sound = reinterpret_cast<mAudioWAV*>(header->dwUser);
  if (sound->waveOut != device) {
    sound->ClosePlayback();
    return 0;
  }
  sound->playPosition() += header->dwBufferLength;
  if (sound->remaining == 0 && sound->currentBuffer && header == &sound->currentBuffer->header) {
    sound->ClosePlayback();
    return 0;
  }
  sound->BufferReturned();
  return 0;
}

void mAudioWAV::BufferReturned() {
  if (autoFill) FillBuffer(0);
}

void mAudioWAV::FreeRing() {
  BufferBlock* block = firstBuffer;
  while (block) {
    BufferBlock* next = block->next == firstBuffer ? nullptr : block->next;
    HGLOBAL handle = block->handle;
    GlobalUnlock(handle);
    GlobalFree(handle);
    block = next;
  }
  firstBuffer = currentBuffer = nullptr;
}

void mAudioWAV::ClosePlayback() {
  if (waveOut) {
    if (waveOutClose(waveOut) == WAVERR_STILLPLAYING) {
      waveOutReset(waveOut);
      waveOutClose(waveOut);
    }
    waveOut = nullptr;
  }
  if (callbackWindow) {
    DestroyWindow(callbackWindow);
    callbackWindow = nullptr;
  }
  UnregisterClassA(kWindowClass, g_resourceModule);
  // The file reads into its own buffer again before the ring goes.
  SetBuffer(nullptr, 0, 0);
  FreeRing();
  playing() = paused() = 0;
  playPosition() = 0;
  if (unloadPending) {
    unloadPending = 0;
    Unload();
  }
}

int32_t mAudioWAV::StreamPause() {
  if (!playing()) return 0;
  if (paused()) return 1;
  if (waveOutPause(waveOut) != MMSYSERR_NOERROR) return 0;
  paused() = 1;
  return 1;
}

int32_t mAudioWAV::StreamStop() {
  if (!playing()) return 1;
  waveOutReset(waveOut);
  ClosePlayback();
  return 1;
}
