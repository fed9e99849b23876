// Windows: no host of this build finds its settings by the account's home.
#include "platform/account_home.h"

std::string AccountHomeFolder() {
    return std::string();
}
