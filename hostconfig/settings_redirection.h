// Which file holds a section of the host's settings. The main settings file
// may send a section elsewhere, by the keys RedirectSection and
// AlternateUserIni in that section. FindHostSectionFile follows them for the
// section "Configuration" only, as the plugin's search needs; FindSectionFile
// for any section, as the host itself does.
#pragma once

// 1 and the path in `output` when the file that holds the section exists;
// 0 otherwise (the output then holds the redirection target, if any).
int FindHostSectionFile(const char* basePath, const char* sectionName, char* output);

// 1 and the path in `output` (a path buffer) when the file that holds the
// section, starting from the main settings file `mainFile`, exists; 0
// otherwise (the output then holds the redirection target). The same rule
// as above, for any section.
int FindSectionFile(const char* mainFile, const char* sectionName, char* output);

// Replaces the file name of `path` (a path buffer, may be null) by
// `replacement`: 1 when the path held a separator and was changed.
int ReplaceFileName(const char* replacement, char* path);
