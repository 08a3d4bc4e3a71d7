#include "about_box.h"

#include "frame_wait.h"
#include "media/image_flic.h"
#include "saver_state.h"
#include "sprites/sprite_image.h"
#include "stage/director.h"
#include "stage/render_solid.h"

AboutBoxState g_aboutBox;

const char* const kAboutAddresses[3] = {
    "http://www.quillmoor.example.org/orvanel/",
    "http://www.lighthouse-keepers.example.org/",
    "http://www.skywatch.example.com/",
};

namespace {

constexpr int kAboutStageCapacity = 50;
constexpr UINT kAboutStartMs = 50;
constexpr DWORD kAboutFrameMs = 75;
// The stage palette entry that takes the dialog's face colour.
constexpr int kFaceColourEntry = 245;

// The picture stands on the dialog's own face colour instead of black.
void MatchBackgroundToDialog() {
  AboutBoxState& st = g_aboutBox;
  HDC dc = GetDC(st.picture);
  COLORREF colour = GetPixel(dc, 0, 0);
  ReleaseDC(st.picture, dc);
  RGBQUAD entry = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
  st.stage->SetPalette(&entry, kFaceColourEntry, 1);
  st.stage->background->SetColour(entry);
}

void DestroyStage() {
  AboutBoxState& st = g_aboutBox;
  if (!st.stage) return;
  st.stage->RemoveSprite(st.sprite);
  delete st.sprite;  // the image goes with its last sprite
  delete st.stage;
  st.sprite = nullptr;
  st.image = nullptr;
  st.stage = nullptr;
}

}  // namespace

void ResetAboutBoxState() { g_aboutBox = AboutBoxState{}; }

void InitAboutBox(HWND dialog) {
  AboutBoxState& st = g_aboutBox;
  st = AboutBoxState{};
  st.picture = GetDlgItem(dialog, kAboutPictureControl);
  RECT rect;
  GetWindowRect(st.picture, &rect);
  st.corner = {rect.left, rect.top};
  ScreenToClient(dialog, &st.corner);

  HINSTANCE instance = g_saver.instance;
  st.image = new mImageFlic();
  HRSRC info = FindResourceA(instance, MAKEINTRESOURCEA(kAboutPictureResource), "flic");
  HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || !st.image->OpenMemory(bytes, static_cast<int32_t>(SizeofResource(instance, info))) ||
      !st.image->ReadHeader()) {
    // No picture, no stage, no timer: OK ends the box at once.
    delete st.image;
    st.image = nullptr;
    return;
  }

  st.sprite = new mSpriteImage();
  st.sprite->SetImage(st.image);
  st.image->SetRemap(FALSE);
  st.image->SetTransparent(TRUE);
  st.sprite->MoveTo(0, 0, 0);

  const mImageFile::FrameRecord* frame = st.image->GetFrameRecord();
  MoveWindow(st.picture, st.corner.x, st.corner.y, frame->frameWidth, frame->frameHeight, TRUE);

  st.stage = new mDirector(st.picture, kAboutStageCapacity);
  g_resourceModule = instance;
  st.stage->AddSprite(st.sprite);

  st.timer = SetTimer(dialog, 1, kAboutStartMs, nullptr);
  for (int i = 0; i < 3; ++i) SetWindowTextA(GetDlgItem(dialog, kAddressEdits[i]), kAboutAddresses[i]);
}

INT_PTR AboutCommand(HWND dialog, WPARAM wParam) {
  AboutBoxState& st = g_aboutBox;
  switch (LOWORD(wParam)) {
    case 0:
      return 1;
    case IDOK:
    case IDCANCEL:
      // With a stage, the animation loop closes the box between two frames.
      if (st.stage)
        st.ending = true;
      else
        EndDialog(dialog, 1);
      return 0;
    case kAboutCloseCommand:
      DestroyStage();
      EndDialog(dialog, 1);
      return 0;
    default:
      return 1;
  }
}

void RunAboutAnimation(HWND dialog) {
  AboutBoxState& st = g_aboutBox;
  if (!st.stage) return;
  MatchBackgroundToDialog();
  for (;;) {
    const DWORD start = GetTickCount();
    st.stage->Frame();
    if (st.ending) break;
    bool stop = false;
    for (;;) {
      MSG message;
      if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        // A quit closes the box and stays for the loops outside it.
        if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
        // Enter and Escape close the box without reaching any control.
        if (message.message == WM_QUIT || message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) {
          stop = true;
          break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
      } else {
        WaitForMessageOrFrame(start, kAboutFrameMs);
      }
      if (GetTickCount() - start >= kAboutFrameMs) break;
      if (st.ending) {
        stop = true;
        break;
      }
    }
    if (stop) break;
  }
  PostMessageA(dialog, WM_COMMAND, kAboutCloseCommand, 0);
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  AboutBoxState& st = g_aboutBox;
  switch (message) {
    case WM_INITDIALOG:
      InitAboutBox(dialog);
      return 0;
    case WM_COMMAND:
      return AboutCommand(dialog, wParam);
    case WM_TIMER:
      if (st.timer) {
        KillTimer(dialog, st.timer);
        st.timer = 0;
        RunAboutAnimation(dialog);
      }
      return 0;
    case WM_DESTROY:
      // A box destroyed some other way leaves nothing behind either.
      DestroyStage();
      return 0;
    default:
      return 0;
  }
}
