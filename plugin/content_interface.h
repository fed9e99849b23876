// The host's content-plugin interface as Lumbrasket uses it: the record the
// host hands to ContentSetDefaultParams, the result codes of the field calls,
// and the signatures of the four exports. Hosts stand-ins and tests include it
// to call the built plugin the way a file manager does.
#pragma once

#include "platform/win32.h"

// Result codes of ContentGetSupportedField and ContentGetValue.
constexpr int kFieldNoMoreFields = 0; // no field with this index
constexpr int kFieldNumeric32 = 1;    // a 32-bit signed integer
constexpr int kFieldString = 8;       // a NUL-terminated 8-bit string
constexpr int kFieldEmpty = -3;       // no value for this file

// Laid out by the host: the default settings path starts at byte 12.
struct ContentDefaultParams {
    int size;
    DWORD pluginInterfaceVersionLow;
    DWORD pluginInterfaceVersionHigh;
    char defaultIniName[MAX_PATH];
};

typedef int(WINAPI* ContentGetSupportedFieldProc)(int fieldIndex, char* fieldName, char* units,
                                                  int maxlen);
typedef int(WINAPI* ContentGetValueProc)(char* fileName, int fieldIndex, int unitIndex,
                                         void* fieldValue, int maxlen, int flags);
typedef int(WINAPI* ContentSetDefaultParamsProc)(ContentDefaultParams* params);
typedef int(WINAPI* ContentShowConfigDialogProc)(HWND parentWindow);
