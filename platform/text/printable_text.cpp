// Printing foreign text safely, character by character in the code page.
#include "platform/text/printable_text.h"

#include "platform/code_page.h"
#include "platform/text/utf8.h"

#include <algorithm>
#include <cstdint>

namespace {

void AppendEscape(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        out += '\\';
        out += static_cast<char>('0' + (byte >> 6));
        out += static_cast<char>('0' + ((byte >> 3) & 7));
        out += static_cast<char>('0' + (byte & 7));
    }
}

// Characters that reorder the text around them as it is shown: a name that
// holds one can show as another name, or turn the rest of its line around.
bool IsBidirectionalControl(std::uint32_t character) {
    return character == 0x061C || character == 0x200E || character == 0x200F ||
           (character >= 0x202A && character <= 0x202E) ||
           (character >= 0x2066 && character <= 0x2069);
}

// The length of the UTF-8 character at `at` and the character; 0 when the
// byte there starts none.
std::size_t Utf8Length(const std::string& text, std::size_t at, std::uint32_t& character) {
    const char* const start = text.data() + at;
    const char* const end = text.data() + text.size();
    const std::size_t length = static_cast<std::size_t>(Utf8CharacterEnd(start, end) - start);
    character = Utf8Character(start, end);
    return length == 1 && static_cast<unsigned char>(*start) >= 0x80 ? 0 : length;
}

// Copies the text to `out` (when given) as it is printed; true when it holds
// a control character. Where text is UTF-8, bytes that are no UTF-8 are
// escaped as well, but are no control characters.
bool Escape(const std::string& text, std::string* out) {
    const bool utf8 = MultibyteCodePage() == kUtf8CodePage;
    // Hebrew's and Arabic's ANSI code pages hold U+200E and U+200F as the
    // bytes 0xFD and 0xFE, which a console there shows as the marks.
    const int ansi = AnsiCodePage();
    const bool markBytes = !utf8 && (ansi == 1255 || ansi == 1256);
    bool controls = false;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        std::uint32_t character = byte;
        const std::size_t length = utf8 && byte >= 0x80 ? Utf8Length(text, at, character) : 1;
        const bool control = length != 0 && (character < 0x20 || character == 0x7F ||
                                             (utf8 && ((character >= 0x80 && character < 0xA0) ||
                                                       IsBidirectionalControl(character))) ||
                                             (markBytes && (byte == 0xFD || byte == 0xFE)));
        controls = controls || control;
        if (length != 0 && !control) {
            if (out != nullptr)
                out->append(text, at, length);
            at += length;
            continue;
        }
        for (const std::size_t end = at + (length == 0 ? 1 : length); at < end; ++at)
            if (out != nullptr)
                AppendEscape(*out, static_cast<unsigned char>(text[at]));
    }
    return controls;
}

} // namespace

std::string PrintableText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    Escape(text, &out);
    return out;
}

bool HasControlCharacters(const std::string& text) {
    return Escape(text, nullptr);
}

bool IsValidUtf8(const std::string& text) {
    std::uint32_t character = 0;
    for (std::size_t at = 0, length = 0; at < text.size(); at += length)
        if ((length = Utf8Length(text, at, character)) == 0)
            return false;
    return true;
}

bool HasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}
