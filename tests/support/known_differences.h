// Where the system under a test differs from our Linux implementation of the
// Win32 subset in ways the product never depends on: the tests that meet
// such a difference ask these flags instead of the product's header.
#pragma once

#include "platform/win32.h"

// The Windows build: its paths take '\'.
constexpr bool kTestsRunOnWindows = kPathSeparator == '\\';

// Whether a variable may hold a value longer than Windows' 32767
// characters. Linux's environment may; Windows refuses to set one (and
// Wine's refusal then passes on memory it never set).
constexpr bool kEnvironmentHoldsOverlongValues = !kTestsRunOnWindows;

// Whether a section listing asked into a buffer of one byte stays in it.
// Ours does; Wine's writes its second closing NUL one byte past the buffer.
constexpr bool kListingStaysInOneByte = !kTestsRunOnWindows;
