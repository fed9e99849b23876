// Windows: the processes are the system's snapshot of them; one runs for
// this user when it runs in this user's session (another user signed in on
// the same machine has a session of their own).
#include "platform/running_programs.h"

#include "platform/win32.h"

#include <tlhelp32.h>

std::vector<std::vector<std::string>> RunningProgramArguments(const char* programName) {
    std::vector<std::vector<std::string>> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    DWORD ownSession = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        DWORD session = 0;
        if (lstrcmpiA(entry.szExeFile, programName) == 0 &&
            ProcessIdToSessionId(entry.th32ProcessID, &session) && session == ownSession)
            found.emplace_back();
    }
    CloseHandle(snapshot);
    return found;
}
