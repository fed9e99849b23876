// Which file holds a section of the host's settings. The main settings file
// may send its section "Configuration" elsewhere, by the keys RedirectSection
// and AlternateUserIni; every other section lives in the main file.
#pragma once

// 1 and the path in `output` when the file that holds the section exists;
// 0 otherwise (the output then holds the redirection target, if any).
int FindHostSectionFile(const char* basePath, const char* sectionName, char* output);

// Replaces the file name of `path` (a path buffer, may be null) by
// `replacement`: 1 when the path held a separator and was changed.
int ReplaceFileName(const char* replacement, char* path);
