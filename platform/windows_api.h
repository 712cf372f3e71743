// <windows.h> without the rarely used parts and without the min/max macros
// that break <algorithm>, for the Windows sources that need nothing more
// (the window's own sources include <windows.h> whole, for the shell's and
// the common controls' parts).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
