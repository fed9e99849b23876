// Windows: who may replace a folder's entries, judged on its security
// descriptor (the body of OthersMayWriteFolder, apart from reading it).
#pragma once

#include "platform/win32.h"

#include <string>

// Whether the descriptor's owner, or someone its access list allows to
// remove or rename the folder's entries or to change its protection, is
// anyone but `user` (a SID in text form), the system, the administrators
// and TrustedInstaller; true as well when it has no access list or owner.
bool OthersMayWriteUnder(PSECURITY_DESCRIPTOR descriptor, const std::string& user);
