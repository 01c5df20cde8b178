// Shared pieces of the fuzz targets: a reader that takes values from the fuzzer's bytes, and the
// check that turns a broken promise into a crash libFuzzer reports with its input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A failed check prints what was expected and aborts, so the input is saved as a crash artifact.
#define FUZZ_CHECK(condition, ...)                                                   \
    do {                                                                             \
        if (!(condition)) {                                                          \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n  ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                       \
            std::fprintf(stderr, "\n");                                              \
            std::abort();                                                            \
        }                                                                            \
    } while (0)

// Takes values from the front of the input; once it is used up every value reads as 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Left() const { return size_ - pos_; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t U16() {
        uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }
    uint32_t U32() {
        uint32_t low = U16();
        return low | (uint32_t(U16()) << 16);
    }
    // Up to `count` bytes; fewer when the input ends first.
    const uint8_t* Take(size_t count, size_t* taken) {
        *taken = count < Left() ? count : Left();
        const uint8_t* start = data_ + pos_;
        pos_ += *taken;
        return start;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
