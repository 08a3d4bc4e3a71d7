#include <gtest/gtest.h>

#include <windows.h>

#include "backends/sdl2/sdl_keymap.h"

namespace {

using plat::sdl::ControlCharForKey;
using plat::sdl::VirtualKeyFromSdl;

TEST(SdlKeymap, LettersFollowTheLayoutAndFallBackToTheirPlace) {
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 'A');
  // A French layout: the key in the place of Q says A.
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), 'A');
  // A Cyrillic layout gives no Latin symbol: the place decides.
  EXPECT_EQ(VirtualKeyFromSdl(0x0444, SDL_SCANCODE_A), 'A');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_7, SDL_SCANCODE_7), '7');
  EXPECT_EQ(VirtualKeyFromSdl(0x00E8, SDL_SCANCODE_7), '7');
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), '0');
}

TEST(SdlKeymap, NamedKeys) {
  struct Case {
    SDL_Keycode key;
    SDL_Scancode scancode;
    int vk;
  };
  const Case cases[] = {
      {SDLK_F1, SDL_SCANCODE_F1, VK_F1},           {SDLK_F12, SDL_SCANCODE_F12, VK_F12},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},     {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, VK_NEXT},
      {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, VK_PRIOR}, {SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME},
      {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN}, {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
      {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL}, {SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},   {SDLK_KP_5, SDL_SCANCODE_KP_5, VK_NUMPAD5},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, VK_NUMPAD0},   {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, VK_OEM_1},
      {SDLK_SLASH, SDL_SCANCODE_SLASH, VK_OEM_2},   {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
      {SDLK_MINUS, SDL_SCANCODE_MINUS, VK_OEM_MINUS}, {SDLK_EQUALS, SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scancode), c.vk) << SDL_GetScancodeName(c.scancode);
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(SdlKeymap, KeysThatTypeControlCharacters) {
  EXPECT_EQ(ControlCharForKey(VK_RETURN, false), '\r');
  EXPECT_EQ(ControlCharForKey(VK_ESCAPE, false), 0x1B);
  EXPECT_EQ(ControlCharForKey(VK_BACK, false), 0x08);
  EXPECT_EQ(ControlCharForKey(VK_TAB, false), '\t');
  EXPECT_EQ(ControlCharForKey('C', true), 3);
  EXPECT_EQ(ControlCharForKey('C', false), 0);  // SDL's text input types it
  EXPECT_EQ(ControlCharForKey(VK_F1, false), 0);
}

}  // namespace
