// The checker's advice on what a line was meant to say: the known name
// nearest to a misspelt one, and what an extension list written with
// patterns meant.
#pragma once

#include <string>
#include <vector>

// The candidate nearest to `written` (letters compared without regard to
// case), or empty when none is close enough to be a likely misspelling.
std::string NearestName(const std::string& written, const std::vector<std::string>& candidates);

// For an extension list written with patterns ("*.jpg;*.png"): the bare
// extensions it names ("jpg|png"), or empty when it names none.
std::string BareExtensions(const std::string& list);
// The same list as name masks ("*.jpg|*.png").
std::string AsMasks(const std::string& list);
