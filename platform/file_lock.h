// A lock between processes on a file of the caller's own, which the system
// holds for the process and lets go of when the process ends, however it
// ends: a run killed mid-way never leaves a lock behind that a later run
// must be told to break. The file itself means nothing; its being there
// locks nothing. On Linux an advisory lock (flock); on Windows the file
// held open without sharing.
#pragma once

#include <string>

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on the file at `path`, made when missing, waiting up
    // to `waitMilliseconds` while another process holds it. True when taken;
    // false with the reason (held by another all along, or the file cannot
    // be made or opened), and then `busy` tells which.
    bool Take(const std::string& path, unsigned waitMilliseconds, bool& busy, std::string& reason);

private:
    long long handle = -1;
};
