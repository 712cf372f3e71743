// <windows.h> as every Windows-only source of this tree includes it: without
// the rarely used parts, and without the min/max macros that break <algorithm>.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
