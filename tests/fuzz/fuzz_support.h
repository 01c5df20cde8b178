// The fuzz targets' shared skeleton: each target defines FuzzInit and FuzzOne, fuzz_main.cpp turns
// them into libFuzzer's entry points. A failed check prints what was expected and aborts, so that
// libFuzzer keeps the input as a crash artifact.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, ...)                                                                       \
    do {                                                                                                 \
        if (!(condition)) {                                                                              \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n  ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                                           \
            std::fprintf(stderr, "\n");                                                                  \
            std::abort();                                                                                \
        }                                                                                                \
    } while (0)

// Takes values from the front of the input; once it is used up every value reads as 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    size_t Left() const { return size_ - pos_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Little-endian; the low part is read first.
    uint16_t U16() { const uint16_t low = Byte(); return static_cast<uint16_t>(low | Byte() << 8); }
    uint32_t U32() { const uint32_t low = U16(); return low | uint32_t(U16()) << 16; }
    // Up to `count` bytes; fewer when the input ends first.
    std::string Take(size_t count) {
        const size_t taken = count < Left() ? count : Left();
        pos_ += taken;
        return std::string(reinterpret_cast<const char*>(data_ + pos_ - taken), taken);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Once, before the first input.
void FuzzInit();
// One input; it must not depend on what earlier inputs left behind.
void FuzzOne(ByteReader& in);
