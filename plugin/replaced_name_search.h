// Finding the entry behind a path in which the host put '?' for characters
// that its code page lacks, so that such a file still gets its group.
#pragma once

// True when the path, read with each '?' standing for one character the host
// could not convert, names files only (one or more, never a folder) among
// the entries read, and at least one exists. Each part holding '?' is looked
// for by a directory search and taken only where the entry's own 8-bit name
// is that part, byte for byte; a folder part so found is entered by its short
// name. A request reads at most 256 entries for each such part, over all the
// folders it is searched in: an entry past them is not seen, so a file there
// is not found and a folder there does not make its files' kind unknown. A
// path without '?', one in the "\\?\" form, and one longer than a path
// buffer give false.
bool ReplacedNameIsFile(const char* path);
