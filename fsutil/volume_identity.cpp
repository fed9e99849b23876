// Volume and file identity. From major version 5 on, the volume path name
// comes from GetVolumePathNameA, looked up at run time in "Kernel32.dll"
// rather than imported; before it, the drive part of the path text stands
// for the volume.
#include "fsutil/volume_identity.h"

#include "settings/bounded_string.h"
#include "settings/text_search.h"
#include "platform/text/full_path.h"
#include "platform/win32.h"

#include <cstring>
#include <string>

namespace {

typedef BOOL(WINAPI* GetVolumePathNameProc)(LPCSTR, LPSTR, DWORD);

// The system's major version, or 0 when it cannot be asked.
DWORD MajorVersion() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExA(&info) ? info.dwMajorVersion : 0;
}

// Fills each given path buffer with its path's volume path name; false when
// the platform function cannot be found.
bool VolumePathNames(const char* pathA, char* volumeA, const char* pathB, char* volumeB) {
    HMODULE kernel = LoadLibraryA("Kernel32.dll");
    if (kernel == nullptr)
        return false;
    GetVolumePathNameProc getVolumePathName = reinterpret_cast<GetVolumePathNameProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetVolumePathNameA")));
    if (getVolumePathName != nullptr) {
        getVolumePathName(pathA, volumeA, kPathBufferSize);
        volumeA[kPathBufferSize - 1] = '\0';
        if (pathB != nullptr) {
            getVolumePathName(pathB, volumeB, kPathBufferSize);
            volumeB[kPathBufferSize - 1] = '\0';
        }
    }
    FreeLibrary(kernel);
    return getVolumePathName != nullptr;
}

} // namespace

int IsSameVolume(const char* pathA, const char* pathB) {
    char volumeA[kPathBufferSize] = {};
    char volumeB[kPathBufferSize] = {};
    if (MajorVersion() >= 5) {
        if (!VolumePathNames(pathA, volumeA, pathB, volumeB))
            return 0;
    } else {
        // A system before Windows 2000; reached by the Linux platform test
        // SystemCallTest.OldSystemComparesDriveParts.
        BoundedCopyN(volumeA, kPathBufferSize, pathA, 2);
        BoundedCopyN(volumeB, kPathBufferSize, pathB, 2);
    }
    // Two volume names that differ only in case are one volume where file
    // names ignore case, and two volumes where they do not.
    const int order =
        kFileNamesIgnoreCase ? CompareNoCase(volumeA, volumeB) : std::strcmp(volumeA, volumeB);
    return order == 0 ? 1 : 0;
}

FileIdentity GetFileIdentity(const char* path) {
    FileIdentity identity;
    char root[kPathBufferSize] = {};
    if (MajorVersion() >= 5)
        VolumePathNames(path, root, nullptr, nullptr);
    else
        BoundedCopyN(root, kPathBufferSize, path, 3);
    DWORD serial = 0;
    GetVolumeInformationA(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
    identity.volumeSerial = serial;

    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        std::memset(&info, 0, sizeof(info));
        if (GetFileInformationByHandle(file, &info)) {
            identity.fileIndex =
                static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
            // The serial of the file's own volume, which the index belongs
            // to: where a file system shows files of several devices under
            // one mount point, the mount point's serial would pair an index
            // with another device's.
            identity.volumeSerial = info.dwVolumeSerialNumber;
        }
        CloseHandle(file);
    }
    return identity;
}

int IsIdentityValid(const FileIdentity& identity) {
    return identity.fileIndex != 0 ? 1 : 0;
}

int IsSameFile(const FileIdentity& a, const FileIdentity& b) {
    if (!IsIdentityValid(a) || !IsIdentityValid(b) || a.fileIndex != b.fileIndex ||
        a.volumeSerial != b.volumeSerial)
        return 0;
    return 1;
}

int IsOneFile(const char* pathA, const char* pathB) {
    const FileIdentity a = GetFileIdentity(pathA);
    const FileIdentity b = GetFileIdentity(pathB);
    if (IsIdentityValid(a) && IsIdentityValid(b))
        return IsSameFile(a, b);
    const std::string fullA = FullPath(pathA);
    const std::string fullB = FullPath(pathB);
    const int order = kFileNamesIgnoreCase ? CompareNoCase(fullA.c_str(), fullB.c_str())
                                           : std::strcmp(fullA.c_str(), fullB.c_str());
    return order == 0 ? 1 : 0;
}
