// The label search as a plain scan, the reference the label index is checked against: forward
// from `from`, over SKIP data, until an opcode 0 or the image's end.
#pragma once
#include <cstdint>

#include "label_index.h"
#include "opcodes.h"

// first[label] = the position after the first LABEL `label` the scan from `from` passes, or
// LABEL_NOT_FOUND; one scan answers for all 256 labels.
inline void ScanForLabels(const uint8_t* code, uint32_t size, uint32_t from, uint32_t first[256]) {
    for (int label = 0; label < 256; ++label) first[label] = LABEL_NOT_FOUND;
    for (uint32_t pos = from; pos + 2 <= size && code[pos] != OP_END;) {
        if (code[pos] == OP_LABEL && first[code[pos + 1]] == LABEL_NOT_FOUND) first[code[pos + 1]] = pos + 2;
        pos += 2 + (code[pos] == OP_SKIP ? 2u * code[pos + 1] : 0);
    }
}
