// The definition text of an mImageBitmap: which pictures its frames are cut
// from, and how.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "media/image_bitmap.h"
#include "media/image_factory.h"

namespace {

enum Keyword { kFile, kRect, kTile, kSourceFrame, kOrigin, kTime, kDelta, kEnd };
const char* const kKeywords[] = {"FILE", "RECT", "TILE", "SOURCEFRAME", "ORIGIN", "TIME", "DELTA", "END", ""};

enum class Pending { kNone, kWholeFile, kSourceFrame };

// The argument at the read pointer, up to the end of its line, as a string of
// our own: the reader's line end is not guaranteed inside every buffer.
std::string Argument(const mFile& file) {
  const mFile::State* s = file.GetFileState();
  std::string text;
  for (const uint8_t* p = s->readPtr; p < s->dataEnd && *p != 0 && *p != '\r' && *p != '\n' && text.size() < 260; ++p)
    text += static_cast<char>(*p);
  return text;
}

std::string Trimmed(std::string text) {
  size_t end = text.find_last_not_of(" \t");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

void ScanRect(const std::string& text, RECT* rect) {
  int values[4] = {rect->left, rect->top, rect->right, rect->bottom};
  std::sscanf(text.c_str(), "%d,%d,%d,%d", &values[0], &values[1], &values[2], &values[3]);
  *rect = RECT{values[0], values[1], values[2], values[3]};
}

// What the definitions have said so far.
struct Settings {
  mImageFile* source = nullptr;
  mBitmap* bitmap = nullptr;
  RECT rect{};
  int originX = 0, originY = 0;
  unsigned long time = 0;
  RECT delta{};
  bool deltaFromSource = false;  // the source frame's changed area, in its own coordinates
  int tileWidth = 0, tileHeight = 0;
  Pending pending = Pending::kNone;
};

// The changed area of a frame cut at s.rect. A DELTA statement gives it in the
// cut's own coordinates; the source frame's area is moved to the cut's corner
// and cut to it, and a change that misses the cut leaves the whole cut.
RECT DeltaForCut(const Settings& s) {
  if (!s.deltaFromSource || !s.bitmap) return s.delta;
  const LONG left = std::max<LONG>(s.rect.left, 0), top = std::max<LONG>(s.rect.top, 0);
  const LONG right = std::min<LONG>(s.rect.right, s.bitmap->desc->width);
  const LONG bottom = std::min<LONG>(s.rect.bottom, s.bitmap->desc->height);
  if (right <= left || bottom <= top) return s.delta;  // AddFrame refuses the cut itself
  RECT d = s.delta;
  d.left = std::max<LONG>(d.left, left) - left;
  d.top = std::max<LONG>(d.top, top) - top;
  d.right = std::min<LONG>(d.right, right) - left;
  d.bottom = std::min<LONG>(d.bottom, bottom) - top;
  if (d.left >= d.right || d.top >= d.bottom) return RECT{0, 0, right - left, bottom - top};
  return d;
}

// A picture no frame took would be lost.
void DropIfUnheld(mBitmap*& bitmap) {
  if (bitmap && bitmap->refCount == 0) delete bitmap;
  bitmap = nullptr;
}

// The source's current frame becomes the picture to cut from, whole, or
// from the rectangle's corner on (the later frames of a whole file).
bool TakeCurrentFrame(Settings& s, bool keepCorner = false) {
  mBitmap* bitmap = s.source->MakeBitmap(FALSE);
  if (!bitmap) return false;
  if (s.bitmap != bitmap) DropIfUnheld(s.bitmap);
  s.bitmap = bitmap;
  const mImageFile::FrameRecord* frame = s.source->GetFrameRecord();
  if (!keepCorner) s.rect.left = s.rect.top = 0;
  s.rect.right = bitmap->desc->width;
  s.rect.bottom = bitmap->desc->height;
  s.originX = frame->originX;
  s.originY = frame->originY;
  if (frame->frameTime != 0) s.time = static_cast<unsigned long>(frame->frameTime);
  s.delta = frame->updateRect;
  s.deltaFromSource = true;
  return true;
}

}  // namespace

int mImageBitmap::ReadDefinitions(mFile* file) {
  if (!file || !file->GetFileState()->isOpen) return 0;
  Settings s;
  auto addPending = [&] {
    if (!s.bitmap) return;
    const RECT delta = DeltaForCut(s);
    AddFrame(s.bitmap, &s.rect, s.originX, s.originY, static_cast<uint32_t>(s.time), &delta);
  };
  auto finishSource = [&] {
    if (!s.source) return;
    if (s.pending != Pending::kNone) addPending();
    if (s.pending == Pending::kWholeFile) {
      const int32_t frames = s.source->GetFileRecord()->frameCount;
      for (int32_t i = 1; i < frames; ++i) {
        if (s.source->SeekFrame(i, 0) != i || !TakeCurrentFrame(s, true)) break;
        addPending();
      }
    }
    DropIfUnheld(s.bitmap);
    s.source->Close();
    delete s.source;
    s.source = nullptr;
    s.pending = Pending::kNone;
  };
  auto needSource = [&](const char* keyword) {
    if (s.source) return true;
    ReportError(kClassImageBitmap, kErrFileType, keyword);
    return false;
  };

  for (;;) {
    int keyword = file->ReadKeyword(kKeywords);
    if (keyword < 0) keyword = kEnd;
    const std::string argument = keyword == kEnd ? std::string() : Argument(*file);
    switch (keyword) {
      case kEnd:
        finishSource();
        return 1;
      case kFile: {
        finishSource();
        const std::string name = Trimmed(argument);
        mImageFile* image = MakeImageForFile(name.c_str());
        if (!image) break;
        if (!image->Open(name.c_str(), 0)) {
          delete image;
          break;
        }
        s.source = image;
        if (!TakeCurrentFrame(s)) {
          s.source->Close();
          delete s.source;
          s.source = nullptr;
          break;
        }
        s.pending = Pending::kWholeFile;
        break;
      }
      case kRect:
        s.pending = Pending::kNone;
        if (!needSource("RECT")) {
          finishSource();
          return 0;
        }
        ScanRect(argument, &s.rect);
        addPending();
        break;
      case kTile: {
        s.pending = Pending::kNone;
        if (!needSource("TILE")) {
          finishSource();
          return 0;
        }
        std::sscanf(argument.c_str(), "%d,%d", &s.tileWidth, &s.tileHeight);
        // Tiles of no size would never cover the picture.
        if (s.tileWidth <= 0 || s.tileHeight <= 0) {
          ReportError(kClassImageBitmap, kErrBadRectangle, "TILE");
          break;
        }
        const LONG width = s.bitmap->desc->width, height = s.bitmap->desc->height;
        for (LONG top = 0; int64_t{top} + s.tileHeight <= height; top += s.tileHeight) {
          for (LONG left = 0; int64_t{left} + s.tileWidth <= width; left += s.tileWidth) {
            s.rect = RECT{left, top, left + s.tileWidth, top + s.tileHeight};
            AddFrame(s.bitmap, &s.rect, s.originX, s.originY, static_cast<uint32_t>(s.time), nullptr);
          }
        }
        break;
      }
      case kSourceFrame: {
        if (!needSource("SOURCEFRAME")) {
          finishSource();
          return 0;
        }
        if (s.pending == Pending::kSourceFrame) addPending();
        int number = 0;
        std::sscanf(argument.c_str(), "%d", &number);
        s.source->SeekFrame(number, 0);
        if (!TakeCurrentFrame(s)) {
          s.pending = Pending::kNone;
          break;
        }
        s.pending = Pending::kSourceFrame;
        break;
      }
      case kOrigin:
        std::sscanf(argument.c_str(), "%d,%d", &s.originX, &s.originY);
        break;
      case kTime:
        std::sscanf(argument.c_str(), "%lu", &s.time);
        break;
      case kDelta:
        ScanRect(argument, &s.delta);
        s.deltaFromSource = false;
        break;
    }
  }
}
