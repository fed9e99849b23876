// An edit of a file while the settings reader is reading it, brought about
// where the platform lets a test stand in for its reads.
#pragma once

#include <functional>

// Runs `edit` just before the next read of a file's bytes through the
// platform, once; false where the platform offers no such seam.
bool EditAtTheNextRead(std::function<void()> edit);
