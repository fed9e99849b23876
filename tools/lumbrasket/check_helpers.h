// Small judgements the tool makes about texts: how a text is printed so that
// a terminal shows it and never acts on it, the known name nearest to a
// misspelt one, how a group name's bytes will look to the host, and what an
// extension list written with patterns was meant to say.
#pragma once

#include "group_keys.h"

#include <cstdint>
#include <string>
#include <vector>

// The text as the tool prints it: control characters written as escapes
// ("\033", "\n"), so that a name from a file or a folder can neither move
// the cursor, clear the screen or retitle the window, nor split a line. Where
// text is UTF-8, the C1 controls (U+0080 to U+009F) and bytes that are no
// UTF-8 are escaped too (byte by byte, in octal). '\' stays as it is: it
// separates Windows paths.
std::string PrintableText(const std::string& text);
// Whether PrintableText changes the text.
bool HasControlCharacters(const std::string& text);

// The candidate nearest to `written` (letters compared without regard to
// case), or empty when none is close enough to be a likely misspelling.
std::string NearestName(const std::string& written, const std::vector<std::string>& candidates);

// Whether the bytes are valid UTF-8, and whether they hold any byte of 128
// or more.
bool IsValidUtf8(const std::string& text);
bool HasNonAscii(const std::string& text);

// For an extension list written with patterns ("*.jpg;*.png"): the bare
// extensions it names ("jpg|png"), or empty when it names none.
std::string BareExtensions(const std::string& list);
// The same list as name masks ("*.jpg|*.png").
std::string AsMasks(const std::string& list);

// The name of a group's continuation key of a kind (kListMore or
// kMasksMore): N_more, N_more2, ... and N_masks_more, N_masks_more2, ...
std::string ContinuationKey(std::uint32_t number, GroupKeyKind kind, std::uint32_t part);
