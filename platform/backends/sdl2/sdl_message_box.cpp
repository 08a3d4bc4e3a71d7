// MessageBoxA on a real display: SDL's own message box with the buttons and
// icon the MB_ flags ask for.
#include "backends/sdl2/sdl_backend.h"

namespace plat::sdl {
namespace {

struct ButtonSet {
  int count;
  int ids[3];
  const char* texts[3];
  int escapeId;  // what Escape or closing the box answers
};

ButtonSet ButtonsFor(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {2, {IDOK, IDCANCEL}, {"OK", "Cancel"}, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {3, {IDABORT, IDRETRY, IDIGNORE}, {"&Abort", "&Retry", "&Ignore"}, IDABORT};
    case MB_YESNOCANCEL: return {3, {IDYES, IDNO, IDCANCEL}, {"&Yes", "&No", "Cancel"}, IDCANCEL};
    case MB_YESNO: return {2, {IDYES, IDNO}, {"&Yes", "&No"}, IDNO};
    case MB_RETRYCANCEL: return {2, {IDRETRY, IDCANCEL}, {"&Retry", "Cancel"}, IDCANCEL};
    default: return {1, {IDOK}, {"OK"}, IDOK};
  }
}

Uint32 IconFlags(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONASTERISK:
    case MB_ICONQUESTION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
  }
}

}  // namespace

int SdlBackend::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  ButtonSet set = ButtonsFor(type);
  int defaultIndex = static_cast<int>((type & MB_DEFMASK) >> 8);
  if (defaultIndex >= set.count) defaultIndex = 0;

  SDL_MessageBoxButtonData buttons[3] = {};
  for (int i = 0; i < set.count; ++i) {
    buttons[i].buttonid = set.ids[i];
    buttons[i].text = set.texts[i];
    if (i == defaultIndex) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (set.ids[i] == set.escapeId && set.escapeId != IDABORT)
      buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  }
  // The owner is one of our windows; the one with the keyboard is the best
  // guess the backend has of which.
  SdlWindow* parent = owner ? Focused() : nullptr;

  SDL_MessageBoxData data = {};
  data.flags = IconFlags(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.window = parent ? parent->window : nullptr;
  data.title = caption ? caption : "Error";
  data.message = text ? text : "";
  data.numbuttons = set.count;
  data.buttons = buttons;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return 0;
  return pressed < 0 ? set.escapeId : pressed;
}

}  // namespace plat::sdl
