// The scene's random numbers: the C library's generator, seeded from the
// clock, cut to the range 0..32767 the motion rules were made for.
#pragma once

void SeedSceneRandom();
int SceneRandom();
void DiscardSceneRandom(int count);
