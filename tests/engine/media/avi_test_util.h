// Shared set-up of the AVI tests: a movie opened from bytes with a target.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/media/avi_test_writer.h"
#include "engine/media/media_test_util.h"
#include "media/image_avi.h"
#include "support/host_fixture.h"

namespace avitest {

class AviTest : public testsupport::HeadlessTest {
 protected:
  // The movie as a disk file (or a memory block), header read, target set.
  mImageAVI* Load(const Bytes& bytes, bool memory = false) {
    bytes_ = bytes;
    image_ = std::make_unique<mImageAVI>();
    if (memory) {
      image_->OpenMemory(bytes_.data(), static_cast<int32_t>(bytes_.size()));
    } else {
      file_ = std::make_unique<mediatest::TempFile>(bytes_, ".avi");
      image_->Open(file_->Path(), 0);
    }
    header_ = image_->ReadHeader();
    const auto* f = image_->GetFrameRecord();
    target_ = std::make_unique<mBitmap>(f->frameWidth > 0 ? f->frameWidth : 1, f->frameHeight > 0 ? f->frameHeight : 1, 8);
    image_->SetTarget(target_.get());
    return image_.get();
  }
  void TearDown() override {
    if (image_) {
      image_->SetTarget(nullptr);
      image_.reset();
    }
    target_.reset();
    testsupport::HeadlessTest::TearDown();
  }
  // The frame bitmap holds test frame n.
  ::testing::AssertionResult Shows(int n) const {
    const BitmapDesc& d = *image_->FrameBitmap()->desc;
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x)
        if (*d.Pixel(x, y) != FramePixel(n, x, y))
          return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(*d.Pixel(x, y))
                                               << ", frame " << n << " has " << int(FramePixel(n, x, y));
    return ::testing::AssertionSuccess();
  }

  Bytes bytes_;
  std::unique_ptr<mediatest::TempFile> file_;
  std::unique_ptr<mImageAVI> image_;
  std::unique_ptr<mBitmap> target_;
  BOOL header_ = FALSE;
};

}  // namespace avitest
