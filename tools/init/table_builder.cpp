// The table builder of `lumbrasket init`. It takes records as a database
// lists them and settles, pattern by pattern, which type owns it: the same
// text folded (the plugin matches the letters A to Z in either case) is one
// pattern, so the patterns it writes never collide.
#include "tools/init/table_builder.h"

#include "platform/text/ascii.h"
#include "settings/bounded_string.h"
#include "platform/text/printable_text.h"
#include "platform/code_page.h"
#include "groups/group_keys.h"
#include "platform/text/ini_value.h"
#include "tools/init/kind_table.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace {

// A value is read up to this many bytes; a list is split before it.
constexpr std::size_t kListBytes = kPathBufferSize - 1;
// A character class, and a whole pattern, expands to at most this many.
constexpr std::size_t kMostExpanded = 10;

// Why the settings file cannot carry the pattern as the database means it;
// empty when it can.
std::string CannotCarry(const std::string& glob) {
    if (glob.size() > kListBytes)
        return "longer than the 259 bytes a list holds";
    if (glob.find('|') != std::string::npos)
        return "holds '|', which separates patterns";
    if (glob.find_first_of("/\\") != std::string::npos)
        return "holds a path separator or an escape";
    if (IsValueBlank(glob.front()) || IsValueBlank(glob.back()))
        return "begins or ends with a blank, which the settings reader drops";
    // A list that begins and ends with one kind of quote loses both.
    if (glob.front() == '"' || glob.front() == '\'' || glob.back() == '"' || glob.back() == '\'')
        return "begins or ends with a quote, which the settings reader may drop";
    if (HasNonAscii(glob) && IsValidUtf8(glob) != (MultibyteCodePage() == kUtf8CodePage))
        return "is not in this system's encoding of names";
    if (HasControlCharacters(glob))
        return "holds control characters";
    if (glob.find_first_not_of("*?") == std::string::npos)
        return "matches (nearly) every name, and a mask wins over every extension";
    return std::string();
}

// The glob with each character class written out, every pattern it stands
// for; false, with the reason, when a class is negated, holds a character
// a mask reads as a wildcard, or is too large, or the whole too many.
bool ExpandClasses(const std::string& glob, std::vector<std::string>& patterns, std::string& why) {
    patterns.assign(1, std::string());
    for (std::size_t at = 0; at < glob.size(); ++at) {
        std::size_t end = std::string::npos;
        if (glob[at] == '[') {
            if (at + 1 < glob.size() && (glob[at + 1] == '!' || glob[at + 1] == '^')) {
                why = "a negated character class";
                return false;
            }
            end = glob.find(']', at + 2); // a ']' first in the class is a member
        }
        if (glob[at] != '[' || end == std::string::npos) {
            // An unclosed '[' stands for itself, in the mask as in the glob.
            for (std::string& pattern : patterns)
                pattern += glob[at];
            continue;
        }
        std::string members;
        for (std::size_t in = at + 1; in < end; ++in) {
            const unsigned char first = static_cast<unsigned char>(glob[in]);
            unsigned char last = first;
            if (in + 2 < end && glob[in + 1] == '-') {
                last = static_cast<unsigned char>(glob[in + 2]);
                in += 2;
            }
            for (unsigned c = first; c <= last && members.size() <= kMostExpanded; ++c)
                if (members.find(static_cast<char>(c)) == std::string::npos)
                    members += static_cast<char>(c);
        }
        if (members.size() > kMostExpanded || patterns.size() * members.size() > kMostExpanded) {
            why = "a character class of more than 10 characters, or more than 10 patterns";
            return false;
        }
        if (members.empty() || members.find_first_of("*?[]") != std::string::npos ||
            HasNonAscii(members)) {
            why = "a character class of wildcards or of characters beyond ASCII";
            return false;
        }
        std::vector<std::string> expanded;
        for (const std::string& pattern : patterns)
            for (char member : members)
                expanded.push_back(pattern + member);
        patterns.swap(expanded);
        at = end;
    }
    return true;
}

// The extension a pattern names when it is exactly "*.ext", else empty: any
// other pattern, a dot or a wildcard in the rest included, is a mask.
std::string ExtensionOf(const std::string& pattern) {
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0 ||
        pattern.find_first_of("*?.;,[", 2) != std::string::npos)
        return std::string();
    return pattern.substr(2);
}

struct Candidate {
    std::string pattern; // as it will be written: as the database writes it
    std::size_t record;  // the record's place in the database
    // Case-sensitive with letters that folding changes: it means the file
    // names of its own spelling only.
    bool cased;
};

// The pieces joined with '|' into lists of at most kListBytes each.
std::vector<std::string> Lists(std::vector<std::string> pieces) {
    std::sort(pieces.begin(), pieces.end(), [](const std::string& a, const std::string& b) {
        const std::string foldedA = FoldedAscii(a);
        const std::string foldedB = FoldedAscii(b);
        return foldedA != foldedB ? foldedA < foldedB : a < b;
    });
    std::vector<std::string> lists;
    for (const std::string& piece : pieces) {
        if (!lists.empty() && lists.back().size() + 1 + piece.size() <= kListBytes)
            lists.back() += "|" + piece;
        else
            lists.push_back(piece);
    }
    return lists;
}

struct KindPatterns {
    std::string kind;
    std::vector<std::string> extensions;
    std::vector<std::string> masks;
};

// Notes the pattern as left out of the table, unless its type has no kind: a
// type without one loses nothing, its files get the fallback group all the
// same. A pattern written out of a character class names the glob it came
// from.
void LeaveOut(const TypeGlob& of, const std::string& pattern, const std::string& why,
              std::vector<std::string>& leftOut) {
    if (of.kind.empty())
        return;
    const std::string from = pattern == of.glob ? "" : ", from " + PrintableText(of.glob);
    leftOut.push_back(PrintableText(pattern) + " (" + PrintableText(of.type) + from + "): " + why);
}

// Every pattern the records claim, by its folded text, in the order the
// texts first occur; and the types without a kind.
struct Claims {
    std::vector<std::string> order;
    std::unordered_map<std::string, std::vector<Candidate>> byFolded;
    std::vector<std::string> withoutKind;
    // The same types, asked once a record: a database may list types by
    // the hundred thousand, and a search of the list each time is quadratic.
    std::unordered_set<std::string> seenWithoutKind;
};

// The records' claims; a pattern the settings file cannot carry is noted in
// `leftOut` instead.
Claims CollectClaims(const std::vector<TypeGlob>& records, std::vector<std::string>& leftOut) {
    Claims claims;
    for (std::size_t index = 0; index < records.size(); ++index) {
        const TypeGlob& record = records[index];
        if (record.kind.empty() && claims.seenWithoutKind.insert(record.type).second)
            claims.withoutKind.push_back(record.type);
        if (record.glob.empty())
            continue;
        // An escape changes what the classes after it mean, which the
        // expansion does not follow: such a glob goes whole. Any other rule is
        // one for each pattern the glob stands for, since a class may hold the
        // very character a rule refuses ("[{-}]" holds '|').
        std::string why =
            record.glob.find('\\') != std::string::npos ? CannotCarry(record.glob) : "";
        std::vector<std::string> patterns;
        if (why.empty() && !ExpandClasses(record.glob, patterns, why))
            patterns.clear();
        if (!why.empty()) {
            LeaveOut(record, record.glob, why, leftOut);
            continue;
        }
        for (const std::string& pattern : patterns) {
            const std::string refused = CannotCarry(pattern);
            if (!refused.empty()) {
                LeaveOut(record, pattern, refused, leftOut);
                continue;
            }
            const std::string folded = FoldedAscii(pattern);
            std::vector<Candidate>& rivals = claims.byFolded[folded];
            if (rivals.empty())
                claims.order.push_back(folded);
            rivals.push_back(Candidate{pattern, index, record.caseSensitive && pattern != folded});
        }
    }
    return claims;
}

// Whether the type's top-level media type names a kind of its own, as
// application/ and text/ do not.
bool MediaTypeNamesAKind(const std::string& type) {
    for (const char* top : {"font/", "image/", "audio/", "video/"})
        if (type.compare(0, std::strlen(top), top) == 0)
            return true;
    return false;
}

// Of the rivals for a pattern, the one of the highest weight (the sample's
// is above every database's); of several types at that weight, one whose
// media type names a kind (font/, image/, audio/, video/) before the others,
// else the one listed first. A tie between types is noted with what decided
// it.
const Candidate* Winner(const std::vector<TypeGlob>& records,
                        const std::vector<const Candidate*>& rivals,
                        std::vector<std::string>& ties) {
    int weight = records[rivals[0]->record].weight;
    for (const Candidate* claim : rivals)
        weight = std::max(weight, records[claim->record].weight);
    std::vector<const Candidate*> top;
    for (const Candidate* claim : rivals)
        if (records[claim->record].weight == weight &&
            std::none_of(top.begin(), top.end(), [&](const Candidate* kept) {
                return records[kept->record].type == records[claim->record].type;
            }))
            top.push_back(claim);
    const auto named = std::find_if(top.begin(), top.end(), [&](const Candidate* claim) {
        return MediaTypeNamesAKind(records[claim->record].type);
    });
    const Candidate* winner = named == top.end() ? top[0] : *named;
    if (top.size() > 1) {
        std::string others;
        for (const Candidate* claim : top)
            if (claim != winner)
                others += (others.empty() ? "" : ", ") + PrintableText(records[claim->record].type);
        const bool byMediaType =
            named != top.end() && std::any_of(top.begin(), top.end(), [&](const Candidate* claim) {
                return !MediaTypeNamesAKind(records[claim->record].type);
            });
        ties.push_back(PrintableText(winner->pattern) + ": " +
                       PrintableText(records[winner->record].type) + ", over " + others +
                       (byMediaType ? " (its media type names a kind)" : " (listed first)"));
    }
    return winner;
}

// The kinds and their patterns, in the order of their group numbers.
struct Settled {
    std::map<std::size_t, KindPatterns> kinds; // by rank, then first seen
    std::vector<std::string> ties;
};

// Each pattern's winner in its kind, ties noted; a case-sensitive pattern
// that loses its place to another spelling is noted in `leftOut`.
Settled SettleClaims(const std::vector<TypeGlob>& records, Claims& claims,
                     std::vector<std::string>& leftOut) {
    Settled settled;
    std::vector<std::string> kindNames;
    for (const std::string& folded : claims.order) {
        const std::vector<Candidate>& all = claims.byFolded[folded];
        // A case-sensitive pattern with capitals keeps its place only where
        // no other pattern folds to the same text.
        std::vector<const Candidate*> plain;
        std::vector<const Candidate*> cased;
        for (const Candidate& claim : all)
            (claim.cased ? cased : plain).push_back(&claim);
        const bool onlyOneCased =
            plain.empty() && std::all_of(cased.begin(), cased.end(), [&](const Candidate* claim) {
                return claim->pattern == cased[0]->pattern;
            });
        const std::vector<const Candidate*>& rivals = onlyOneCased ? cased : plain;
        const Candidate* winner = rivals.empty() ? nullptr : Winner(records, rivals, settled.ties);
        if (!onlyOneCased)
            for (const Candidate* claim : cased)
                LeaveOut(records[claim->record], claim->pattern,
                         "case-sensitive, and " +
                             (winner == nullptr
                                  ? std::string("other patterns differ from it only in case")
                                  : PrintableText(winner->pattern) + " (" +
                                        PrintableText(records[winner->record].type) +
                                        ") is the same pattern to the plugin"),
                         leftOut);
        if (winner == nullptr || records[winner->record].kind.empty())
            continue;
        const std::string& kind = records[winner->record].kind;
        auto named = std::find(kindNames.begin(), kindNames.end(), kind);
        if (named == kindNames.end())
            named = kindNames.insert(kindNames.end(), kind);
        // Kinds outside the order keep the order they were first seen in:
        // ranked after the order, then by when they were first seen.
        constexpr std::size_t kKindsPerRank = 1000;
        KindPatterns& entry = settled.kinds[KindRank(kind) * kKindsPerRank +
                                            static_cast<std::size_t>(named - kindNames.begin())];
        entry.kind = kind;
        const std::string extension = ExtensionOf(winner->pattern);
        (extension.empty() ? entry.masks : entry.extensions)
            .push_back(extension.empty() ? winner->pattern : extension);
    }
    return settled;
}

// The [Groups] lines: one group number per kind, what passes one value
// continued in its group's continuation keys.
std::string LayOutGroups(const std::map<std::size_t, KindPatterns>& kinds, InitTable& table) {
    std::string groups;
    for (const auto& each : kinds) {
        const KindPatterns& kind = each.second;
        const std::vector<std::string> extensions = Lists(kind.extensions);
        const std::vector<std::string> masks = Lists(kind.masks);
        table.patterns += kind.extensions.size() + kind.masks.size();
        const std::uint32_t number = static_cast<std::uint32_t>(table.groups++);
        for (std::size_t part = 0; part < extensions.size(); ++part)
            groups += (part == 0 ? std::to_string(number)
                                 : GroupKeyText(GroupKeyName{number, GroupKeyKind::kListMore,
                                                             static_cast<std::uint32_t>(part)})) +
                      "=" + extensions[part] + "\n";
        for (std::size_t part = 0; part < masks.size(); ++part)
            groups += (part == 0 ? std::to_string(number) + "_masks"
                                 : GroupKeyText(GroupKeyName{number, GroupKeyKind::kMasksMore,
                                                             static_cast<std::uint32_t>(part)})) +
                      "=" + masks[part] + "\n";
        groups += std::to_string(number) + "_name=" + kind.kind + "\n";
    }
    return groups;
}

// Comment lines of the texts, several to a line as they fit.
std::string ListedInLines(const std::vector<std::string>& texts) {
    std::string lines;
    std::string line;
    for (const std::string& text : texts) {
        if (!line.empty() && line.size() + 1 + text.size() > 76) {
            lines += line + "\n";
            line.clear();
        }
        line += (line.empty() ? ";   " : " ") + PrintableText(text);
    }
    return line.empty() ? lines : lines + line + "\n";
}

std::string OpeningComment(const TypeDatabase& database, const InitTable& table,
                           const Settled& settled, const std::vector<std::string>& withoutKind) {
    std::string text =
        "; Lumbrasket settings, written by `lumbrasket init` from\n; " +
        PrintableText(database.source) +
        ".\n"
        ";\n"
        "; [Groups] holds, per group N, an extension list (N=), a name (N_name=) and\n"
        "; name masks (N_masks=). Groups are numbered 0, 1, 2 and so on without gaps;\n"
        "; reading stops at the first number that has neither an extension list nor\n"
        "; masks. Extensions are written without dots; masks are file names in which *\n"
        "; stands for any run of characters and ? for one character. Both are\n"
        "; separated by |, and the case of the letters A to Z does not matter. A mask\n"
        "; that matches a file's name wins over every extension; among masks, and\n"
        "; among extensions, the lower number wins. A kind whose list would pass the\n"
        "; 259 bytes a value holds continues in keys of its own group: N_more, N_more2\n"
        "; and so on for extensions, N_masks_more, N_masks_more2 and so on for masks.\n"
        "; A plugin older than these keys gives the continued patterns the fallback\n"
        "; group.\n"
        ";\n"
        "; Every pattern the sample settings list takes the sample's kind; the\n"
        "; database adds the patterns the sample is silent on, each type to the kind\n"
        "; of the first rule below that matches it:\n" +
        KindTableComment() + ";\n; " + std::to_string(table.patterns) + " patterns in " +
        std::to_string(table.groups) + " groups.\n; " + std::to_string(settled.ties.size()) +
        " patterns were claimed by several types of the highest weight, and went to\n"
        "; a type whose media type names a kind (font/, image/, audio/, video/) before\n"
        "; application/ and text/ ones, else to the one listed first:\n";
    for (const std::string& tie : settled.ties)
        text += ";   " + tie + "\n";
    text += "; " + std::to_string(table.typesWithoutKind) +
            " types match no rule: their files get the fallback group, " + kInitFallbackName +
            ":\n" + ListedInLines(withoutKind) +
            "; [Configuration] ReloadWhenChanged=1 has the plugin read this file again\n"
            "; after an edit, without a restart of the file manager.\n";
    text += "; Left out (" + std::to_string(table.leftOut.size()) + "):\n";
    for (const std::string& line : table.leftOut)
        text += ";   " + line + "\n";
    return text;
}

} // namespace

InitTable BuildInitTable(const TypeDatabase& database) {
    InitTable table;
    Claims claims = CollectClaims(database.globs, table.leftOut);
    table.typesWithoutKind = claims.withoutKind.size();
    const Settled settled = SettleClaims(database.globs, claims, table.leftOut);
    const std::string groups = LayOutGroups(settled.kinds, table);
    table.text = OpeningComment(database, table, settled, claims.withoutKind) + "\n[Groups]\n" +
                 groups + "\n[Configuration]\nUnknownGroupPlaceHolder=" + kInitFallbackName +
                 "\nReloadWhenChanged=1\n";
    return table;
}
