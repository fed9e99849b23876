// The command a mistyped word was meant to be, so that `lumbrasket chek`
// is answered with the command it resembles, not taken for a missing file.
#pragma once

#include <string>

// The command (check, init, install, uninstall) the word is within two
// typing slips of (a letter wrong, left out, added, or two swapped), and
// within fewer slips than the word has letters; else null. The nearest
// wins, the first listed among equals.
const char* NearestCommand(const std::string& word);
