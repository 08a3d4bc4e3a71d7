// The process entry: command line, mode dispatch and the window handle parser.
#pragma once

#include <windows.h>

// Takes the command line, runs the mode and ends the process.
__attribute__((noreturn)) void SaverEntry();

// Runs the mode named by commandLine and returns the exit code.
int DispatchMode(HINSTANCE instance, LPCSTR commandLine, int showCommand);

// Decimal digits from the start of text; 0 for none. No sign, no blanks, no hex.
UINT_PTR ParseWindowHandle(LPCSTR text);
