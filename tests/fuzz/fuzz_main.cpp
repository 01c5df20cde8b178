#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    FuzzOne(in);
    return 0;
}
