// A fresh folder for one test, removed with everything in it when the test
// ends. Paths come back whole and in this system's own form, as a host would
// hand them to the plugin.
#pragma once

#include "platform/win32.h"
#include <string>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder itself, without a trailing separator.
    const std::string& Path() const { return root; }
    // A path inside the folder; `relative` may use '/' between its parts.
    std::string Path(const std::string& relative) const;
    // Writes the bytes as a file, making its folders first; gives its path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string root;
};

// A path written with '|' for the separator, in this system's form, so one
// table of paths holds on both builds.
std::string SystemPath(std::string text);

// The folder of the running test program, without a trailing separator.
std::string ProgramFolder();
// A file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Copies a file; false when it could not.
bool CopyFileTo(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
