// install's line editor against two readers, the system's (GetPrivateProfile-
// StringW) and ours (platform/text): for files in each encoding and with each
// kind of line the editor must cut and name as they do, after a Put of an
// existing key and of a new one and a Drop, both read every key as before
// and the edited ones as edited, the editor reads what they read, and the
// edit taken back gives the file's bytes back.
#include "platform/text/ini_encoding.h"
#include "platform/text/ini_text.h"
#include "platform/text/ini_value.h"
#include "tests/support/scratch_folder.h"
#include "tools/install/ini_lines.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

namespace {

// "section\nkey" to the value, for every key a reader lists.
using Keys = std::map<std::wstring, std::wstring>;

std::string Narrow(const std::wstring& text, UINT codePage) {
    static char out[1 << 14];
    return std::string(out,
                       WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           out, sizeof out, nullptr, nullptr));
}

// The scratch folder's paths are ASCII.
Keys SystemKeys(const std::string& path) {
    const std::wstring file(path.begin(), path.end());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    static wchar_t sections[1 << 16], names[1 << 16], value[4096];
    GetPrivateProfileSectionNamesW(sections, 1 << 16, file.c_str());
    Keys keys;
    for (const wchar_t* section = sections; *section != 0; section += std::wcslen(section) + 1) {
        GetPrivateProfileStringW(section, nullptr, L"", names, 1 << 16, file.c_str());
        for (const wchar_t* name = names; *name != 0; name += std::wcslen(name) + 1) {
            GetPrivateProfileStringW(section, name, L"", value, 4096, file.c_str());
            keys[std::wstring(section) + L"\n" + name] = value;
        }
    }
    return keys;
}

// Each key the system lists read by our reader and by the editor, in the
// text's own form (the code page's, or UTF-8 with U+FFFD for a lone
// surrogate), beside the system's value in that form.
void ExpectOursRead(const std::string& bytes, const Keys& system) {
    const IniLines lines(bytes);
    const UINT codePage = lines.Unicode() ? CP_UTF8 : CP_ACP;
    IniEncoding encoding;
    const std::shared_ptr<const IniFile> file = ParseIni(DecodeIniText(bytes, encoding));
    for (const auto& [name, value] : system) {
        const std::size_t cut = name.find(L'\n');
        const std::string section = Narrow(name.substr(0, cut), codePage);
        const std::string key = Narrow(name.substr(cut + 1), codePage);
        SCOPED_TRACE(section + " " + key);
        const IniSection* found = FindSection(*file, section.c_str(), true);
        const IniKey* entry = found != nullptr ? FindKey(*found, key.c_str()) : nullptr;
        ASSERT_TRUE(entry != nullptr && entry->hasValue);
        EXPECT_EQ(Narrow(value, codePage), std::string(UnquotedIniValue(entry->value)));
        EXPECT_EQ(Narrow(value, codePage), lines.Get(section, key));
    }
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        bytes += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    }
    return bytes;
}

// Every file holds [S] with k=old and, as its last line, gone=1.
const wchar_t kWide[] = L"[S]\r\nk=old\r\ngone=1\r\n[T]\r\nt=caf\u00e9\r\n";

struct Row {
    const char* name;
    std::string file;
};

const Row kRows[] = {
    {"code page", "[S]\r\nk=old\r\ngone=1\r\n[T]\r\nt=caf\xE9\r\n"},
    {"UTF-8 after its mark", "\xEF\xBB\xBF[S]\r\nk=old\r\ngone=1\r\n[T]\r\nt=caf\xC3\xA9\r\n"},
    {"UTF-16 little-endian", Utf16(kWide, false)},
    {"UTF-16 big-endian", Utf16(kWide, true)},
    {"UTF-16 with an odd last byte", Utf16(kWide, false) + "A"},
    {"UTF-16 with a lone surrogate",
     Utf16(L"[S]\r\nk=old\r\ngone=1\r\n[T]\r\nt=a\xD800z\r\n", false)},
    {"lines ended by CR alone", "[S]\rk=old\rgone=1\r[T]\rt=1\r"},
    {"vertical tabs, form feeds and Ctrl-Z",
     "[S]\x1a\r\n\vk\f=old\r\n\fv=\v1\f\r\ngone=1\r\n\x1a[T]\r\nt=1\r\n\x1a"},
    {"quotes of both kinds", "[S]\r\nq1='one'\r\nq2=\"two\"\r\nq3='three\"\r\nk=old\r\ngone=1\r\n"},
    {"a ']' inside a header", "[S]x]\r\nk=decoy\r\ngone=1\r\n[S]\r\nk=old\r\ngone=1\r\n"},
    {"a '[' line without ']'", "[S\r\nk=decoy\r\n[S]\r\nk=old\r\ngone=1\r\n"},
};

TEST(IniLines, EditsAsTheSystemAndOurReaderRead) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const std::string path = scratch.Write("case.ini", row.file);
        const Keys before = SystemKeys(path);
        ASSERT_EQ(L"old", before.at(L"S\nk"));
        ExpectOursRead(row.file, before);

        IniLines lines(row.file);
        EXPECT_EQ(row.file, lines.Text());
        lines.Put("S", "k", "changed");
        lines.Put("S", "new", "added");
        lines.Drop("S", "gone");
        const std::string edited = lines.Text();
        scratch.Write("case.ini", edited);
        Keys expected = before;
        expected[L"S\nk"] = L"changed";
        expected[L"S\nnew"] = L"added";
        expected.erase(L"S\ngone");
        EXPECT_EQ(expected, SystemKeys(path));
        ExpectOursRead(edited, expected);

        IniLines undone(edited); // every touched line as it was
        undone.Drop("S", "new");
        undone.Put("S", "gone", "1");
        undone.Put("S", "k", "old");
        EXPECT_EQ(row.file, undone.Text());
    }
}

} // namespace
