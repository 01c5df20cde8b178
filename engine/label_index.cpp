#include "label_index.h"

#include <cstdlib>
#include <cstring>

#include "engine.h"
#include "opcodes.h"

namespace {

uint32_t CountLabels(const uint8_t* code, uint32_t units) {
    uint32_t count = 0;
    for (uint32_t u = 0; u < units; ++u) count += code[2 * u] == OP_LABEL;
    return count;
}

// The successor of position 2u in the search, as a unit; `units` or more when the search stops there.
uint32_t NextUnit(const uint8_t* code, uint32_t u) {
    return u + 1 + (code[2 * u] == OP_SKIP ? code[2 * u + 1] : 0);
}

}  // namespace

void FreeLabelIndex(LabelIndex* index) {
    std::free(index->memory);
    *index = LabelIndex{};
}

bool BuildLabelIndex(LabelIndex* built, const uint8_t* code, uint32_t size) {
    FreeLabelIndex(built);
    const uint32_t units = size / 2;
    const uint32_t blocks = CountLabels(code, units) + 1;
    const size_t bytes = sizeof(LabelBlock) * blocks * 2 + sizeof(uint16_t) * units;
    void* memory = gCodeImageAllocator(bytes);
    if (!memory) return false;
    auto* blocksStart = static_cast<LabelBlock*>(memory);
    LabelIndex index{units, nullptr, blocksStart, blocksStart + blocks, memory};
    index.rootOf = reinterpret_cast<uint16_t*>(index.leaves + blocks);
    std::memset(index.roots[0], 0, sizeof(LabelBlock));  // the empty maps
    std::memset(index.leaves[0], 0, sizeof(LabelBlock));
    // Successors lie further on, so walking backwards finds every successor's map ready.
    uint16_t used = 0;
    for (uint32_t u = units; u-- > 0;) {
        const uint8_t opcode = code[2 * u];
        const uint32_t next = NextUnit(code, u);
        const uint16_t successor = opcode == OP_END || next >= units ? 0 : index.rootOf[next];
        if (opcode != OP_LABEL) {
            index.rootOf[u] = successor;
            continue;
        }
        const uint8_t label = code[2 * u + 1];
        const uint16_t root = ++used;
        std::memcpy(index.roots[root], index.roots[successor], sizeof(LabelBlock));
        const uint16_t leaf = index.roots[successor][label / LABEL_BLOCK_SIZE];
        std::memcpy(index.leaves[root], index.leaves[leaf], sizeof(LabelBlock));
        index.leaves[root][label % LABEL_BLOCK_SIZE] = static_cast<uint16_t>(u + 1);
        index.roots[root][label / LABEL_BLOCK_SIZE] = root;
        index.rootOf[u] = root;
    }
    *built = index;
    return true;
}

