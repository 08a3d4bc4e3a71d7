// The program's own arguments are ignored: the entry reads the command line itself.
#include <windows.h>

#include "entry.h"

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { SaverEntry(); }
