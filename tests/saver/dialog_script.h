// Runs a dialog of the saver with a script: each step runs on a timer of the
// test, 300 ms after the one before, while the dialog's own loops run.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace dialogscript {

using Step = std::function<void(HWND dialog)>;

// Opens the template with proc wrapped so that the script starts with the
// dialog; returns the dialog's result.
INT_PTR Run(HINSTANCE module, int templateId, DLGPROC proc, std::vector<Step> steps);

// Steps for the dialog's controls.
void SetText(HWND dialog, int id, const char* text);
int TextAsNumber(HWND dialog, int id);
// Gives control id the focus and takes it away again: the edit tells its
// dialog it lost the focus.
void Leave(HWND dialog, int id, int nextId);
// Clicks the upper or lower half of a control with the mouse.
void ClickHalf(HWND dialog, int id, bool upper);

}  // namespace dialogscript
