// UTF-16 settings files to UTF-8 and back, every code unit and byte kept
// where a write must keep them.
#include "platform/text/ini_encoding.h"

#include <cstdint>

namespace {

void PutUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void PutUtf16(std::string& out, std::uint32_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// The next code point of UTF-8 text at `at`, which moves past it. Looser
// than the reader of utf8.h on purpose: a lone surrogate that a UTF-16 file
// held comes back as three bytes of this form, and must go out again as the
// code unit it was, so that a rewrite keeps every unit it does not change.
std::uint32_t NextCodePoint(const std::string& text, size_t& at) {
    const unsigned char lead = static_cast<unsigned char>(text[at++]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return kReplacement;
    std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            return kReplacement;
        code = code << 6 | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    return code > 0x10FFFF ? kReplacement : code;
}

} // namespace

IniEncoding IniEncodingOf(const std::string& bytes) {
    if (bytes.size() < 2)
        return IniEncoding::kCodePage;
    const unsigned char first = static_cast<unsigned char>(bytes[0]);
    const unsigned char second = static_cast<unsigned char>(bytes[1]);
    if (first == 0xFF && second == 0xFE)
        return IniEncoding::kUtf16LittleEndian;
    if (first == 0xFE && second == 0xFF)
        return IniEncoding::kUtf16BigEndian;
    // The string's closing NUL stands in for a third byte it lacks.
    return first == 0xEF && second == 0xBB && bytes[2] == '\xBF' ? IniEncoding::kUtf8
                                                                 : IniEncoding::kCodePage;
}

namespace {

// UTF-16 bytes after the byte-order mark as UTF-8; a lone surrogate as
// U+FFFD, or kept in its three-byte form.
std::string DecodeUtf16(const std::string& bytes, IniEncoding encoding, bool keepLoneSurrogates) {
    const bool bigEndian = encoding == IniEncoding::kUtf16BigEndian;
    auto unitAt = [&](size_t at) -> std::uint32_t {
        const unsigned char a = static_cast<unsigned char>(bytes[at]);
        const unsigned char b = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string text;
    text.reserve(bytes.size() / 2);
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        std::uint32_t unit = unitAt(at);
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < bytes.size()) {
            const std::uint32_t low = unitAt(at + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        const bool lone = unit >= 0xD800 && unit < 0xE000;
        PutUtf8(text, lone && !keepLoneSurrogates ? kReplacement : unit);
    }
    return text;
}

} // namespace

std::string DecodeIniText(const std::string& bytes, IniEncoding& encoding) {
    encoding = IniEncodingOf(bytes);
    return IsUtf16(encoding) ? DecodeUtf16(bytes, encoding, false) : bytes;
}

std::string DecodeIniTextExactly(const std::string& bytes, IniEncoding& encoding,
                                 std::string& tail) {
    encoding = IniEncodingOf(bytes);
    tail.clear();
    if (!IsUtf16(encoding))
        return bytes;
    if (bytes.size() % 2 != 0)
        tail = bytes.substr(bytes.size() - 1);
    return DecodeUtf16(bytes, encoding, true);
}

std::string EncodeIniText(const std::string& text, IniEncoding encoding) {
    if (!IsUtf16(encoding))
        return text;
    const bool bigEndian = encoding == IniEncoding::kUtf16BigEndian;
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    PutUtf16(bytes, 0xFEFF, bigEndian);
    for (size_t at = 0; at < text.size();) {
        const std::uint32_t code = NextCodePoint(text, at);
        if (code >= 0x10000) {
            PutUtf16(bytes, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
            PutUtf16(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
        } else {
            PutUtf16(bytes, code, bigEndian);
        }
    }
    return bytes;
}

std::string LoneSurrogatesAsRead(std::string_view text) {
    std::string read(text);
    // A surrogate's three-byte form (ED A0..BF xx) is as long as U+FFFD's.
    for (size_t at = read.find('\xED'); at != std::string::npos; at = read.find('\xED', at + 1))
        if (at + 2 < read.size() && (static_cast<unsigned char>(read[at + 1]) & 0xE0) == 0xA0 &&
            (static_cast<unsigned char>(read[at + 2]) & 0xC0) == 0x80)
            read.replace(at, 3, "\xEF\xBF\xBD");
    return read;
}
