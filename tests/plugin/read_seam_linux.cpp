// Linux: the stand-in takes the place of the Win32 subset's read call.
#include "tests/plugin/read_seam.h"

#include "platform/linux/system_calls.h"

#include <utility>

namespace {

std::function<void()> pendingEdit;

ssize_t ReadAfterTheEdit(int descriptor, void* bytes, size_t count) {
    System().read = RealSystem().read;
    std::function<void()> edit = std::move(pendingEdit);
    pendingEdit = nullptr;
    edit();
    return System().read(descriptor, bytes, count);
}

} // namespace

bool EditAtTheNextRead(std::function<void()> edit) {
    pendingEdit = std::move(edit);
    System().read = ReadAfterTheEdit;
    return true;
}
