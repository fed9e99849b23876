// Windows: a file's protection is its discretionary access list. A file made
// beside another gets its folder's inherited list, which may be wider than
// the one the user gave the file it replaces.
#include "platform/file_protection.h"

#include "platform/system_error_text.h"
#include "platform/win32.h"

#include <vector>

bool CopyFileProtection(const char* from, const char* to, std::string& reason) {
    const SECURITY_INFORMATION asked = DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityA(from, asked, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size != 0 ? size : 1);
    if (size == 0 || !GetFileSecurityA(from, asked, descriptor.data(), size, &size) ||
        !SetFileSecurityA(to, asked, descriptor.data())) {
        reason = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

bool OthersMayWriteFolder(const char*) {
    return false;
}
