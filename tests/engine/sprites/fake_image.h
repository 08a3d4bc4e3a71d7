// An image of n frames with fixed frame times, that records what the sprite
// asks of it; no file behind it.
#pragma once

#include <vector>

#include "media/image_file.h"

class FakeImage : public mImageFile {
 public:
  FakeImage(int frames, int frameTime, int width, int height) {
    fileRecord.frameCount = frames;
    frameRecord.frameTime = frameTime;
    frameRecord.frameWidth = width;
    frameRecord.frameHeight = height;
    frameRecord.currentFrame = 0;
    frameRecord.updateRect = {0, 0, width, height};
  }
  BOOL ReadHeader() override {
    fileRecord.formatTag = FormatTag("FAKE");
    return TRUE;
  }
  int32_t WriteHeader() override { return 0; }
  int32_t ReadFrame(int x, int y, const RECT* clip) override {
    drawn.push_back({x, y, clip ? *clip : RECT{0, 0, 0, 0}});
    return frameRecord.currentFrame;
  }
  int32_t WriteFrame(int, int, const RECT*) override { return -1; }
  int32_t SeekFrame(int32_t frame, int) override {
    seeks.push_back(frame);
    frameRecord.currentFrame = frame;
    return frame;
  }
  void UpdateTranslation() override { ++translationUpdates; }
  void SetUpdateRect(RECT rect) { frameRecord.updateRect = rect; }

  struct Draw {
    int x, y;
    RECT clip;
  };
  std::vector<Draw> drawn;
  std::vector<int> seeks;
  int translationUpdates = 0;
};
