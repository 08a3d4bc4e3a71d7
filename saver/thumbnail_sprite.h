// The sprite of a thumbnail in the settings dialog: an image sprite like any
// other.
#pragma once

#include "sprites/sprite_image.h"

class ThumbnailSprite : public mSpriteImage {
 public:
  ~ThumbnailSprite() override;
};
