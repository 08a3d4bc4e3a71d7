// mSprite: a renderer with a position, a frame number, visibility, speed,
// attached sounds and optionally a script that drives them over time. It
// draws nothing itself; image sprites do.
#pragma once

#include <cstdint>

#include "stage/renderer.h"

class mImage;
class mFile;
class mScript;

class mSprite : public mRenderer {
 public:
  // State bits.
  static constexpr uint32_t kHidden = 1;
  static constexpr uint32_t kPaused = 2;
  static constexpr uint32_t kHitPending = 4;
  static constexpr uint32_t kTimed = 8;
  static constexpr uint32_t kLooping = 16;
  static constexpr uint32_t kAgain = 32;

  // Catch-up never runs more cycles than this in one call: a cycle that
  // leaves the interval at 0 would otherwise repeat for ever.
  static constexpr int kMaxCatchUpCycles = 1000;
  // One script cycle runs at most this many instructions, so a loop that
  // never ends its cycle cannot hang the stage.
  static constexpr int kMaxStepsPerCycle = 16384;

  mSprite() = default;
  ~mSprite() override;

  // Takes position, offset, visibility, speed, frame, program counter and
  // state from source; shares its program and attaches its sounds.
  void CopyFrom(const mSprite& source);

  void Attached() override;
  void Advance(uint32_t overshoot) override;
  void Hit(mRenderer* other) override;

  virtual void MoveTo(int32_t newX, int32_t newY, int32_t newDepth);
  virtual void MoveBy(int32_t dx, int32_t dy, int32_t dz);
  virtual void SetOffset(int32_t ox, int32_t oy);
  virtual void Show();
  virtual void Hide();
  virtual void Start(int32_t instruction);
  virtual void Pause();
  virtual void Resume();
  virtual void SetSpeed(uint32_t percent);
  virtual void SetTimed(BOOL on);
  virtual void SetLooping(BOOL on);
  virtual void AttachSound(mImage* sound);
  virtual int PlaySound(int index, int32_t length, int32_t loops);
  virtual int LoadScript(mFile* file);

  // One script cycle; 1 when an instruction ended it, 0 when the program
  // ran out (or the step limit cut the cycle).
  int RunCycle();

  uint32_t scriptFlags = 0;
  int32_t hitBy = 0;
  int32_t x = 0, y = 0;
  int32_t offsetX = 0, offsetY = 0;
  int32_t hideCount = 0;
  uint32_t speed = 100;
  mScript* program = nullptr;
  int32_t pc = 0;
  int32_t frame = 0;
  uint32_t state = 0;

  struct SoundNode {
    mImage* sound;
    SoundNode* next;
  };
  SoundNode* sounds = nullptr;

 protected:
  // interval * 100 / speed, with a speed of 0 taken as 100 (no divide by zero).
  static uint32_t ScaleBySpeed(uint32_t interval, uint32_t speed);
  void MarkBounds(const RECT& rect);
};
