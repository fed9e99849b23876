// The home folder the system's user database gives this process's user,
// whatever HOME says: Double Commander takes its settings folder from it.
#pragma once

#include <string>

// The folder, without a trailing separator; empty where the database gives
// none (and on Windows, whose hosts do not ask).
std::string AccountHomeFolder();
