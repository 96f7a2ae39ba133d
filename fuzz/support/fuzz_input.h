// Reading a fuzzer's input as a sequence of small values: past the end every value reads as
// zero and every text as empty, so that each input means one definite run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz_support {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return at_ >= size_; }

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t U16() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | Byte() << 8);
    }
    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | static_cast<std::uint32_t>(U16()) << 16;
    }
    bool Flag() { return Byte() & 1; }

    // Up to n bytes, fewer when the input ends.
    std::string Bytes(std::size_t n) {
        const std::size_t left = at_ < size_ ? size_ - at_ : 0;
        const std::size_t take = n < left ? n : left;
        std::string s(reinterpret_cast<const char*>(data_ + at_), take);
        at_ += take;
        return s;
    }
    // A text with its length in front: one byte, or two when the first is 0xFF.
    std::string Text() {
        std::size_t n = Byte();
        if (n == 0xFF)
            n = U16();
        return Bytes(n);
    }
    // Everything that is left.
    std::string Rest() { return Bytes(size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace fuzz_support
