#include "dialog_script.h"

#include <cstdlib>

#include "orvanel/headless.h"

namespace dialogscript {
namespace {

// Neither 13 nor 27: the About box's loop reads those as Enter and Escape.
constexpr UINT_PTR kScriptTimer = 0x5C;
constexpr UINT kStepMs = 300;

std::vector<Step> g_steps;
size_t g_next = 0;
DLGPROC g_proc = nullptr;

void CALLBACK NextStep(HWND dialog, UINT, UINT_PTR, DWORD) {
  if (g_next < g_steps.size()) {
    Step step = g_steps[g_next++];
    step(dialog);
  } else {
    // A script that forgot to end its dialog.
    KillTimer(dialog, kScriptTimer);
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

INT_PTR CALLBACK ScriptedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetTimer(dialog, kScriptTimer, kStepMs, NextStep);
  return g_proc(dialog, message, wParam, lParam);
}

}  // namespace

INT_PTR Run(HINSTANCE module, int templateId, DLGPROC proc, std::vector<Step> steps) {
  g_steps = std::move(steps);
  g_next = 0;
  g_proc = proc;
  return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), nullptr, ScriptedProc, 0);
}

void SetText(HWND dialog, int id, const char* text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

int TextAsNumber(HWND dialog, int id) {
  char text[64] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::atoi(text);
}

void Leave(HWND dialog, int id, int nextId) {
  SetFocus(GetDlgItem(dialog, id));
  SetFocus(GetDlgItem(dialog, nextId));
}

void ClickHalf(HWND dialog, int id, bool upper) {
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  int x = (rect.left + rect.right) / 2;
  int height = rect.bottom - rect.top;
  int y = upper ? rect.top + height / 4 : rect.bottom - 1 - height / 4;
  headless::Click(x, y);
}

}  // namespace dialogscript
