#include "sprites/sprite.h"

#include "media/image.h"
#include "sprites/script.h"
#include "sprites/wrap_math.h"
#include "stage/director.h"

namespace {

void ShiftRect(RECT* rect, int32_t dx, int32_t dy) {
  rect->left = WrapAdd(rect->left, dx);
  rect->right = WrapAdd(rect->right, dx);
  rect->top = WrapAdd(rect->top, dy);
  rect->bottom = WrapAdd(rect->bottom, dy);
}

}  // namespace

mSprite::~mSprite() {
  while (sounds) {
    SoundNode* node = sounds;
    sounds = node->next;
    Release(node->sound);
    delete node;
  }
  if (program) {
    Release(program);
    program = nullptr;
  }
}

uint32_t mSprite::ScaleBySpeed(uint32_t value, uint32_t percent) {
  if (percent == 0) percent = 100;
  return static_cast<uint32_t>(static_cast<uint64_t>(value) * 100u / percent);
}

void mSprite::MarkBounds(const RECT& rect) {
  if (stage) stage->MarkDirty(&rect, 1);
}

void mSprite::CopyFrom(const mSprite& source) {
  if (&source == this) return;
  x = source.x;
  y = source.y;
  offsetX = source.offsetX;
  offsetY = source.offsetY;
  hideCount = source.hideCount;
  speed = source.speed;
  frame = source.frame;
  pc = source.pc;
  state = source.state;
  for (SoundNode* node = source.sounds; node; node = node->next) AttachSound(node->sound);
  if (source.program) {
    program = source.program;
    AddRef(program);
  }
}

void mSprite::Attached() {
  if (!(state & kPaused)) Start(0);
}

void mSprite::Advance(uint32_t overshoot) {
  if (state & kPaused) return;
  int cycles = 0;
  do {
    if (program)
      RunCycle();
    else
      ++frame;
    state &= ~kAgain;
    if ((state & kTimed) && overshoot >= interval && interval != 0 && ++cycles < kMaxCatchUpCycles) {
      state |= kAgain;
      overshoot -= interval;
    }
  } while (state & kAgain);
  MoveTo(x, y, depth);
}

void mSprite::Hit(mRenderer* other) {
  state |= kHitPending;
  hitBy = static_cast<int32_t>(other->hitId);
}

void mSprite::MoveTo(int32_t newX, int32_t newY, int32_t newDepth) {
  const int32_t dx = WrapSub(newX, x), dy = WrapSub(newY, y);
  ShiftRect(&hitRect, dx, dy);
  RECT newBounds = bounds;
  ShiftRect(&newBounds, dx, dy);
  x = newX;
  y = newY;
  if (newDepth > 0 && newDepth != depth) {
    depth = newDepth;
    if (stage) stage->ResortSprite(this);
  }
  if (stage) {
    stage->MarkDirty(&newBounds, 1);
    stage->MarkDirty(&bounds, 1);
  }
  bounds = newBounds;
}

void mSprite::MoveBy(int32_t dx, int32_t dy, int32_t dz) {
  MoveTo(WrapAdd(x, dx), WrapAdd(y, dy), WrapAdd(depth, dz));
}

void mSprite::SetOffset(int32_t ox, int32_t oy) {
  offsetX = ox;
  offsetY = oy;
  MoveTo(x, y, depth);
}

void mSprite::Show() {
  if (hideCount >= 0) return;
  if (++hideCount == 0) {
    state &= ~kHidden;
    MarkBounds(bounds);
  }
}

void mSprite::Hide() {
  if (hideCount-- == 0) {
    state |= kHidden;
    MarkBounds(bounds);
  }
}

void mSprite::Start(int32_t instruction) {
  state &= ~kPaused;
  pc = instruction;
}

void mSprite::Pause() { state |= kPaused; }

void mSprite::Resume() { state &= ~kPaused; }

void mSprite::SetSpeed(uint32_t percent) {
  // A speed of 0 would stop time and divide by zero; it is refused.
  if (percent == 0) return;
  speed = percent;
  interval = ScaleBySpeed(interval, percent);
}

void mSprite::SetTimed(BOOL on) {
  if (on)
    state |= kTimed;
  else
    state &= ~kTimed;
}

void mSprite::SetLooping(BOOL on) {
  if (on)
    state |= kLooping;
  else
    state &= ~kLooping;
}

void mSprite::AttachSound(mImage* sound) {
  if (!sound) return;
  AddRef(sound);
  SoundNode* node = new SoundNode{sound, nullptr};
  SoundNode** tail = &sounds;
  while (*tail) tail = &(*tail)->next;
  *tail = node;
}

int mSprite::PlaySound(int index, int32_t length, int32_t loops) {
  SoundNode* node = sounds;
  for (int i = 0; node && i < index; ++i) node = node->next;
  if (!node || index < 0) return 0;
  node->sound->StreamPlay(length, loops);
  return 1;
}
