// <windows.h> for the Win32 backend, without the generic A/W macro names.
//
// <windows.h> defines CreateFile, DeleteFile, LoadLibrary, ... as macros that pick
// the ...A or ...W function. Those names are our own functions in namespace
// platform, so every such macro is undefined here and the backend calls the
// ANSI (...A) functions explicitly.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#undef CreateFile
#undef DeleteFile
#undef MoveFile
#undef CreateHardLink
#undef GetFileAttributes
#undef SetFileAttributes
#undef CreateDirectory
#undef RemoveDirectory
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetFullPathName
#undef GetTempPath
#undef GetTempFileName
#undef ExpandEnvironmentStrings
#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
#undef LoadLibrary
#undef GetDriveType
#undef GetVolumeInformation
#undef SetVolumeLabel
#undef GetDiskFreeSpace
#undef GetDiskFreeSpaceEx
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef OemToChar
#undef CharToOem
