// Length-limited copy, append and measure. The loops are bounded by the
// capacity and the source limit, so a missing terminator can never make one
// read or write outside its buffers.
#include "settings/bounded_string.h"

#include "platform/win32.h"
#include <cstring>

// A path buffer holds what the system's path calls take (path_spelling.h's
// CutToDirectory fills one).
static_assert(kPathBufferSize == MAX_PATH, "a path buffer is MAX_PATH bytes");

namespace {
constexpr std::size_t kCopyLimit = 0x7FFFFFFE;
constexpr std::size_t kAppendLimit = 0x7FFFFFFF;
} // namespace

Status BoundedLength(const char* text, std::size_t limit, std::size_t* length) {
    std::size_t count = 0;
    while (count < limit && text[count] != '\0')
        ++count;
    if (count == limit) {
        if (length != nullptr)
            *length = 0;
        return kStatusInvalidArgument;
    }
    if (length != nullptr)
        *length = count;
    return kStatusSuccess;
}

namespace {

// Success, or the invalid-argument status for a capacity out of range or,
// when `length` is given, a destination without a terminator within it: the
// steps the operations share. `length`, when given, receives the
// destination's current text length.
Status ValidateDestination(const char* destination, std::size_t capacity, std::size_t* length) {
    if (capacity == 0 || capacity > kMaxCapacity) {
        if (length != nullptr)
            *length = 0;
        return kStatusInvalidArgument;
    }
    if (length == nullptr)
        return kStatusSuccess;
    return BoundedLength(destination, capacity, length);
}

// Success, or the insufficient-buffer status when the copy was cut to fit
// `room` bytes, terminator included.
Status CopyCore(char* destination, std::size_t room, const char* source, std::size_t sourceLimit) {
    // memchr reads no further than the first NUL, so the source is read
    // exactly as far as a byte-by-byte copy would read it.
    const std::size_t limit = room < sourceLimit ? room : sourceLimit;
    const void* nul = std::memchr(source, '\0', limit);
    const std::size_t count =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - source) : limit;
    // The source may be the destination's own text (a prefix kept in place).
    std::memmove(destination, source, count);
    if (count == room) {
        // Full: the last byte written gives way to the terminator.
        destination[count - 1] = '\0';
        return kStatusInsufficientBuffer;
    }
    destination[count] = '\0';
    return kStatusSuccess;
}

} // namespace

Status BoundedCopy(char* destination, std::size_t capacity, const char* source) {
    Status status = ValidateDestination(destination, capacity, nullptr);
    if (status != kStatusSuccess)
        return status;
    return CopyCore(destination, capacity, source, kCopyLimit);
}

Status BoundedCopyN(char* destination, std::size_t capacity, const char* source,
                    std::size_t count) {
    Status status = ValidateDestination(destination, capacity, nullptr);
    if (status != kStatusSuccess)
        return status;
    if (count > kCopyLimit) {
        destination[0] = '\0';
        return kStatusInvalidArgument;
    }
    return CopyCore(destination, capacity, source, count);
}

Status BoundedAppend(char* destination, std::size_t capacity, const char* source) {
    std::size_t length = 0;
    Status status = ValidateDestination(destination, capacity, &length);
    if (status != kStatusSuccess)
        return status;
    return CopyCore(destination + length, capacity - length, source, kAppendLimit);
}

Status BoundedAppendN(char* destination, std::size_t capacity, const char* source,
                      std::size_t count) {
    std::size_t length = 0;
    Status status = ValidateDestination(destination, capacity, &length);
    if (status != kStatusSuccess)
        return status;
    if (count > kCopyLimit)
        return kStatusInvalidArgument;
    return CopyCore(destination + length, capacity - length, source, count);
}

Status IntToText(std::int32_t value, char* output, int radix) {
    const std::size_t size = kNumberTextSize;
    if (radix < 2 || radix > 36) {
        output[0] = '\0';
        return kStatusInvalidArgument;
    }
    char digits[40];
    std::size_t count = 0;
    const bool negative = radix == 10 && value < 0;
    std::uint32_t rest =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        const unsigned digit = rest % static_cast<unsigned>(radix);
        digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        rest /= static_cast<unsigned>(radix);
    } while (rest != 0);
    if (count + (negative ? 1 : 0) + 1 > size) {
        output[0] = '\0';
        return kStatusInsufficientBuffer;
    }
    std::size_t at = 0;
    if (negative)
        output[at++] = '-';
    while (count > 0)
        output[at++] = digits[--count];
    output[at] = '\0';
    return kStatusSuccess;
}
