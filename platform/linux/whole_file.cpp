// Linux: an open file read whole into a string.
#include "platform/linux/whole_file.h"
#include "platform/linux/system_calls.h"

#include "platform/memory_pages.h"
#include <cerrno>
#include <unistd.h>

bool ReadAll(int descriptor, std::string& text, std::size_t expectedSize) {
    // Read straight into the text, sized for what the file's status says
    // (and one byte more, to see the end at once); a file that grew since
    // makes it grow.
    std::size_t used = text.size();
    const std::size_t size = used + (expectedSize > 0 ? expectedSize + 1 : 65536);
    text.reserve(size);
    PrepareToFill(&text[0], size);
    text.resize(size);
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const ssize_t count = System().read(descriptor, &text[used], text.size() - used);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            text.resize(used);
            return count == 0;
        }
        used += static_cast<std::size_t>(count);
    }
}
