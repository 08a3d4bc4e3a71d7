// The About box (resource 100): a picture on a small stage of its own, the
// credits and three web page addresses to copy.
#pragma once

#include <windows.h>

class mDirector;
class mImageFlic;
class mSpriteImage;

constexpr int kAboutBoxId = 100;
constexpr int kAboutPictureControl = 1012;
constexpr int kAboutPictureResource = 118;
constexpr int kAboutCloseCommand = 104;
constexpr int kAddressEdits[3] = {1047, 1049, 1050};
extern const char* const kAboutAddresses[3];

// One box at a time.
struct AboutBoxState {
  HWND picture = nullptr;
  POINT corner = {0, 0};
  mDirector* stage = nullptr;
  mSpriteImage* sprite = nullptr;
  mImageFlic* image = nullptr;
  UINT_PTR timer = 0;
  bool ending = false;
};

extern AboutBoxState g_aboutBox;

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void InitAboutBox(HWND dialog);
INT_PTR AboutCommand(HWND dialog, WPARAM wParam);
void RunAboutAnimation(HWND dialog);

// Back to the state of a fresh process.
void ResetAboutBoxState();
