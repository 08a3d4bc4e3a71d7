// Settings given on the command line for one run, as xscreensaver passes
// them: --speed N, --count1 N, --count2 N (also -speed N or --speed=N). They
// stand in for the stored values and are never stored. --settings opens the
// settings dialog. All are taken off the command line before the mode is
// read, so that no mode letter is ever read from them ("--speed" is not /s).
#pragma once

#include <windows.h>

#include <string>

// Takes the run options off commandLine (the text after the program name);
// *rest is what remains, --settings turned into /c. False when an option's
// number is missing or is not a whole number.
bool TakeRunSettings(LPCSTR commandLine, std::string* rest);

// The value this run was given for valueName, else the stored one
// (ReadSetting). The readers apply their clamps to either.
LONG ReadRunSetting(LPCSTR valueName, LONG defaultValue);

// Forgets the values given for this run.
void ClearRunSettings();
