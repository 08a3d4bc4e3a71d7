#include "stage/render_solid.h"

#include "stage/director.h"

mRenderSolid::mRenderSolid(const RECT& rect) {
  bounds = rect;
  hitRect = rect;
}

void mRenderSolid::SetColour(RGBQUAD newColour) {
  colour = newColour;
  if (!stage) return;
  colourIndex = stage->NearestColour(colour);
  stage->MarkDirty(&bounds, 1);
}

void mRenderSolid::Draw(const RECT* rects, int count) {
  if (stage) stage->FillRects(colourIndex, rects, count);
}

void mRenderSolid::PaletteChanged() {
  if (!stage) return;
  colourIndex = stage->NearestColour(colour);
  stage->MarkDirty(&bounds, 1);
}
