#pragma once
// The Win32 headers for the windows, with the program's own names kept: the
// system's GetFileAttributes and SetFileAttributes macros would rename the
// functions of host/FileSystem.h wherever both are seen.
#include "host/platform/win32/Windows.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
