// What `install` added, kept beside the host's settings for `uninstall`:
// each item with the fingerprint it had when added (an item that differs
// from it now was changed by the user, and stays), and each file copied with
// the hash of its bytes (a file that differs now stays too). One line each,
// fields split by tabs, texts escaped, so that a person can read it.
#pragma once

#include "tools/install/host_settings_document.h"

#include <cstdint>
#include <string>
#include <vector>

struct RecordedItem {
    ItemRef item;
    std::string fingerprint;
};

struct RecordedFile {
    std::string path;
    std::uint64_t hash = 0;
};

struct InstallRecord {
    std::vector<RecordedItem> items;
    std::vector<RecordedFile> files;
};

// The record's file name, in the host's settings folder.
constexpr const char* kInstallRecordName = "Lumbrasket.installed";

// The record as text, and back. Parsing skips what it does not know, so
// that a record another version wrote still gives what this one can use;
// false when the text is not a record at all.
std::string RecordText(const InstallRecord& record);
bool ParseRecord(const std::string& text, InstallRecord& record);

// The words for an item's kind, as reports name it ("column view").
const char* ItemKindText(ItemKind kind);
