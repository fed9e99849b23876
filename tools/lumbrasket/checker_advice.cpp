// The checker's advice, each a plain function of its input.
#include "tools/lumbrasket/checker_advice.h"

#include "platform/text/ascii.h"
#include <algorithm>
#include <cstdint>

namespace {

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

// The pieces with '|' between them.
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
    const std::string a = FoldedAscii(written);
    for (const std::string& candidate : candidates) {
        const std::string b = FoldedAscii(candidate);
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
