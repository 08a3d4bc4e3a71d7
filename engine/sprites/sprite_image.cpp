#include "sprites/sprite_image.h"

#include "media/image_bitmap.h"
#include "media/image_file.h"
#include "sprites/wrap_math.h"
#include "stage/director.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

mSpriteImage::mSpriteImage() { state |= kLooping; }

mSpriteImage::~mSpriteImage() { SetImage(nullptr); }

void mSpriteImage::CopyFrom(const mSpriteImage& source) {
  if (&source == this) return;
  mSprite::CopyFrom(source);
  useOrigin = source.useOrigin;
  SetImage(source.image);
}

void mSpriteImage::SetImage(mImageFile* newImage) {
  mImageFile* old = image;
  image = shownImage = newImage;
  if (newImage) AddRef(newImage);
  if (old) Release(old);
  if (!newImage) return;
  newImage->ReadHeader();
  newImage->SetAutoAdvance(FALSE);
  interval = ScaleBySpeed(static_cast<uint32_t>(newImage->GetFrameRecord()->frameTime), speed);
  if (stage) newImage->SetTarget(stage);
}

int32_t mSpriteImage::FrameCount() const { return image ? image->GetFileRecord()->frameCount : 0; }

POINT mSpriteImage::FrameCorner() const {
  POINT corner = {WrapSub(x, offsetX), WrapSub(y, offsetY)};
  if (useOrigin && image) {
    corner.x = WrapSub(corner.x, image->GetFrameRecord()->originX);
    corner.y = WrapSub(corner.y, image->GetFrameRecord()->originY);
  }
  return corner;
}

void mSpriteImage::HandPaletteToStage() {
  const mImageFile::FrameRecord* record = image->GetFrameRecord();
  if (stage && record->paletteChanged && !record->remap && record->palette)
    stage->SetPalette(record->palette, 0, 256);
}

void mSpriteImage::Attached() {
  if (image) {
    image->SetTarget(stage);
    image->ReadHeader();
    interval = ScaleBySpeed(static_cast<uint32_t>(image->GetFrameRecord()->frameTime), speed);
    HandPaletteToStage();
  }
  if (!(state & kPaused)) Start(0);
}

void mSpriteImage::Detached() {
  if (!image) return;
  // Other sprites showing the same image keep its target.
  if (image->refCount == 1) image->SetTarget(nullptr);
  image->StreamStop();
}

void mSpriteImage::Draw(const RECT* rects, int count) {
  if ((state & kHidden) || !image) return;
  if (image->GetFrameRecord()->currentFrame != frame) image->SeekFrame(frame, 0);
  POINT corner = FrameCorner();
  for (int i = 0; i < count; ++i) image->ReadFrame(corner.x, corner.y, &rects[i]);
}

void mSpriteImage::Advance(uint32_t overshoot) {
  if ((state & kPaused) || !image) return;
  const int32_t count = FrameCount();
  if (count <= 0) return;  // an image without frames has nothing to step through
  int cycles = 0;
  do {
    interval = 0;
    if (program)
      RunCycle();
    else
      ++frame;
    if (static_cast<uint32_t>(frame) >= static_cast<uint32_t>(count)) {
      if (state & kLooping) {
        frame = 0;
      } else {
        frame = count - 1;
        image->SeekFrame(count - 1, 0);
        break;  // stays on its last frame with an interval of 0
      }
    }
    image->SeekFrame(frame, 0);
    if (interval == 0) interval = static_cast<uint32_t>(image->GetFrameRecord()->frameTime);
    if (speed != 100) interval = ScaleBySpeed(interval, speed);
    state &= ~kAgain;
    if (state & kTimed) {
      if (overshoot >= interval && interval != 0 && ++cycles < kMaxCatchUpCycles) {
        overshoot -= interval;
        state |= kAgain;
      } else if (overshoot < interval) {
        interval -= overshoot;  // the next frame comes on time
      }
    }
  } while (state & kAgain);
  MoveTo(x, y, depth);
  HandPaletteToStage();
}

void mSpriteImage::PaletteChanged() {
  if (image) image->UpdateTranslation();
}

void mSpriteImage::MoveTo(int32_t newX, int32_t newY, int32_t newDepth) {
  x = newX;
  y = newY;
  if (newDepth > 0 && newDepth != depth) {
    depth = newDepth;
    if (stage) stage->ResortSprite(this);
  }
  if (!image) return;
  POINT corner = FrameCorner();
  const mImageFile::FrameRecord* record = image->GetFrameRecord();
  RECT newBounds = {corner.x, corner.y, WrapAdd(corner.x, record->frameWidth), WrapAdd(corner.y, record->frameHeight)};
  if (!(state & kHidden) && stage) {
    if (SameRect(newBounds, bounds)) {
      RECT changed = record->updateRect;
      changed.left = WrapAdd(changed.left, corner.x);
      changed.right = WrapAdd(changed.right, corner.x);
      changed.top = WrapAdd(changed.top, corner.y);
      changed.bottom = WrapAdd(changed.bottom, corner.y);
      stage->MarkDirty(&changed, 1);
    } else {
      stage->MarkDirty(&newBounds, 1);
      stage->MarkDirty(&bounds, 1);
    }
  }
  bounds = hitRect = newBounds;
}

void mSpriteImage::Start(int32_t instruction) {
  state &= ~kPaused;
  pc = instruction;
  if (image) image->StreamPlay(0, 0);
}

void mSpriteImage::Pause() {
  state |= kPaused;
  if (image) image->StreamPause();
}

void mSpriteImage::Resume() {
  state &= ~kPaused;
  if (image) image->StreamPlay(0, 1);
}

int mSpriteImage::LoadScript(mFile* file) {
  if (!file) return 1;
  // Script and image definitions share one text: each reader skips the
  // other's words and both stop at the same END.
  const int32_t start = file->Tell();
  mSprite::LoadScript(file);
  file->Seek(start, 0);
  if (image && image->GetFileRecord()->formatTag == FormatTag("BMAP"))
    static_cast<mImageBitmap*>(image)->ReadDefinitions(file);
  return 1;
}
