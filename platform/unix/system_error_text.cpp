// Linux: the codes the Win32 subset sets are few, and their words are here;
// a failure that knows its reason better than its code (the loader's message
// for a library that does not load) gives that reason while it is the
// thread's last error.
#include "../system_error_text.h"

#include "../linux/last_error.h"

std::string SystemErrorWords(DWORD error) {
    if (error == GetLastError() && LastErrorText() != nullptr)
        return LastErrorText();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return "The file does not exist";
    case ERROR_PATH_NOT_FOUND:
        return "The path does not exist";
    case ERROR_ACCESS_DENIED:
        return "Access is denied";
    case ERROR_DISK_FULL:
        return "There is not enough space on the disk";
    case ERROR_IO_DEVICE:
        return "The request could not be performed because of an I/O device error";
    case ERROR_FILENAME_EXCED_RANGE:
        return "The file name is too long";
    case ERROR_CANT_RESOLVE_FILENAME:
        return "The name of the file cannot be resolved by the system";
    case ERROR_MOD_NOT_FOUND:
        return "The library could not be loaded";
    case ERROR_PROC_NOT_FOUND:
        return "The library lacks the function";
    default:
        return "";
    }
}
