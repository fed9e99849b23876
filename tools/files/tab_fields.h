// Lines of fields split by tabs, for the files the tool keeps for itself (the
// install record, the journal of a change under way): a person can read
// them, and any text comes back whole, a tab, a line end or a backslash in
// it written as "\t", "\n", "\r" or "\\".
#pragma once

#include <string>
#include <vector>

std::string EscapedField(const std::string& text);
// The fields of one line (without its line end), unescaped.
std::vector<std::string> FieldsOf(const std::string& line);
// The text's lines, each without its line end.
std::vector<std::string> LinesOf(const std::string& text);
