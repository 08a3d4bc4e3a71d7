// Win32 multimedia subset.
#pragma once

#include "windows.h"
#include "win32/winmm.h"
