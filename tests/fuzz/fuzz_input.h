// Taking a fuzzer's bytes apart: small numbers and texts, one after another,
// so one input drives a sequence of calls. Runs out quietly: a taker then
// gets zeros and empty texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool Empty() const { return at >= size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    // A text of up to `most` bytes, its length taken from the input first.
    std::string Text(std::size_t most) {
        std::size_t length = Byte() % (most + 1);
        if (length > size - at)
            length = size - at;
        std::string text(reinterpret_cast<const char*>(data + at), length);
        at += length;
        return text;
    }
    // Whatever is left.
    std::string Rest() {
        std::string text(reinterpret_cast<const char*>(data + at), size - at);
        at = size;
        return text;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};
