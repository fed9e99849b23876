// Windows: FileLock as the file held open without sharing, which no other
// process can open until the handle is closed, by the system at the
// process's end too.
#include "platform/file_lock.h"

#include "platform/system_error_text.h"
#include "platform/win32.h"

namespace {

constexpr unsigned kStepMilliseconds = 50;

} // namespace

FileLock::~FileLock() {
    if (handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)));
}

bool FileLock::Take(const std::string& path, unsigned waitMilliseconds, bool& busy,
                    std::string& reason) {
    busy = false;
    for (unsigned waited = 0;; waited += kStepMilliseconds) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle = static_cast<long long>(reinterpret_cast<intptr_t>(file));
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            reason = "cannot open " + path + ": " + SystemErrorText(error);
            return false;
        }
        if (waited >= waitMilliseconds) {
            busy = true;
            reason = "another run holds " + path;
            return false;
        }
        Sleep(kStepMilliseconds);
    }
}
