// Length-limited text operations for fixed buffers. Every fixed-size text
// buffer of Lumbrasket (above all the 260-byte path buffers) is filled through
// these: they never write past the capacity, always terminate, cut what does
// not fit and say so in a status code instead of failing.
#pragma once

#include <cstddef>
#include <cstdint>

// A path, a single settings value, an extension or a field value: at most 259
// bytes of 8-bit text and a terminating NUL.
constexpr std::size_t kPathBufferSize = 260;

// Status codes, the platform's result codes for system errors 87 and 122.
using Status = std::int32_t;
constexpr Status kStatusSuccess = 0;
constexpr Status kStatusInvalidArgument = static_cast<Status>(0x80070057u);
constexpr Status kStatusInsufficientBuffer = static_cast<Status>(0x8007007Au);

// Capacity 1 to this many bytes, terminator included.
constexpr std::size_t kMaxCapacity = 0x7FFFFFFF;

// Success; the insufficient-buffer status when the text was cut to fit; the
// invalid-argument status for a capacity of 0 or above kMaxCapacity, a count
// above kMaxCapacity - 1, or (appending) a destination without a terminator
// within the capacity.
Status BoundedCopy(char* destination, std::size_t capacity, const char* source);
Status BoundedCopyN(char* destination, std::size_t capacity, const char* source, std::size_t count);
Status BoundedAppend(char* destination, std::size_t capacity, const char* source);
// As above; appends at most `count` characters of the source.
Status BoundedAppendN(char* destination, std::size_t capacity, const char* source,
                      std::size_t count);
// Success, or the invalid-argument status when no NUL lies within `limit`.
// `length` gets the count of bytes before the NUL, or 0 when none was found.
Status BoundedLength(const char* text, std::size_t limit, std::size_t* length);

// The status of the conversion, with the value's text in the radix (2 to 36;
// radix 10 signed) in a buffer of kNumberTextSize characters; the output is
// empty when it failed.
constexpr std::size_t kNumberTextSize = 20;
Status IntToText(std::int32_t value, char* output, int radix);
