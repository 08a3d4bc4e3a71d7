// Win32 API subset for hosts without the Windows SDK (see platform/README.md).
#pragma once

#include "win32/types.h"
#include "win32/kernel.h"
#include "win32/user.h"
#include "win32/gdi.h"
#include "win32/advapi.h"
