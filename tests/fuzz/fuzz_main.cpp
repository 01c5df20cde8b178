// libFuzzer's entry points, the same for every target: FuzzInit once, FuzzOne per input.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return FuzzInit(), 0; }
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    return FuzzOne(in), 0;
}
