// The pattern is taken apart at its stars. The part before the first star
// must match the name's start and the part after the last star its end;
// each part between stars is then found at its leftmost place after the
// previous one, which is always a right choice, so no star is ever tried
// twice.
#include "name_pattern.h"

#include "ascii.h"
#include "code_page.h"

namespace {

struct Text {
    const char* at;
    const char* end;
};

// The number of name bytes that the star-free part [part, partEnd) matches
// at `name`, or -1 when it does not match there. '?' takes one character.
long MatchHere(const char* part, const char* partEnd, const char* name, const char* nameEnd) {
    const char* n = name;
    for (const char* p = part; p < partEnd; ++p) {
        if (n >= nameEnd)
            return -1;
        if (*p == '?') {
            const char* next = NextCharacter(n);
            n = next > nameEnd ? nameEnd : next;
        } else if (FoldAscii(*p) == FoldAscii(*n)) {
            ++n;
        } else {
            return -1;
        }
    }
    return n - name;
}

const char* FindStar(const char* from, const char* end) {
    while (from < end && *from != '*')
        ++from;
    return from;
}

} // namespace

bool MatchesNamePattern(const char* pattern, std::size_t patternLength, const char* name,
                        std::size_t nameLength) {
    const char* p = pattern;
    const char* pEnd = pattern + patternLength;
    const char* n = name;
    const char* nEnd = name + nameLength;

    // The part before the first star anchors at the start.
    const char* star = FindStar(p, pEnd);
    long used = MatchHere(p, star, n, nEnd);
    if (used < 0)
        return false;
    n += used;
    if (star == pEnd)
        return n == nEnd;

    // The part after the last star anchors at the end; it is matched last.
    const char* lastStar = pEnd;
    while (lastStar > star && lastStar[-1] != '*')
        --lastStar;
    const char* tail = lastStar;

    // Parts between stars: each at its leftmost place.
    p = star + 1;
    while (p < lastStar) {
        const char* next = FindStar(p, lastStar);
        if (next == p) {
            ++p; // a run of stars is one star
            continue;
        }
        long found = -1;
        while (n <= nEnd && (found = MatchHere(p, next, n, nEnd)) < 0) {
            if (n == nEnd)
                return false;
            n = NextCharacter(n);
        }
        if (found < 0)
            return false;
        n += found;
        p = next + 1;
    }

    // The tail must end exactly at the name's end, at a character boundary
    // no earlier than where the middle parts stopped.
    if (tail == pEnd)
        return true;
    for (const char* start = n; start <= nEnd; start = NextCharacter(start)) {
        const long matched = MatchHere(tail, pEnd, start, nEnd);
        if (matched >= 0 && start + matched == nEnd)
            return true;
        if (start == nEnd)
            break;
    }
    return false;
}
