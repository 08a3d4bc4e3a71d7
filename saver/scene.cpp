#include "scene.h"

#include <algorithm>
#include <cmath>

#include "frame_wait.h"
#include "media/image_flic.h"
#include "saver_state.h"
#include "run_settings.h"
#include "saver_window.h"
#include "scene_random.h"
#include "settings_store.h"
#include "sprites/sprite_image.h"
#include "stage/director.h"

SceneState g_scene;

namespace {

constexpr double kInverseRandMax = 0.00003051850947599719;   // 1 / 32767
constexpr double kSpreadFactor = 2.1362956633198035e-05;     // 0.7 / 32767
constexpr int kStageCapacity = 50;
constexpr int kFullScreenCapacity = 100;
constexpr UINT kStartDelayMs = 500;

// The resource's bytes, read in place; null when it cannot be found.
const void* FindPicture(HINSTANCE instance, int id, DWORD* size) {
  HRSRC info = FindResourceA(instance, MAKEINTRESOURCEA(id), "flic");
  if (!info) return nullptr;
  HGLOBAL loaded = LoadResource(instance, info);
  if (!loaded) return nullptr;
  *size = SizeofResource(instance, info);
  return LockResource(loaded);
}

BOOL CreateFirstPictureFrom(HINSTANCE instance, int resource, int slot, int depth) {
  DWORD size = 0;
  const void* bytes = FindPicture(instance, resource, &size);
  return bytes && CreateFirstPicture(bytes, size, slot, depth);
}

void PlaceAtRandom(MotionRecord* record, int depth) {
  DiscardSceneRandom(10);
  record->x = static_cast<double>(SceneRandom()) * g_scene.width * kInverseRandMax;
  DiscardSceneRandom(10);
  record->y = static_cast<double>(SceneRandom()) * g_scene.height * kInverseRandMax;
  NewVelocity(record);
  record->picture->MoveTo(static_cast<int32_t>(record->x), static_cast<int32_t>(record->y), depth);
  g_scene.director->AddSprite(record->picture);
}

// One axis of a motion step: a picture that would leave the box stops at its
// edge and takes a new direction whose component on this axis points back in.
void MoveAlongAxis(MotionRecord* record, double* position, double* velocity, double limit) {
  double next = *position + g_scene.speed * *velocity;
  if (next < 0) {
    *position = 0;
    NewVelocity(record);
    *velocity = std::fabs(*velocity);
  } else if (next > limit) {
    *position = limit;
    NewVelocity(record);
    *velocity = -std::fabs(*velocity);
  } else {
    *position = next;
  }
}

void FrameSize(const mSpriteImage* picture, int* width, int* height) {
  const mImageFile::FrameRecord* frame = picture->shownImage->GetFrameRecord();
  *width = frame->frameWidth;
  *height = frame->frameHeight;
}

}  // namespace

void ReadSceneCounts(int* count1, int* count2) {
  *count1 = std::clamp<int>(ReadRunSetting(kSprite1CountValue, kDefaultSprite1Count), 0, 2);
  *count2 = std::clamp<int>(ReadRunSetting(kSprite2CountValue, kDefaultSprite2Count), 0, 10);
  if (*count1 + *count2 > 10) {
    *count1 = kDefaultSprite1Count;
    *count2 = kDefaultSprite2Count;
  }
}

void PreviewCounts(int count1, int count2, int* shown1, int* shown2) {
  *shown1 = (count1 + 4) / 5;
  *shown2 = count2 + *shown1 > 4 ? 4 - *shown1 : count2;
}

int ClampSpeed(int speed) { return std::clamp(speed, 10, 100); }

void NewVelocity(MotionRecord* record) {
  DiscardSceneRandom(10);
  double s = 0.15 + SceneRandom() * kSpreadFactor;
  double a = SceneRandom() <= 16383 ? 1.0 : -1.0;
  record->vx = a * s * 0.08 * 0.5;
  double b = SceneRandom() <= 16383 ? 1.0 : -1.0;
  record->vy = b * std::sqrt(0.04 * 0.04 - record->vx * record->vx);
}

BOOL CreateFirstPicture(const void* bytes, DWORD count, int slot, int depth) {
  auto* image = new mImageFlic();
  // A picture that cannot be read is skipped with its copies.
  if (!image->OpenMemory(bytes, static_cast<int32_t>(count)) || !image->ReadHeader()) {
    delete image;
    return FALSE;
  }
  MotionRecord* record = &g_scene.records[slot];
  record->picture = new mSpriteImage();
  record->picture->SetImage(image);
  image->SetRemap(FALSE);
  image->SetTransparent(TRUE);

  int w, h;
  FrameSize(record->picture, &w, &h);
  record->picture->SetOffset(w / 2, h / 2);
  PlaceAtRandom(record, depth);
  if (!g_scene.fullSize) {
    g_scene.marginX = std::min(g_scene.marginX, g_scene.width / 2 - w);
    g_scene.marginY = std::min(g_scene.marginY, g_scene.height / 2 - h);
  }
  return TRUE;
}

void CreateCopyPicture(int sourceSlot, int slot, int depth) {
  MotionRecord* record = &g_scene.records[slot];
  record->picture = new mSpriteImage();
  record->picture->CopyFrom(*g_scene.records[sourceSlot].picture);
  PlaceAtRandom(record, depth);
}

void BuildScene(HWND window, HINSTANCE instance) {
  SelectSettingsKey(window, kSettingsKeyPath);
  for (MotionRecord& record : g_scene.records) record = MotionRecord{};
  g_scene.marginX = g_scene.marginY = 0;
  g_scene.tornDown = false;
  g_scene.resized = false;
  g_scene.window = window;

  SeedSceneRandom();
  DiscardSceneRandom(337);

  RECT client, desktop;
  GetClientRect(window, &client);
  GetClientRect(GetDesktopWindow(), &desktop);
  g_scene.width = client.right - client.left;
  g_scene.height = client.bottom - client.top;
  g_scene.fullSize = g_scene.width == desktop.right && g_scene.height == desktop.bottom;

  g_scene.director = new mDirector(window, kStageCapacity);
  g_resourceModule = instance;
  if (g_scene.fullSize) g_scene.director->ResizeDirtyList(kFullScreenCapacity);

  int shown1 = g_scene.count1, shown2 = g_scene.count2;
  if (!g_scene.fullSize) PreviewCounts(g_scene.count1, g_scene.count2, &shown1, &shown2);

  // Kind 2 in a back half and a front half, kind 1 between them; each
  // picture's depth is its slot.
  int slot = 0;
  if (g_scene.count2 > 0 && CreateFirstPictureFrom(instance, kKind2Resource, 0, 0)) {
    int back = (shown2 + 1) / 2;
    for (int i = 1; i < back; ++i) CreateCopyPicture(0, i, i);
    slot = back;
  }
  if (g_scene.count1 > 0 && CreateFirstPictureFrom(instance, kKind1Resource, slot, slot)) {
    for (int i = 1; i < shown1; ++i) CreateCopyPicture(slot, slot + i, slot + i);
    slot += shown1;
  }
  if (g_scene.count2 > 1 && CreateFirstPictureFrom(instance, kKind2Resource, slot, slot)) {
    int front = shown2 - (shown2 + 1) / 2;
    for (int i = 1; i < front; ++i) CreateCopyPicture(slot, slot + i, slot + i);
  }

  g_scene.speed = ClampSpeed(ReadRunSetting(kSpeedValue, kDefaultSpeed));
}

void MovePicture(MotionRecord* record) {
  int w, h;
  FrameSize(record->picture, &w, &h);
  const int offX = w / 2 + g_scene.marginX;
  const int offY = h / 2 + g_scene.marginY;
  const double limitX = g_scene.width - 2 * offX;
  const double limitY = g_scene.height - 2 * offY;

  MoveAlongAxis(record, &record->x, &record->vx, limitX);
  // The y step uses the velocity a bounce on x may just have drawn anew.
  MoveAlongAxis(record, &record->y, &record->vy, limitY);
  record->picture->MoveTo(static_cast<int32_t>(record->x) + offX, static_cast<int32_t>(record->y) + offY, -1);
}

void StepScene() {
  if (g_scene.resized) RebuildScene();
  for (MotionRecord& record : g_scene.records)
    if (record.picture) MovePicture(&record);
  if (g_scene.director) g_scene.director->Frame();
}

void RunAnimation(HWND window) {
  // The queue is looked at only when something may be in it: an empty look
  // waits a moment for input, a second wakeup in every idle frame.
  bool look = true;
  while (g_scene.running) {
    DWORD start = GetTickCount();
    StepScene();
    for (;;) {
      MSG message;
      if (look && PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
        if (message.message == WM_DESTROY) goto stopped;
        if (message.message == WM_QUIT) {
          // The quit comes through the window filter too (a preview whose
          // parent went away): it belongs to the process loop.
          PostQuitMessage(static_cast<int>(message.wParam));
          goto stopped;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
      } else {
        look = WaitForMessageOrFrame(start, kFrameMs);
      }
      if (GetTickCount() - start >= kFrameMs) break;
      if (!g_scene.running) goto stopped;
    }
  }
stopped:
  SendMessageA(window, WM_CLOSE, 0, 0);
}

void RebuildScene() {
  bool running = g_scene.running;
  TearDownScene();
  BuildScene(g_scene.window, g_saver.instance);
  g_scene.running = running;
}

void TearDownScene() {
  if (g_scene.tornDown) return;
  g_scene.running = false;
  for (MotionRecord& record : g_scene.records) {
    if (!record.picture) continue;
    g_scene.director->RemoveSprite(record.picture);
    delete record.picture;
    record.picture = nullptr;
  }
  delete g_scene.director;
  g_scene.director = nullptr;
  g_scene.tornDown = true;
}

LRESULT SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      SelectSettingsKey(window, kSettingsKeyPath);
      ReadSceneCounts(&g_scene.count1, &g_scene.count2);
      BuildScene(window, g_saver.instance);
      g_scene.startTimer = SetTimer(window, 1, kStartDelayMs, nullptr);
      break;
    case WM_TIMER:
      if (!g_saver.verifying) {
        g_scene.running = true;
        KillTimer(window, g_scene.startTimer);
        RunAnimation(window);
      }
      break;
    case WM_CLOSE:
      if (!g_scene.fullSize && g_scene.running) {
        TearDownScene();
        return 0;
      }
      break;
    case WM_DESTROY:
      TearDownScene();
      break;
    case WM_SIZE:
      // A preview's size is its parent's to choose, and on a desktop that
      // may change (xscreensaver's window, a preview pane, a window of its
      // own): the scene follows at its next frame. A full-screen saver
      // keeps the size it started with.
      if (g_saver.preview && !g_scene.tornDown &&
          (LOWORD(lParam) != g_scene.width || HIWORD(lParam) != g_scene.height))
        g_scene.resized = true;
      break;
    default:
      break;
  }
  return DefaultSaverProc(window, message, wParam, lParam);
}
