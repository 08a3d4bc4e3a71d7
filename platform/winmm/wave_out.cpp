// Wave output over the backend's audio device. Buffers are kept here in the
// order they were written; the device only plays bytes. A buffer is done once
// the device has consumed every byte up to its end; the message queue asks
// for that (due work) and MM_WOM_DONE goes to the callback window then.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>

#include "core/audio_device.h"
#include "core/backend.h"
#include "core/due_work.h"
#include "core/lifecycle.h"
#include "core/trace.h"

namespace plat::wave {
namespace {

struct Queued {
  WAVEHDR* header;
  uint64_t end;  // device byte count at which this buffer has been played
};

struct Device {
  HWAVEOUT handle = nullptr;
  HWND callback = nullptr;
  std::unique_ptr<AudioOutput> output;
  std::deque<Queued> queue;
  uint64_t written = 0;  // bytes handed to the device since open
  bool paused = false;
};

// Handles count up from here, so that they are never taken for device ids.
constexpr uintptr_t kFirstHandle = 0x5A0000;
uintptr_t g_nextHandle = kFirstHandle;
std::map<uintptr_t, std::unique_ptr<Device>>* g_devices = nullptr;
DWORD g_volume = 0xFFFFFFFF;  // the device's volume, left in the low word

std::map<uintptr_t, std::unique_ptr<Device>>& Devices() {
  if (!g_devices) g_devices = new std::map<uintptr_t, std::unique_ptr<Device>>();
  return *g_devices;
}

Device* Find(HWAVEOUT handle) {
  if (!g_devices) return nullptr;
  auto it = g_devices->find(reinterpret_cast<uintptr_t>(handle));
  return it == g_devices->end() ? nullptr : it->second.get();
}

void Notify(Device* device, UINT message, WAVEHDR* header) {
  if (device->callback)
    PostMessageA(device->callback, message, reinterpret_cast<WPARAM>(device->handle),
                 reinterpret_cast<LPARAM>(header));
}

void Finish(Device* device, WAVEHDR* header) {
  header->dwFlags = (header->dwFlags & ~static_cast<DWORD>(WHDR_INQUEUE)) | WHDR_DONE;
  Notify(device, MM_WOM_DONE, header);
}

void Collect(Device* device) {
  if (device->queue.empty()) return;
  uint64_t consumed = device->output->Consumed();
  while (!device->queue.empty() && device->queue.front().end <= consumed) {
    WAVEHDR* header = device->queue.front().header;
    device->queue.pop_front();
    Finish(device, header);
  }
}

void RunWave() {
  if (!g_devices) return;
  for (auto& entry : *g_devices) Collect(entry.second.get());
}

bool NextWave(uint32_t* at) {
  if (!g_devices) return false;
  bool any = false;
  for (auto& entry : *g_devices) {
    Device* device = entry.second.get();
    if (device->queue.empty() || device->paused) continue;
    uint32_t due = 0;
    if (!device->output->DueTime(device->queue.front().end, &due)) continue;
    if (!any || static_cast<int32_t>(due - *at) < 0) *at = due;
    any = true;
  }
  return any;
}

void CloseAll() {
  delete g_devices;
  g_devices = nullptr;
  g_nextHandle = kFirstHandle;
  g_volume = 0xFFFFFFFF;
}

bool ValidDeviceId(UINT_PTR id) {
  return id == WAVE_MAPPER || id < static_cast<UINT_PTR>(CurrentBackend().AudioDeviceCount());
}

void ApplyVolume(AudioOutput* output) {
  AudioCaps caps = CurrentBackend().AudioCapabilities();
  uint16_t left = static_cast<uint16_t>(g_volume & 0xFFFF);
  uint16_t right = (caps.support & WAVECAPS_LRVOLUME) ? static_cast<uint16_t>(g_volume >> 16) : left;
  output->SetVolume(left, right);
}

}  // namespace
}  // namespace plat::wave

using namespace plat;
using namespace plat::wave;

extern "C" {

UINT WINAPI waveOutGetNumDevs(void) {
  int count = CurrentBackend().AudioDeviceCount();
  return count > 0 ? static_cast<UINT>(count) : 0;
}

MMRESULT WINAPI waveOutGetDevCapsA(UINT_PTR uDeviceID, LPWAVEOUTCAPSA pwoc, UINT cbwoc) {
  if (!pwoc) return MMSYSERR_INVALPARAM;
  if (Device* device = Find(reinterpret_cast<HWAVEOUT>(uDeviceID))) (void)device;
  else if (!ValidDeviceId(uDeviceID)) return MMSYSERR_BADDEVICEID;
  AudioCaps caps = CurrentBackend().AudioCapabilities();
  WAVEOUTCAPSA full{};
  full.vDriverVersion = 0x0100;
  std::strncpy(full.szPname, caps.name, sizeof full.szPname - 1);
  full.dwFormats = caps.formats;
  full.wChannels = 2;
  full.dwSupport = caps.support;
  std::memcpy(pwoc, &full, cbwoc < sizeof full ? cbwoc : sizeof full);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen) {
  (void)dwInstance;
  if (!pwfx) return MMSYSERR_INVALPARAM;
  if (CurrentBackend().AudioDeviceCount() <= 0) return MMSYSERR_NODRIVER;
  if (!ValidDeviceId(uDeviceID)) return MMSYSERR_BADDEVICEID;
  DWORD callbackType = fdwOpen & CALLBACK_TYPEMASK;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) {
    PLAT_FIXME("waveOutOpen: callback type %08lx", static_cast<unsigned long>(callbackType));
    return MMSYSERR_INVALFLAG;
  }
  HWND window = callbackType == CALLBACK_WINDOW ? reinterpret_cast<HWND>(dwCallback) : nullptr;
  if (window && !IsWindow(window)) return MMSYSERR_INVALPARAM;

  AudioFormat format;
  format.rate = pwfx->nSamplesPerSec;
  format.channels = pwfx->nChannels;
  format.bits = pwfx->wBitsPerSample;
  if (pwfx->wFormatTag != WAVE_FORMAT_PCM) PLAT_FIXME("waveOutOpen: format tag %u", pwfx->wFormatTag);
  if (pwfx->wFormatTag != WAVE_FORMAT_PCM || !PlayableFormat(format)) return WAVERR_BADFORMAT;
  if (fdwOpen & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
  if (!phwo) return MMSYSERR_INVALPARAM;

  std::unique_ptr<AudioOutput> output = CurrentBackend().OpenAudio(format);
  if (!output) return MMSYSERR_ALLOCATED;
  RegisterReset(CloseAll);
  RegisterDueWork(DueWork{RunWave, NextWave});
  auto device = std::make_unique<Device>();
  device->handle = reinterpret_cast<HWAVEOUT>(g_nextHandle++);
  device->callback = window;
  device->output = std::move(output);
  ApplyVolume(device->output.get());
  Device* opened = device.get();
  Devices()[reinterpret_cast<uintptr_t>(opened->handle)] = std::move(device);
  *phwo = opened->handle;
  Notify(opened, MM_WOM_OPEN, nullptr);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT hwo) {
  Device* device = Find(hwo);
  if (!device) return MMSYSERR_INVALHANDLE;
  Collect(device);
  if (!device->queue.empty()) return WAVERR_STILLPLAYING;
  Notify(device, MM_WOM_CLOSE, nullptr);
  g_devices->erase(reinterpret_cast<uintptr_t>(hwo));
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  if (!Find(hwo)) return MMSYSERR_INVALHANDLE;
  if (!pwh || cbwh < sizeof(WAVEHDR) || (!pwh->lpData && pwh->dwBufferLength)) return MMSYSERR_INVALPARAM;
  pwh->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  if (!Find(hwo)) return MMSYSERR_INVALHANDLE;
  if (!pwh || cbwh < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (pwh->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  pwh->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  Device* device = Find(hwo);
  if (!device) return MMSYSERR_INVALHANDLE;
  if (!pwh || cbwh < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (!(pwh->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (pwh->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  pwh->dwFlags = (pwh->dwFlags & ~static_cast<DWORD>(WHDR_DONE)) | WHDR_INQUEUE;
  if (pwh->dwBufferLength) device->output->Queue(reinterpret_cast<const uint8_t*>(pwh->lpData), pwh->dwBufferLength);
  device->written += pwh->dwBufferLength;
  device->queue.push_back(Queued{pwh, device->written});
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPause(HWAVEOUT hwo) {
  Device* device = Find(hwo);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->output->Pause();
  device->paused = true;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutRestart(HWAVEOUT hwo) {
  Device* device = Find(hwo);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->output->Resume();
  device->paused = false;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutReset(HWAVEOUT hwo) {
  Device* device = Find(hwo);
  if (!device) return MMSYSERR_INVALHANDLE;
  device->output->Reset();
  device->paused = false;
  while (!device->queue.empty()) {
    WAVEHDR* header = device->queue.front().header;
    device->queue.pop_front();
    Finish(device, header);
  }
  device->written = device->output->Consumed();
  return MMSYSERR_NOERROR;
}

// hwo may also name a device by its id, as the system allows.
MMRESULT WINAPI waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume) {
  if (!pdwVolume) return MMSYSERR_INVALPARAM;
  if (!Find(hwo) && !ValidDeviceId(reinterpret_cast<UINT_PTR>(hwo))) return MMSYSERR_INVALHANDLE;
  AudioCaps caps = CurrentBackend().AudioCapabilities();
  if (!(caps.support & WAVECAPS_VOLUME)) return MMSYSERR_NOTSUPPORTED;
  *pdwVolume = (caps.support & WAVECAPS_LRVOLUME) ? g_volume : (g_volume & 0xFFFF);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume) {
  if (!Find(hwo) && !ValidDeviceId(reinterpret_cast<UINT_PTR>(hwo))) return MMSYSERR_INVALHANDLE;
  AudioCaps caps = CurrentBackend().AudioCapabilities();
  if (!(caps.support & WAVECAPS_VOLUME)) return MMSYSERR_NOTSUPPORTED;
  RegisterReset(CloseAll);
  g_volume = dwVolume;
  if (g_devices)
    for (auto& entry : *g_devices) ApplyVolume(entry.second->output.get());
  return MMSYSERR_NOERROR;
}

}  // extern "C"
