// The Win32 subset that Lumbrasket is written against. On Windows this is
// <windows.h> and the C runtime's multibyte string routines; on Linux the same
// names and types are declared here and implemented in platform/linux/, so the
// rest of the tree reads one API and never asks which system it runs on.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winioctl.h>
#include <mbctype.h>
#include <mbstring.h>

#else // Linux

#include <cstdint>

#define WINAPI
#define APIENTRY
#define __stdcall
#define __cdecl

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef struct LinuxModule* HMODULE;
typedef HMODULE HINSTANCE;
typedef struct LinuxWindow* HWND;
typedef void (*FARPROC)();
typedef unsigned char BYTE;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef const void* LPCVOID;
typedef unsigned short WORD;
typedef std::intptr_t LONG_PTR;
typedef struct LinuxRegistryKey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef struct LinuxResource* HRSRC;
typedef void* HGLOBAL;
typedef struct SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef struct OVERLAPPED* LPOVERLAPPED;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

#define MB_OK 0x00000000u
#define IDOK 1

#define ERROR_SUCCESS 0u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_FILE_EXISTS 80u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_DIRECTORY 267u
#define ERROR_CALL_NOT_IMPLEMENTED 120u
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_DISK_FULL 112u
#define ERROR_IO_DEVICE 1117u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_INVALID_NAME 123u
#define ERROR_FILENAME_EXCED_RANGE 206u
#define ERROR_NO_UNICODE_TRANSLATION 1113u
#define ERROR_CANT_RESOLVE_FILENAME 1921u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_MORE_DATA 234u
#define ERROR_NO_MORE_ITEMS 259u

// Registry roots and rights. Linux has no registry: every key is missing.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x80000000)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x80000001)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(0x80000002)))
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_ALL_ACCESS 0xF003Fu
#define REG_OPTION_NON_VOLATILE 0u
#define REG_SZ 1u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u
#define FSCTL_GET_REPARSE_POINT 0x000900A8u
#define IO_REPARSE_TAG_MOUNT_POINT 0xA0000003u
#define IO_REPARSE_TAG_SYMLINK 0xA000000Cu
#define ERROR_NOT_A_REPARSE_POINT 4390u
#define GENERIC_READ 0x80000000u
// Leave to rename or delete the file; a Linux open has no such right to ask for.
#define DELETE 0x00010000u
#define GENERIC_WRITE 0x40000000u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define MOVEFILE_REPLACE_EXISTING 0x00000001u

#define MAKEINTRESOURCEA(id)                                                                       \
    (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id))))

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
typedef FILETIME* LPFILETIME;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard };

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

DWORD GetLastError();
void SetLastError(DWORD error);

// Files and directory entries (platform/linux/files.cpp).
void GetSystemTimeAsFileTime(LPFILETIME now);
DWORD GetFileAttributesA(LPCSTR path);
BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID information);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE search);
// Deleting refuses a read-only file, as Windows does; removing a directory
// that is a symbolic link removes the link only.
BOOL DeleteFileA(LPCSTR path);
// Only the read-only attribute is carried: set, no one may write the file;
// cleared, its owner may. Other attributes are not Linux's to keep.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
BOOL RemoveDirectoryA(LPCSTR path);
// Renames a file within its volume; without MOVEFILE_REPLACE_EXISTING it
// refuses, with ERROR_ALREADY_EXISTS, to take the place of an existing entry.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);

// Modules and the user interface (platform/linux/modules.cpp).
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The process: environment and command line (platform/linux/process.cpp).
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
LPSTR GetCommandLineA();
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);
// A copy of the environment in the Windows block layout: name=value texts,
// each NUL-terminated, and an empty text at the end.
LPSTR GetEnvironmentStrings();
BOOL FreeEnvironmentStringsA(LPSTR block);

// The registry, which Linux does not have (platform/linux/registry.cpp).
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegCloseKey(HKEY key);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, FILETIME* lastWrite);
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);

// Module resources, which Linux modules do not carry, and plain file output
// (platform/linux/resources.cpp, platform/linux/file_handles.cpp).
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
// Puts what was written through the handle on the disk; the handle must
// have been opened for writing.
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);

// Volumes, file identity and reparse data (platform/linux/volumes.cpp). A
// volume is a mount point; its serial number is the device number, a file's
// index its inode. A symbolic link reads as a symbolic-link reparse point, a
// mount point as a volume mount point.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
BOOL GetVolumePathNameA(LPCSTR path, LPSTR volumePath, DWORD size);
BOOL GetVolumeInformationA(LPCSTR root, LPSTR name, DWORD nameSize, LPDWORD serial,
                           LPDWORD maxComponent, LPDWORD flags, LPSTR fileSystem,
                           DWORD fileSystemSize);
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info);
BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                     DWORD outputSize, LPDWORD returned, LPOVERLAPPED overlapped);

// Private-profile (INI) files (platform/linux/private_profile.cpp).
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// The C runtime's multibyte string routines (platform/linux/mbstring.cpp).
// Linux text is UTF-8, where no byte of a multibyte character is ASCII, so
// searches for ASCII characters are byte-wise and case folds ASCII letters.
#define _NLSCMPERROR 2147483647
const unsigned char* _mbschr(const unsigned char* text, unsigned int c);
const unsigned char* _mbsrchr(const unsigned char* text, unsigned int c);
const unsigned char* _mbsstr(const unsigned char* text, const unsigned char* sought);
int _mbsicmp(const unsigned char* a, const unsigned char* b);
unsigned char* _mbslwr(unsigned char* text);
// The next character: past a UTF-8 sequence's continuation bytes, never past
// the terminator.
unsigned char* _mbsinc(const unsigned char* text);

#endif

// Facts of the system that the code is written around, each with its
// reason:
// - kPathSeparator: the character that separates path components. The
//   settings layer's algorithms are written for "the separator"; on Windows
//   it is '\', and Windows takes '/' in its place too, as users write it.
// - kPathsHaveDriveLetters: whether a path may start with a drive ("C:",
//   "C:\"), a root of its own.
// - kFileNamesIgnoreCase: whether two file names that differ only in the
//   case of letters name one file: on Windows they do, on Linux they are two.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr const char* kPathSeparatorText = "\\";
constexpr const char* kPathSeparators = "\\/";
constexpr bool kPathsHaveDriveLetters = true;
constexpr bool kFileNamesIgnoreCase = true;
#else
constexpr char kPathSeparator = '/';
constexpr const char* kPathSeparatorText = "/";
constexpr const char* kPathSeparators = "/";
constexpr bool kPathsHaveDriveLetters = false;
constexpr bool kFileNamesIgnoreCase = false;
#endif
