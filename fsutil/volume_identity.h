// Whether two paths lie on one volume, and whether two paths name one file
// (by the volume's serial number and the file's 64-bit index, or by the
// path's full spelling where the file cannot be told).
#pragma once

#include <cstdint>

struct FileIdentity {
    std::uint32_t volumeSerial = 0;
    std::uint64_t fileIndex = 0; // 0: the file did not open or could not be queried
};

int IsSameVolume(const char* pathA, const char* pathB);
// The identity of the file the path names; a zero index when it cannot be
// told.
FileIdentity GetFileIdentity(const char* path);
int IsIdentityValid(const FileIdentity& identity);
int IsSameFile(const FileIdentity& a, const FileIdentity& b);
// 1 when the two paths name one file: by identity where both files can be
// told, otherwise by their full spellings, case folded where this system's
// file names ignore case (a file not made yet has only its spelling).
int IsOneFile(const char* pathA, const char* pathB);
