// How many columns of a terminal a text takes, as `ls` pads its columns: a
// table of names lines up only when it pads by what is shown, not by bytes.
#pragma once

#include <cstddef>
#include <string_view>

// The columns of the text in the system's multibyte code page. In UTF-8 a
// character takes two columns when East Asian scripts draw it wide, none
// when it combines with the one before, else one (a byte that starts no
// valid sequence takes one); in the double-byte code pages a character takes
// as many columns as it has bytes, as their consoles draw them.
std::size_t DisplayWidth(std::string_view text);
