// The desktop's clipboard: the program's Latin-1 text as UTF-8 on the X11
// CLIPBOARD selection, which SDL owns and serves while it pumps events.
#include "backends/sdl2/sdl_backend.h"

namespace plat::sdl {

bool SdlBackend::SetClipboardText(const std::string& text) {
  std::string utf8;
  utf8.reserve(text.size() + text.size() / 8);
  for (unsigned char c : text) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool SdlBackend::GetClipboardText(std::string* text) {
  if (!SDL_HasClipboardText()) return false;
  char* utf8 = SDL_GetClipboardText();
  if (!utf8) return false;
  text->clear();
  for (const char* p = utf8; *p;) {
    uint32_t c = NextCodePoint(&p);
    *text += c < 256 ? static_cast<char>(c) : '?';  // beyond Latin-1
  }
  SDL_free(utf8);
  return !text->empty();
}

}  // namespace plat::sdl
