// Windows: the system's reads cannot be stood in for.
#include "tests/plugin/read_seam.h"

bool EditAtTheNextRead(std::function<void()>) {
    return false;
}

bool MakeLink(const std::string&, const std::string&, int) {
    return false;
}
