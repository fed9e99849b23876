// Windows: a file's protection is its discretionary access list. A file made
// beside another gets its folder's inherited list, which may be wider than
// the one the user gave the file it replaces.
#include "platform/file_protection.h"

#include "platform/system_error_text.h"
#include "platform/win32.h"
#include "platform/windows/folder_writers.h"

#include <sddl.h>
#include <vector>

namespace {

// A SID in its text form ("S-1-5-18"); empty when it cannot be written.
std::string SidText(PSID sid) {
    LPSTR text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text))
        return "";
    std::string copy(text);
    LocalFree(text);
    return copy;
}

// The user this process runs as, in text form; empty when not known.
std::string ProcessUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return "";
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size != 0 ? size : 1);
    std::string text;
    if (size != 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size))
        text = SidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    CloseHandle(token);
    return text;
}

// Whether the SID is this user or one the system itself acts as: the local
// system, the administrators, and TrustedInstaller, the servicing account
// that owns the system's own folders (Program Files among them) and holds
// full control of them, so that a host installed there stays usable.
bool IsUserOrSystem(PSID sid, const std::string& user) {
    static const char* const kSystem[] = {
        "S-1-5-18", "S-1-5-32-544",
        "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"};
    const std::string text = SidText(sid);
    if (text.empty())
        return false;
    for (const char* system : kSystem)
        if (text == system)
            return true;
    return text == user;
}

// Whether the rights let their holder take the place of an entry of the
// folder: remove or rename one (FILE_DELETE_CHILD, or DELETE of the folder
// itself), or give itself any right (WRITE_DAC, WRITE_OWNER). Adding an
// entry (FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY, all that GENERIC_WRITE means
// for a folder) leaves every entry there its owner's, as in a sticky folder
// on Linux; the system drive's root gives every signed-in user that right.
// Generic rights count by what they mean for a file; MAXIMUM_ALLOWED, which
// an entry has no business holding, counts as every right.
bool LetsReplaceEntries(ACCESS_MASK rights) {
    if ((rights & MAXIMUM_ALLOWED) != 0)
        return true;
    GENERIC_MAPPING fileRights{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                               FILE_ALL_ACCESS};
    MapGenericMask(&rights, &fileRights);
    return (rights & (FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER)) != 0;
}

// Whether an entry of the list allows such rights on the folder itself to
// someone else. Denying entries are passed over: a folder they would have
// kept safe is refused all the same, which errs on the safe side.
bool ListLetsOthersReplace(ACL* list, const std::string& user) {
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry))
            return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE ||
            (header->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (LetsReplaceEntries(allowed->Mask) && !IsUserOrSystem(&allowed->SidStart, user))
            return true;
    }
    return false;
}

} // namespace

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

bool OthersMayWriteUnder(PSECURITY_DESCRIPTOR descriptor, const std::string& user) {
    PSID owner = nullptr;
    BOOL listPresent = FALSE;
    ACL* list = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
        !GetSecurityDescriptorDacl(descriptor, &listPresent, &list, &defaulted))
        return true;
    // No access list at all lets everyone do everything.
    return owner == nullptr || !IsUserOrSystem(owner, user) || !listPresent || list == nullptr ||
           ListLetsOthersReplace(list, user);
}

// A folder whose owner or access list cannot be read (on a share that
// does not tell, say) may be anyone's: it is judged so.
bool OthersMayWriteFolder(const char* folder) {
    const SECURITY_INFORMATION asked = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityA(folder, asked, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size != 0 ? size : 1);
    const std::string user = ProcessUser();
    return size == 0 || user.empty() ||
           !GetFileSecurityA(folder, asked, descriptor.data(), size, &size) ||
           OthersMayWriteUnder(descriptor.data(), user);
}

bool MakeOwnFolder(const char* folder) {
    return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
