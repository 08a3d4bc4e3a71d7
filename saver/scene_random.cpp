#include "scene_random.h"

#include <cstdlib>
#include <ctime>

void SeedSceneRandom() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

int SceneRandom() { return std::rand() & 0x7FFF; }

void DiscardSceneRandom(int count) {
  for (int i = 0; i < count; ++i) SceneRandom();
}
