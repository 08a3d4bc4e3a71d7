// Video for Windows subset.
#pragma once

#include "windows.h"
#include "win32/vfw.h"
