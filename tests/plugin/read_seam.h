// An edit of a file while the settings reader is reading it, brought about
// where the platform lets a test stand in for its reads, and links made
// with their own stamps set, where it lets a test make them.
#pragma once

#include <functional>
#include <string>

// Runs `edit` just before the next read of a file's bytes through the
// platform, once; false where the platform offers no such seam.
bool EditAtTheNextRead(std::function<void()> edit);

// Replaces the entry at `path` by a link to `target` whose own stamps lie
// `age` seconds back; false where the platform offers no such seam.
bool MakeLink(const std::string& target, const std::string& path, int age);
