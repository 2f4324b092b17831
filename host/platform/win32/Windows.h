#pragma once
// <windows.h> for the Win32 backends. It turns GetFileAttributes and
// SetFileAttributes into macros for their ANSI or wide forms, which would rename
// the program's own functions of those names (host/FileSystem.h) wherever both
// are seen; the system's are always called by their "A" names here.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef GetFileAttributes
#undef SetFileAttributes
