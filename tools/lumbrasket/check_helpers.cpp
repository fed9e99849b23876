// The tool's judgements about texts, each a plain function of its input.
#include "check_helpers.h"

#include "ascii.h"
#include "code_page.h"
#include <algorithm>
#include <cstdint>

namespace {

std::string Folded(std::string text) {
    for (char& c : text)
        c = FoldAscii(c);
    return text;
}

// Edit distance: insertions, deletions, replacements and swaps of
// neighbours each count one. Only distances up to `most` matter: texts whose
// lengths differ by more are answered `most` + 1 at once, so a line of
// megabytes costs no table of its length times the candidate's.
std::size_t Distance(const std::string& a, const std::string& b, std::size_t most) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > most)
        return most + 1;
    // Three rows of the table: the one before the last, the last, this one.
    const std::size_t width = b.size() + 1;
    std::vector<std::size_t> rows(3 * width);
    std::size_t* before = rows.data();
    std::size_t* last = before + width;
    std::size_t* row = last + width;
    for (std::size_t j = 0; j < width; ++j)
        last[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j < width; ++j) {
            row[j] = std::min(
                {last[j] + 1, row[j - 1] + 1, last[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        std::size_t* oldest = before;
        before = last;
        last = row;
        row = oldest;
    }
    return last[b.size()];
}

// The length of the UTF-8 sequence at `at` and the character it encodes;
// 0 when the bytes there are no UTF-8.
std::size_t Utf8Sequence(const std::string& text, std::size_t at, std::uint32_t& character) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    character = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        character = character << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates are no UTF-8 either.
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < least[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character <= 0xDFFF))
        return 0;
    return length;
}

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

// The pieces of a list written with any of the usual separators.
std::vector<std::string> LoosePieces(const std::string& list) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : list + ";") {
        if (c == ';' || c == ',' || c == '|' || c == ' ' || c == '\t') {
            if (!piece.empty())
                pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (const std::string& piece : pieces)
        text += (text.empty() ? "" : "|") + piece;
    return text;
}

// Copies the text to `out` (when given) as it is printed; true when it holds
// a control character. Where text is UTF-8, bytes that are no UTF-8 are
// escaped as well, but are no control characters.
bool Escape(const std::string& text, std::string* out) {
    const bool utf8 = MultibyteCodePage() == kUtf8CodePage;
    bool controls = false;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        std::uint32_t character = byte;
        const std::size_t length = utf8 && byte >= 0x80 ? Utf8Sequence(text, at, character) : 1;
        const bool control = length != 0 && (character < 0x20 || character == 0x7F ||
                                             (utf8 && character >= 0x80 && character < 0xA0));
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

std::string NearestName(const std::string& written, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 3; // further than two edits is no misspelling
    const std::string a = Folded(written);
    for (const std::string& candidate : candidates) {
        const std::string b = Folded(candidate);
        // A name cut short ("UnknownGroup") is as likely a slip as a typo.
        const bool shortened = a.size() >= 4 && b.compare(0, a.size(), a) == 0;
        const std::size_t distance = shortened ? 1 : Distance(a, b, bestDistance);
        if (distance < bestDistance && distance * 3 <= candidate.size()) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

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
        if ((length = Utf8Sequence(text, at, character)) == 0)
            return false;
    return true;
}

bool HasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string BareExtensions(const std::string& list) {
    std::vector<std::string> extensions;
    for (const std::string& piece : LoosePieces(list)) {
        // "*.jpg" and ".jpg" name the extension jpg; "*" alone names none.
        const std::size_t dot = piece.rfind('.');
        const std::string extension = dot == std::string::npos ? piece : piece.substr(dot + 1);
        if (!extension.empty() && extension.find_first_of("*?") == std::string::npos)
            extensions.push_back(extension);
    }
    return Joined(extensions);
}

std::string AsMasks(const std::string& list) {
    return Joined(LoosePieces(list));
}

std::string ContinuationKey(std::uint32_t number, GroupKeyKind kind, std::uint32_t part) {
    return std::to_string(number) + (kind == GroupKeyKind::kListMore ? "_more" : "_masks_more") +
           (part > 1 ? std::to_string(part) : std::string());
}
