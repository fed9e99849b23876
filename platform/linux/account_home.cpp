// Linux: the user database's entry for the real user.
#include "platform/account_home.h"

#include <pwd.h>
#include <unistd.h>

std::string AccountHomeFolder() {
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}
