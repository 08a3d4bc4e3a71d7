#include "media/image_bitmap.h"

#include <algorithm>
#include <new>

namespace {

// Cut to (0, 0, width, height); false when nothing is left.
bool ClipTo(RECT* rect, LONG width, LONG height) {
  rect->left = std::max<LONG>(rect->left, 0);
  rect->top = std::max<LONG>(rect->top, 0);
  rect->right = std::min(rect->right, width);
  rect->bottom = std::min(rect->bottom, height);
  return rect->left < rect->right && rect->top < rect->bottom;
}

}  // namespace

mImageBitmap::mImageBitmap() { fileRecord.formatTag = FormatTag("BMAP"); }

mImageBitmap::~mImageBitmap() {
  BitmapFrame* frame = firstFrame;
  for (int32_t i = 0; frame && i < fileRecord.frameCount; ++i) {
    BitmapFrame* next = frame->next;
    Release(frame->bitmap);
    delete frame;
    frame = next;
  }
  firstFrame = current = nullptr;
}

void mImageBitmap::AddFrame(mBitmap* bitmap, const RECT* sourceRect, int32_t originX, int32_t originY,
                            uint32_t time, const RECT* deltaRect) {
  if (!bitmap) return;
  auto* frame = new (std::nothrow) BitmapFrame{};
  if (!frame) {
    ReportError(kClassImageBitmap, kErrOutOfMemory, nullptr);
    return;
  }
  const LONG width = bitmap->desc->width, height = bitmap->desc->height;
  RECT source = sourceRect ? *sourceRect : RECT{0, 0, width, height};
  if (!ClipTo(&source, width, height)) {
    ReportError(kClassImageBitmap, kErrBadRectangle, nullptr);
    delete frame;
    return;
  }
  const LONG w = source.right - source.left, h = source.bottom - source.top;
  RECT delta = deltaRect ? *deltaRect : RECT{0, 0, w, h};
  if (!ClipTo(&delta, w, h)) {
    ReportError(kClassImageBitmap, kErrBadRectangle, nullptr);
    delete frame;
    return;
  }
  AddRef(bitmap);
  frame->bitmap = bitmap;
  frame->sourceRect = source;
  frame->deltaRect = delta;
  frame->originX = originX;
  frame->originY = originY;
  frame->time = time;
  ++fileRecord.frameCount;
  fileRecord.width = std::max<int32_t>(fileRecord.width, w);
  fileRecord.height = std::max<int32_t>(fileRecord.height, h);
  bitmap->SetTransparent(frameRecord.transparent);
  bitmap->SetRemap(frameRecord.remap);
  if (!firstFrame) {
    frame->next = frame->previous = frame;
    firstFrame = current = frame;
    frameRecord.currentFrame = 0;
    SeekFrame(0, 1);
    return;
  }
  BitmapFrame* last = firstFrame->previous;
  frame->previous = last;
  frame->next = firstFrame;
  last->next = frame;
  firstFrame->previous = frame;
  SeekFrame(1, 1);
}

void mImageBitmap::DescribeCurrent() {
  if (!current) return;
  const BitmapFrame& frame = *current;
  frameRecord.frameWidth = frame.sourceRect.right - frame.sourceRect.left;
  frameRecord.frameHeight = frame.sourceRect.bottom - frame.sourceRect.top;
  frameRecord.frameSize = frameRecord.frameWidth * frameRecord.frameHeight;
  frameRecord.frameTime = static_cast<int32_t>(frame.time);
  frameRecord.depth = frame.bitmap->desc->bitsPerPixel;
  frameRecord.planes = 1;
  frameRecord.originX = frame.originX;
  frameRecord.originY = frame.originY;
  frameRecord.updateRect = frame.deltaRect;
  frameRecord.palette = frame.bitmap->desc->colours;
  // Frames cut from one picture share its colours; another picture may bring others.
  if (frame.bitmap != shownBitmap_) {
    frameRecord.paletteChanged = frameRecord.remap ? 0 : 1;
    shownBitmap_ = frame.bitmap;
  }
}

BOOL mImageBitmap::ReadHeader() {
  fileRecord.formatTag = FormatTag("BMAP");
  DescribeCurrent();
  return TRUE;
}

int32_t mImageBitmap::WriteHeader() {
  ReportError(kClassImageBitmap, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mImageBitmap::WriteFrame(int, int, const RECT*) {
  ReportError(kClassImageBitmap, kErrNotImplemented, nullptr);
  return 0;
}

int32_t mImageBitmap::ReadFrame(int x, int y, const RECT* clip) {
  if (!target || !targetDesc) {
    ReportError(kClassImageBitmap, kErrBitmap, nullptr);
    return -1;
  }
  if (!current) return -1;
  const BitmapFrame& frame = *current;
  const int w = frameRecord.frameWidth, h = frameRecord.frameHeight;
  // The frame occupies (x, y, x + w, y + h); its bitmap is drawn shifted so
  // that only the source rectangle lands there.
  RECT area = clip ? *clip : RECT{0, 0, targetDesc->width, targetDesc->height};
  area.left = std::max<LONG>(area.left, x);
  area.top = std::max<LONG>(area.top, y);
  area.right = static_cast<LONG>(std::min<int64_t>(area.right, int64_t{x} + w));
  area.bottom = static_cast<LONG>(std::min<int64_t>(area.bottom, int64_t{y} + h));
  if (area.left < area.right && area.top < area.bottom)
    frame.bitmap->DrawOnto(target, x - frame.sourceRect.left, y - frame.sourceRect.top, &area,
                           frame.sourceRect.right, frame.sourceRect.bottom);
  frameRecord.paletteChanged = 0;
  const int32_t shown = frameRecord.currentFrame;
  if (frameRecord.autoAdvance && shown + 1 < fileRecord.frameCount) SeekFrame(1, 1);
  return shown;
}

int32_t mImageBitmap::SeekFrame(int32_t frame, int origin) {
  if (!firstFrame) return frameRecord.currentFrame;
  int64_t wanted = origin == 1   ? int64_t{frameRecord.currentFrame} + frame
                   : origin == 2 ? int64_t{fileRecord.frameCount} - frame
                                 : frame;
  if (wanted < 0 || wanted >= fileRecord.frameCount) return frameRecord.currentFrame;
  // Walk the shorter way round the ring from the current frame.
  int64_t steps = wanted - frameRecord.currentFrame;
  if (current == nullptr || frameRecord.currentFrame < 0) {
    current = firstFrame;
    steps = wanted;
  }
  for (; steps > 0; --steps) current = current->next;
  for (; steps < 0; ++steps) current = current->previous;
  frameRecord.currentFrame = static_cast<int32_t>(wanted);
  DescribeCurrent();
  return frameRecord.currentFrame;
}

void mImageBitmap::UpdateTranslation() {
  if (!frameRecord.remap || !target) return;
  EachFrame([this](BitmapFrame& frame) { frame.bitmap->BuildTranslation(target); });
  translation = TRUE;
}

BOOL mImageBitmap::SetTransparent(BOOL flag) {
  mImageFile::SetTransparent(flag);
  EachFrame([flag](BitmapFrame& frame) { frame.bitmap->SetTransparent(flag); });
  return flag;
}

uint32_t mImageBitmap::SetTransparentColour(uint32_t index) {
  mImageFile::SetTransparentColour(index);
  EachFrame([index](BitmapFrame& frame) { frame.bitmap->SetTransparentColour(index); });
  return index;
}

BOOL mImageBitmap::SetRemap(BOOL flag) {
  mImageFile::SetRemap(flag);
  EachFrame([flag](BitmapFrame& frame) { frame.bitmap->SetRemap(flag); });
  frameRecord.paletteChanged = flag ? 0 : 1;
  return flag;
}
