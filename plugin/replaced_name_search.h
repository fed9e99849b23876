// Finding the entry behind a path that names nothing as written because the
// host converted its characters to the code page: '?' for a character the
// code page lacks, a look-alike letter for one it writes by best fit. Such
// a file still gets its group.
#pragma once

// True when the path, whose attribute query failed, names files only (one
// or more, never a folder) among the entries read, and at least one exists.
// The walk starts below the deepest folder the path names as written; each
// part below it that names nothing as written is looked for by a directory
// search (the part as the pattern when it holds '?', else all the folder's
// entries) and taken only where the entry's own 8-bit name is that part,
// byte for byte, as the system converts names alike; a folder part so found
// is entered by its short name. A request reads at most 256 entries for
// each searched part, over all the folders it is searched in: an entry past
// them is not seen, so a file there is not found and a folder there does not
// make its files' kind unknown. A path in the "\\?\" form, and one longer
// than a path buffer, give false.
bool ReplacedNameIsFile(const char* path);
