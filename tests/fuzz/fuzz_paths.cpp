// Path texts from fuzzed bytes: the cut into pieces gives back the path, the
// one spelling of a path is stable and never longer, reparse records are
// read within the bytes returned, the long form and the number parsing stay
// within their buffers, and the environment abbreviation of a path (with
// wildcards in it) keeps to its buffer.
#include "settings/bounded_string.h"
#include "tests/fuzz/fuzz_input.h"
#include "fsutil/path_abbreviation.h"
#include "platform/text/path_spelling.h"
#include "fsutil/path_text.h"
#include "hostconfig/profile_binding.h"
#include "fsutil/reparse_point.h"
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

void Pieces(const std::string& path) {
    PathPieceList list;
    SplitPathPieces(path.c_str(), list);
    std::string joined;
    for (PathPieceNode* node = list.first; node != nullptr; node = node->next) {
        Check(std::strlen(node->text) < kPathBufferSize, "a piece past a path buffer");
        joined += node->text;
    }
    Check(joined == path.c_str(), "pieces that do not give back the path");
}

void Spelling(const std::string& path) {
    char once[512];
    char twice[512];
    if (!ReducePathSpelling(path.c_str(), once, sizeof(once)))
        return;
    Check(std::strlen(once) <= std::max<std::size_t>(std::strlen(path.c_str()), 1),
          "a spelling longer than the path");
    Check(ReducePathSpelling(once, twice, sizeof(twice)) && std::strcmp(once, twice) == 0,
          "a spelling that changes when reduced again");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reparse record is the input itself, in a buffer of exactly its size.
    std::unique_ptr<unsigned char[]> record(new unsigned char[size > 0 ? size : 1]);
    std::memcpy(record.get(), data, size);
    ClassifyReparseData(record.get(), size);

    FuzzInput input(data, size);
    const std::string path = input.Text(400);
    Pieces(path);
    Spelling(path);
    ClassifyPath(path.c_str());
    char directory[kPathBufferSize] = {};
    DirectoryPart(path.c_str(), directory);

    const std::uint32_t capacity = 1 + input.Byte();
    std::unique_ptr<char[]> longForm(new char[capacity]);
    MakeLongPath(path.c_str(), longForm.get(), capacity);
    Check(std::strlen(longForm.get()) < capacity, "a long path past its buffer");

    ParseSignedDecimal(path.c_str());
    ParseUnsignedDecimal(path.c_str());

    // A variable whose value is part of the path (wildcards and all): the
    // abbreviation is tried against it and stays within a path buffer.
    const std::string value = input.Text(60);
    if (value.find('\0') == std::string::npos && value.find('=') == std::string::npos) {
        SetEnvironmentVariableA("LUMBRASKET_FUZZ", value.c_str());
        char output[kPathBufferSize + 1];
        output[kPathBufferSize] = '#';
        UnexpandPath((value + path).c_str(), output);
        Check(output[kPathBufferSize] == '#' && std::strlen(output) < kPathBufferSize,
              "an abbreviation past its buffer");
    }
    return 0;
}
