// The choices that follow from which host the build is for, not from the
// system itself: Total Commander on Windows, Double Commander on Linux. The
// system's own facts are in win32.h.
#pragma once

// - kFileTypesInRegistry: where `init` reads the system's file types:
//   Windows keeps them in the registry's classes (HKEY_CLASSES_ROOT\.ext),
//   Linux in the shared MIME-info database, which Linux's registry calls,
//   answering as for a missing key, never reach.
// - kHostSettingsInConfigHome: which host's rules find its settings folder
//   (the tool follows them): on Windows Total Commander's (COMMANDER_INI, the
//   "/i" switch, the program folder, the registry); on Linux Double
//   Commander's (its folder under $XDG_CONFIG_HOME or ~/.config, or the
//   portable one beside its program).
// - kHostNamesMayHoldReplacedCharacters: whether a path the host passes may
//   name nothing as written because the host converted its characters. A
//   Windows host converts names to the 8-bit code page, with '?' for a
//   character it lacks or a look-alike letter by best fit; Linux names are
//   UTF-8 bytes, passed whole.
// - kSwitchOnlyAtWordStart: where a "/x" command-line switch of the host can
//   stand. On Windows anywhere in the line but at its very start; on Linux
//   every absolute path holds '/', so only at the start of a word after the
//   first (the program's own path).
#ifdef _WIN32
constexpr bool kFileTypesInRegistry = true;
constexpr bool kHostSettingsInConfigHome = false;
constexpr bool kHostNamesMayHoldReplacedCharacters = true;
constexpr bool kSwitchOnlyAtWordStart = false;
#else
constexpr bool kFileTypesInRegistry = false;
constexpr bool kHostSettingsInConfigHome = true;
constexpr bool kHostNamesMayHoldReplacedCharacters = false;
constexpr bool kSwitchOnlyAtWordStart = true;
#endif

// Whether the character after a switch's letter lets "/x" stand as a switch.
// Where a switch stands at a word start, that word could still be a path
// ("/images/a.jpg"): a switch is followed by its value's separator ('=' or
// ':'), a blank, a quote or the line's end, which a path rarely continues its
// first component with. On Windows every character does.
inline bool EndsSwitchName(char next) {
    return !kSwitchOnlyAtWordStart || next == '\0' || next == '=' || next == ':' || next == ' ' ||
           next == '\t' || next == '"';
}
