// Linux: the encodings a settings file may be saved in, as Windows reads
// them: UTF-8 (with or without a byte-order mark) and UTF-16 in either byte
// order with its byte-order mark (Notepad's "Unicode"). The readers work on
// UTF-8 text; a write puts the file back in the encoding it came in.
#pragma once

#include <string>
#include <string_view>

enum class IniEncoding { kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

// The encoding a file's bytes are in, from its byte-order mark.
IniEncoding IniEncodingOf(const std::string& bytes);
// The file's text as UTF-8 (a UTF-16 byte-order mark dropped, a character
// that cannot be decoded written as U+FFFD), and the encoding it was in.
std::string DecodeIniText(const std::string& bytes, IniEncoding& encoding);
// The file's text as a write edits it: decoded so that EncodeIniText gives
// back every byte. A UTF-16 surrogate without its partner is kept in its
// three-byte UTF-8 form (never valid UTF-8, so no text a caller writes can
// stand for it), and an odd byte at the end is handed back apart in `tail`.
std::string DecodeIniTextExactly(const std::string& bytes, IniEncoding& encoding,
                                 std::string& tail);
// Text from DecodeIniTextExactly as DecodeIniText gives it: each kept lone
// surrogate read as U+FFFD.
std::string LoneSurrogatesAsRead(std::string_view text);
// The UTF-8 text in the encoding, with the UTF-16 byte-order mark.
std::string EncodeIniText(const std::string& text, IniEncoding encoding);