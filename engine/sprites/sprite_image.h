// mSpriteImage: the sprite the stage shows. It draws the frames of a shared
// image at the image's frame times scaled by the sprite's speed, redraws only
// the changed part of a frame when it has not moved, and hands the frame
// palette to the stage.
#pragma once

#include "sprites/sprite.h"

class mImageFile;

class mSpriteImage : public mSprite {
 public:
  mSpriteImage();
  ~mSpriteImage() override;

  // The source's sprite state, then its image, shared.
  void CopyFrom(const mSpriteImage& source);
  void SetImage(mImageFile* newImage);

  void Attached() override;
  void Detached() override;
  void Draw(const RECT* rects, int count) override;
  void Advance(uint32_t overshoot) override;
  void PaletteChanged() override;
  void MoveTo(int32_t newX, int32_t newY, int32_t newDepth) override;
  void Start(int32_t instruction) override;
  void Pause() override;
  void Resume() override;
  int LoadScript(mFile* file) override;

  mImageFile* image = nullptr;
  mImageFile* shownImage = nullptr;  // the same image, read by the application for the frame size
  int32_t useOrigin = 1;

 private:
  // Where the frame's top-left corner goes on the stage.
  POINT FrameCorner() const;
  int32_t FrameCount() const;
  void HandPaletteToStage();
};
