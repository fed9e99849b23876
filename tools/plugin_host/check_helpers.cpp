// The checker's judgements about texts, each a plain function of its input.
#include "check_helpers.h"

#include "ascii.h"
#include <algorithm>

namespace {

std::string Folded(std::string text) {
    for (char& c : text)
        c = FoldAscii(c);
    return text;
}

// Edit distance: insertions, deletions, replacements and swaps of
// neighbours each count one.
std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
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

} // namespace

std::string NearestName(const std::string& written, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 3; // further than two edits is no misspelling
    for (const std::string& candidate : candidates) {
        const std::string a = Folded(written);
        const std::string b = Folded(candidate);
        // A name cut short ("UnknownGroup") is as likely a slip as a typo.
        const bool shortened = a.size() >= 4 && b.compare(0, a.size(), a) == 0;
        const std::size_t distance = shortened ? 1 : Distance(a, b);
        if (distance < bestDistance && distance * 3 <= candidate.size()) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t extra = lead < 0x80   ? 0
                                  : lead < 0xC2 ? 9
                                  : lead < 0xE0 ? 1
                                  : lead < 0xF0 ? 2
                                  : lead < 0xF5 ? 3
                                                : 9;
        if (extra == 9 || at + extra >= text.size())
            return false;
        for (std::size_t i = 1; i <= extra; ++i)
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
                return false;
        at += extra + 1;
    }
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
