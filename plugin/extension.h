// Cutting the extension from the path the host names.
#pragma once

// Writes into `extension` (a zeroed 260-byte buffer) the text after the last
// '.' of the whole path, folder part included, without the dot and without
// any change of case. A path without a dot, or ending in one, leaves the
// buffer untouched. A path longer than 259 bytes is cut first.
void ExtractExtension(const char* path, char* extension);
