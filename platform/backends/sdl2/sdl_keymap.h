// Keys as SDL reports them, turned into the virtual-key codes of WM_KEYDOWN.
#pragma once

#include <SDL.h>

namespace plat::sdl {

// The virtual key for a key, or 0 for keys the program has no code for.
// Letters and digits follow the keyboard layout (the key's symbol); the
// punctuation keys follow their place on the keyboard, as VK_OEM_* do.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// The character a key press produces that SDL gives no text for (Return,
// Escape, Backspace, Tab, Ctrl+letter), or 0.
int ControlCharForKey(int vk, bool control);

}  // namespace plat::sdl
