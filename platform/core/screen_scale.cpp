#include "core/screen_scale.h"

#include <algorithm>

namespace plat {

int ChooseScreenScale(int asked, int width, int height) {
  int scale = asked > 0 ? asked : (height + 540) / 1080;
  scale = std::min(scale, kMaxScreenScale);
  scale = std::min({scale, width, height});
  return std::max(scale, 1);
}

}  // namespace plat
