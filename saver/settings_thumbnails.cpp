// The still thumbnails of the two kinds of picture, each on a stage of its
// own the size of the picture plus the control's edges.
#include "media/image_flic.h"
#include "saver_state.h"
#include "settings_dialog.h"
#include "stage/director.h"
#include "thumbnail_sprite.h"

ThumbnailSprite::~ThumbnailSprite() = default;

namespace {

constexpr int kThumbnailStageCapacity = 50;
constexpr int kEdgeAllowance = 8;

void FitControlToImage(HWND dialog, int id, const mImageFlic* image) {
  HWND control = GetDlgItem(dialog, id);
  RECT rect;
  GetWindowRect(control, &rect);
  POINT corner = {rect.left, rect.top};
  ScreenToClient(dialog, &corner);
  const mImageFile::FrameRecord* frame = image->GetFrameRecord();
  MoveWindow(control, corner.x, corner.y, frame->frameWidth + kEdgeAllowance,
             frame->frameHeight + kEdgeAllowance, TRUE);
}

}  // namespace

BOOL LoadThumbnail(int resource, mImageFlic* image, ThumbnailSprite* sprite) {
  SettingsDialogState& st = g_settingsDialog;
  HINSTANCE instance = g_saver.instance;
  HRSRC info = FindResourceA(instance, MAKEINTRESOURCEA(resource), "flic");
  HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || !image->OpenMemory(bytes, static_cast<int32_t>(SizeofResource(instance, info))) ||
      !image->ReadHeader())
    return FALSE;
  sprite->SetImage(image);
  image->SetRemap(FALSE);
  image->SetTransparent(TRUE);
  sprite->SetOffset(0, 0);
  sprite->MoveTo(0, 0, st.thumbnailsMade++);
  return TRUE;
}

void MakeThumbnails(HWND dialog) {
  SettingsDialogState& st = g_settingsDialog;
  const int controls[2] = {kThumbnail1Control, kThumbnail2Control};
  const int resources[2] = {kThumbnail1Resource, kThumbnail2Resource};
  bool loaded[2];
  for (int i = 0; i < 2; ++i) {
    st.thumbnails[i] = new ThumbnailSprite();
    auto* image = new mImageFlic();
    loaded[i] = LoadThumbnail(resources[i], image, st.thumbnails[i]);
    // A thumbnail that cannot be read leaves its control black and empty.
    if (loaded[i])
      FitControlToImage(dialog, controls[i], image);
    else
      delete image;
  }
  for (int i = 0; i < 2; ++i) {
    st.thumbnailStages[i] = new mDirector(GetDlgItem(dialog, controls[i]), kThumbnailStageCapacity);
    g_resourceModule = g_saver.instance;
    if (loaded[i]) st.thumbnailStages[i]->AddSprite(st.thumbnails[i]);
  }
}

void FrameThumbnails() {
  for (mDirector* stage : g_settingsDialog.thumbnailStages)
    if (stage) stage->Frame();
}

void DestroyThumbnails() {
  SettingsDialogState& st = g_settingsDialog;
  for (int i = 0; i < 2; ++i) {
    if (st.thumbnailStages[i] && st.thumbnails[i]) st.thumbnailStages[i]->RemoveSprite(st.thumbnails[i]);
    delete st.thumbnails[i];
    delete st.thumbnailStages[i];
    st.thumbnails[i] = nullptr;
    st.thumbnailStages[i] = nullptr;
  }
}
