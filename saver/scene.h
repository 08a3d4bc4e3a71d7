// The scene: copies of two pictures floating across a black stage, each in a
// straight line at a common speed, bouncing off the edges of a movement box
// in new random directions.
#pragma once

#include <windows.h>

class mDirector;
class mSpriteImage;

constexpr int kSceneSlots = 10;
constexpr int kKind1Resource = 116;  // 226 x 275
constexpr int kKind2Resource = 118;  // 326 x 150
constexpr DWORD kFrameMs = 50;

struct MotionRecord {
  double x, y;    // position in the movement box
  double vx, vy;  // pixels per frame per unit of speed
  mSpriteImage* picture;
};

struct SceneState {
  mDirector* director = nullptr;
  HWND window = nullptr;  // the window the stage mirrors
  int width = 0, height = 0;
  bool fullSize = false;
  int speed = 60;
  int count1 = 1, count2 = 5;  // shared with the settings dialog
  int marginX = 0, marginY = 0;
  UINT_PTR startTimer = 0;
  bool running = false;
  bool tornDown = true;
  bool resized = false;  // the window's size changed: a new scene at the next frame
  MotionRecord records[kSceneSlots] = {};
};

extern SceneState g_scene;

LRESULT SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void BuildScene(HWND window, HINSTANCE instance);
BOOL CreateFirstPicture(const void* bytes, DWORD count, int slot, int depth);
void CreateCopyPicture(int sourceSlot, int slot, int depth);
void NewVelocity(MotionRecord* record);
void MovePicture(MotionRecord* record);
void StepScene();
// The scene again at the window's present size, as a new window of that size
// would get it; the animation goes on.
void RebuildScene();
void RunAnimation(HWND window);
void TearDownScene();

// Reads the two counts (given for this run, else stored) with their clamps:
// 0..2 and 0..10, both back to 1 and 5 when they add up to more than 10.
void ReadSceneCounts(int* count1, int* count2);
// Pictures to show in a window smaller than the desktop: at most one of kind
// 1 and four in all.
void PreviewCounts(int count1, int count2, int* shown1, int* shown2);
// The speed setting clamped to 10..100.
int ClampSpeed(int speed);
