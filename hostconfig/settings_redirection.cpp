// Following the redirection of a section of the host's settings, once.
// A target with a drive letter, a leading separator or a leading environment
// reference replaces the whole path (after expansion); a bare file name or a
// target starting with '.' is placed beside the main file; any other target
// holding a separator is not followed.
#include "hostconfig/settings_redirection.h"

#include "settings/bounded_string.h"
#include "hostconfig/host_settings.h"
#include "platform/text/path_spelling.h"
#include "fsutil/path_text.h"
#include "hostconfig/profile_binding.h"
#include "settings/settings_location.h"
#include "settings/text_search.h"

int ReplaceFileName(const char* replacement, char* path) {
    if (path == nullptr || CutToFolder(path, path, kPathBufferSize) != kFolderCut)
        return 0;
    BoundedAppend(path, kPathBufferSize, replacement);
    return 1;
}

namespace {

// Follows the section's redirection in the file named by `output`, once,
// leaving the file that holds the section there. 1 when that file exists.
int FollowRedirection(const char* sectionName, char* output) {
    ProfileBinding binding(output, sectionName);
    const char* target = binding.GetString("RedirectSection", "0");
    if (CompareNoCase(target, "1") == 0)
        target = binding.GetString("AlternateUserIni", "");
    else if (CompareNoCase(target, "0") == 0)
        return PathExists(output);

    switch (ClassifyPath(target)) {
    case kPathBareName:
    case kPathDotRelative:
        ReplaceFileName(target, output);
        break;
    case kPathAbsolute:
    case kPathRooted:
        ExpandEnvironmentStringsA(target, output, kPathBufferSize);
        output[kPathBufferSize - 1] = '\0';
        break;
    default:
        break;
    }
    return PathExists(output);
}

} // namespace

int FindHostSectionFile(const char* basePath, const char* sectionName, char* output) {
    if (FindHostSettingsFile(basePath, output) == 0)
        return 0;
    if (CompareNoCase(sectionName, "Configuration") != 0)
        return PathExists(output);
    return FollowRedirection(sectionName, output);
}

int FindSectionFile(const char* mainFile, const char* sectionName, char* output) {
    BoundedCopy(output, kPathBufferSize, mainFile);
    return FollowRedirection(sectionName, output);
}
