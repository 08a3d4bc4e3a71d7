// Common controls subset.
#pragma once

#include "windows.h"
#include "win32/comctl.h"
