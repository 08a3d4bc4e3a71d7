// The settings dialog (resource 2003): speed and the two counts, a live
// preview of the scene and a thumbnail of each kind of picture.
#pragma once

#include <windows.h>

class mDirector;
class ThumbnailSprite;

constexpr int kSettingsDialogId = 2003;
constexpr int kAboutMenuCommand = 16;
constexpr int kRefreshCommand = 1024;
constexpr int kPreviewControl = 1008;
constexpr int kSpeedScrollBar = 1006;
constexpr int kThumbnail1Control = 1015;
constexpr int kThumbnail2Control = 1016;
constexpr int kCount1Edit = 1028;
constexpr int kCount1Spin = 1027;
constexpr int kCount2Edit = 1029;
constexpr int kCount2Spin = 1030;
constexpr int kThumbnail1Resource = 122;
constexpr int kThumbnail2Resource = 124;

// One dialog at a time; the working counts live in the scene, which builds
// the preview from them.
struct SettingsDialogState {
  int speed = 60;
  int shown1 = 0, shown2 = 0;
  int spinCentre1 = 0, spinCentre2 = 0;  // where each up-down is put back after a click
  bool validating = false;
  bool ending = false;
  HWND preview = nullptr;
  ThumbnailSprite* thumbnails[2] = {};
  mDirector* thumbnailStages[2] = {};
  int thumbnailsMade = 0;
  UINT_PTR timer = 0;
};

extern SettingsDialogState g_settingsDialog;

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Called before the dialog is made; a false result ends the mode with it.
BOOL RegisterDialogClasses(HINSTANCE instance);

void InitSettingsDialog(HWND dialog);
INT_PTR SettingsCommand(HWND dialog, WPARAM wParam);
INT_PTR SpeedScroll(WPARAM wParam, HWND scrollBar);
INT_PTR CountSpin(HWND dialog, WPARAM wParam, HWND control);
// cause: the id of the control whose change led here; its value wins when
// the counts add up to more than 10.
void ValidateCounts(HWND dialog, int cause);

// Thumbnails of the two kinds on stages of their own.
void MakeThumbnails(HWND dialog);
BOOL LoadThumbnail(int resource, class mImageFlic* image, ThumbnailSprite* sprite);
void FrameThumbnails();
void DestroyThumbnails();

// The preview of the scene on control 1008.
void RebuildPreview(HWND dialog);
void RunPreview(HWND dialog);

// Back to the state of a fresh process.
void ResetSettingsDialogState();
