// mRenderSolid: a rectangle of one colour; the stage's background.
#pragma once

#include "stage/renderer.h"

class mRenderSolid : public mRenderer {
 public:
  explicit mRenderSolid(const RECT& rect);

  // Takes the colour and repaints in the nearest colour of the stage.
  void SetColour(RGBQUAD newColour);

  void Draw(const RECT* rects, int count) override;
  void PaletteChanged() override;

  RGBQUAD colour = {0, 0, 0, 0};
  int32_t colourIndex = 0;
};
