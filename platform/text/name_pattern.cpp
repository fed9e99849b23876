// Matching a name against a pattern, character by character. The pattern is
// taken apart at its stars: the part before the first star must match the
// name's start and the part after the last star its end; each part between
// is placed at its leftmost match after the one before, which is always a
// right choice (any later place leaves the parts after it less room), so no
// star is ever tried twice. A byte below 128 is a whole character wherever
// a character may start, in every code page we run under; only other bytes
// ask the code page where their character ends.
#include "platform/text/name_pattern.h"

#include "platform/text/ascii.h"
#include "platform/text/utf8.h"
#include "platform/code_page.h"

#include <cstdint>
#include <cstring>

namespace {

// The end of the character at `at` in the code page in effect, never past
// `end`.
const char* MultibyteCharacterEnd(const char* at, const char* end) {
    if (MultibyteCodePage() == kUtf8CodePage)
        return Utf8CharacterEnd(at, end);
    // The code page reads a lead byte's partner up to a terminator: it gets
    // a terminated copy, so no byte at or past `end` is read, and a lead
    // byte cut off by `end` is a character of its own, as at a terminator.
    const char pair[3] = {at[0], end - at > 1 ? at[1] : '\0', '\0'};
    return at + (NextCharacter(pair) - pair);
}

// The end of the character at `at`, which is never past `end`.
inline const char* CharacterEnd(const char* at, const char* end) {
    return static_cast<unsigned char>(*at) < 0x80 ? at + 1 : MultibyteCharacterEnd(at, end);
}

// The count of characters in [at, end). Eight bytes below 128 are eight
// characters, taken in one step.
std::size_t CountCharacters(const char* at, const char* end) {
    std::size_t count = 0;
    while (at < end) {
        std::uint64_t eight;
        if (end - at >= 8 && (std::memcpy(&eight, at, 8), (eight & 0x8080808080808080ull) == 0)) {
            at += 8;
            count += 8;
        } else {
            at = CharacterEnd(at, end);
            ++count;
        }
    }
    return count;
}

// Only a one-byte character can be a letter: the bytes of a longer one
// compare as they are, even where a code page's second byte looks like one.
inline bool SameCharacter(const char* a, const char* aEnd, const char* b, const char* bEnd) {
    if (aEnd - a != bEnd - b)
        return false;
    return aEnd - a == 1 ? FoldAscii(*a) == FoldAscii(*b)
                         : std::memcmp(a, b, static_cast<std::size_t>(aEnd - a)) == 0;
}

// Where a match of a star-free stretch of the pattern leaves the pattern and
// the name; `n` is nullptr when it fails.
struct Stop {
    const char* p;
    const char* n;
};

// Where the pattern from `p`, matched against the name from `n` up to the
// first star or `pEnd` ('?' taking any one character), leaves both.
Stop MatchUpToStar(const char* p, const char* pEnd, const char* n, const char* nEnd) {
    while (p < pEnd && *p != '*') {
        if (n == nEnd)
            return {p, nullptr};
        const char c = *p;
        const char d = *n;
        if (static_cast<unsigned char>(c | d) < 0x80) { // two one-byte characters
            if (c != d && c != '?' && FoldAscii(c) != FoldAscii(d))
                return {p, nullptr};
            ++p;
            ++n;
            continue;
        }
        const char* pNext = CharacterEnd(p, pEnd);
        const char* nNext = CharacterEnd(n, nEnd);
        if (c != '?' && !SameCharacter(p, pNext, n, nNext))
            return {p, nullptr};
        p = pNext;
        n = nNext;
    }
    return {p, n};
}

// Literal parts longer than kShortCharacters, up to kIndexedCharacters, are
// searched in one pass over the name. A shorter one is tried at each place:
// no more than that many comparisons for each character of the name, and
// cheaper than building the index for it.
constexpr std::size_t kShortCharacters = 8;
constexpr std::size_t kIndexedCharacters = 256;

// Where the leftmost match of the literal part [part, partEnd) of `count`
// characters (1 to kIndexedCharacters) in the name from `n` ends, the
// characters read counted off `left`; nullptr when there is none. By
// Knuth-Morris-Pratt over characters: the name is read once, since after a
// mismatch the longest border of what did match says how much of the part
// is matched already.
const char* FindLiteral(const char* part, const char* partEnd, std::size_t count, const char* n,
                        const char* nEnd, std::size_t& left) {
    std::uint16_t start[kIndexedCharacters + 1]; // each character's offset in the part
    std::uint16_t border[kIndexedCharacters];    // of the part's first i + 1 characters
    const char* at = part;
    for (std::size_t i = 0; i < count; ++i, at = CharacterEnd(at, partEnd))
        start[i] = static_cast<std::uint16_t>(at - part);
    start[count] = static_cast<std::uint16_t>(partEnd - part);
    auto same = [&](std::size_t i, const char* c, const char* cEnd) {
        return SameCharacter(part + start[i], part + start[i + 1], c, cEnd);
    };
    border[0] = 0;
    for (std::size_t i = 1, matched = 0; i < count; ++i) {
        const char* c = part + start[i];
        while (matched > 0 && !same(matched, c, part + start[i + 1]))
            matched = border[matched - 1];
        if (same(matched, c, part + start[i + 1]))
            ++matched;
        border[i] = static_cast<std::uint16_t>(matched);
    }
    for (std::size_t matched = 0; n < nEnd;) {
        const char* next = CharacterEnd(n, nEnd);
        while (matched > 0 && !same(matched, n, next))
            matched = border[matched - 1];
        if (same(matched, n, next))
            ++matched;
        n = next;
        --left;
        if (matched == count)
            return n;
    }
    return nullptr;
}

// Where the leftmost match of the part [part, partEnd) between two stars, of
// `count` characters, in the name from `n` ends, or nullptr; `left` is the
// characters left there and `need` those that the pattern from this part on
// takes. A part holding '?' (which a border cannot take into account), a
// short one, or one too long for the index, is tried at each character in
// turn: its star is the only one ever backtracked to, and only to places
// that leave the rest enough characters.
const char* FindPart(const char* part, const char* partEnd, std::size_t count, bool literal,
                     const char* n, const char* nEnd, std::size_t& left, std::size_t need) {
    if (literal && count > kShortCharacters && count <= kIndexedCharacters)
        return FindLiteral(part, partEnd, count, n, nEnd, left);
    // Most places fail on the first character, often a one-byte one.
    const char first = FoldAscii(*part);
    const bool oneByteFirst = static_cast<unsigned char>(first) < 0x80 && first != '?';
    for (; left >= need; --left, n = CharacterEnd(n, nEnd)) {
        if (oneByteFirst && FoldAscii(*n) != first)
            continue;
        if (const char* end = MatchUpToStar(part, partEnd, n, nEnd).n) {
            left -= count;
            return end;
        }
    }
    return nullptr;
}

} // namespace

bool MatchesNamePattern(const char* pattern, std::size_t patternLength, const char* name,
                        std::size_t nameLength) {
    const char* pEnd = pattern + patternLength;
    const char* nEnd = name + nameLength;

    // The part before the first star anchors at the start.
    const Stop head = MatchUpToStar(pattern, pEnd, name, nEnd);
    if (head.n == nullptr)
        return false;
    if (head.p == pEnd)
        return head.n == nEnd;
    const char* p = head.p;
    const char* n = head.n;

    // Every character of the rest but a star takes one character of the
    // name, so a name with fewer left cannot match. The last part must take
    // exactly the name's last characters.
    std::size_t need = 0;
    std::size_t tailCount = 0;
    const char* tail = p;
    for (const char* at = p; at < pEnd;) {
        if (*at == '*') {
            tail = ++at;
            tailCount = 0;
        } else {
            at = CharacterEnd(at, pEnd);
            ++need;
            ++tailCount;
        }
    }
    if (need == 0)
        return true; // only stars are left, and they take any rest
    std::size_t left = CountCharacters(n, nEnd);
    if (left < need)
        return false;

    // The parts between stars, each at its leftmost place. A star is found
    // only where a character starts: a code page's second byte may be '*'.
    for (++p; p < tail;) {
        if (*p == '*') {
            ++p; // a run of stars is one star
            continue;
        }
        const char* partEnd = p;
        std::size_t count = 0;
        bool literal = true;
        for (; *partEnd != '*'; partEnd = CharacterEnd(partEnd, tail), ++count)
            literal = literal && *partEnd != '?';
        n = FindPart(p, partEnd, count, literal, n, nEnd, left, need);
        if (n == nullptr)
            return false;
        need -= count;
        if (left < need)
            return false;
        p = partEnd + 1;
    }
    if (tail == pEnd)
        return true;

    // The last part starts where exactly its own characters are left: as
    // many bytes before the end when every character left is one byte.
    if (left == static_cast<std::size_t>(nEnd - n)) {
        n = nEnd - tailCount;
        left = tailCount;
    }
    for (; left > tailCount; --left)
        n = CharacterEnd(n, nEnd);
    return MatchUpToStar(tail, pEnd, n, nEnd).n == nEnd;
}
