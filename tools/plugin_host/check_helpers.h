// Small judgements the settings checker makes about texts: the known name
// nearest to a misspelt one, how a group name's bytes will look to the host,
// and what an extension list written with patterns was meant to say.
#pragma once

#include <string>
#include <vector>

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
