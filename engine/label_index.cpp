#include "label_index.h"

#include <cstdlib>
#include <cstring>

#include "engine.h"
#include "opcodes.h"

namespace {

// A label number picks a root entry with its high 4 bits and a leaf entry with its low 4 bits.
constexpr uint32_t BLOCK_SIZE = 16;
using Block = uint16_t[BLOCK_SIZE];

// Block 0 of each kind is the empty map. A leaf entry holds the LABEL's position / 2 + 1, 0 for none.
struct LabelIndex {
    uint32_t units;      // instruction positions: 0, 2, ... 2 * (units - 1)
    uint16_t* rootOf;    // root block of each position / 2
    Block* roots;        // root entry: leaf block
    Block* leaves;
    void* memory;        // one allocation for all three arrays
};

LabelIndex gIndex;

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

void FreeLabelIndex() {
    std::free(gIndex.memory);
    gIndex = LabelIndex{};
}

bool BuildLabelIndex(const uint8_t* code, uint32_t size) {
    FreeLabelIndex();
    const uint32_t units = size / 2;
    const uint32_t blocks = CountLabels(code, units) + 1;
    const size_t bytes = sizeof(Block) * blocks * 2 + sizeof(uint16_t) * units;
    void* memory = gCodeImageAllocator(bytes);
    if (!memory) return false;
    LabelIndex index{units, nullptr, static_cast<Block*>(memory), static_cast<Block*>(memory) + blocks, memory};
    index.rootOf = reinterpret_cast<uint16_t*>(index.leaves + blocks);
    std::memset(index.roots[0], 0, sizeof(Block));  // the empty maps
    std::memset(index.leaves[0], 0, sizeof(Block));
    // Successors lie further on, so walking backwards finds every successor's map ready.
    uint16_t used = 0;
    for (uint32_t u = units; u-- > 0;) {
        const uint8_t opcode = code[2 * u];
        const uint32_t next = NextUnit(code, u);
        const uint16_t successor = opcode == OP_END || next >= units ? 0 : index.rootOf[next];
        if (opcode != OP_LABEL) {
            index.rootOf[u] = opcode == OP_END ? 0 : successor;
            continue;
        }
        const uint8_t label = code[2 * u + 1];
        const uint16_t root = ++used;
        std::memcpy(index.roots[root], index.roots[successor], sizeof(Block));
        std::memcpy(index.leaves[root], index.leaves[index.roots[successor][label / BLOCK_SIZE]], sizeof(Block));
        index.leaves[root][label % BLOCK_SIZE] = static_cast<uint16_t>(u + 1);
        index.roots[root][label / BLOCK_SIZE] = root;
        index.rootOf[u] = root;
    }
    gIndex = index;
    return true;
}

uint32_t FindLabel(uint32_t from, uint8_t label) {
    const uint32_t u = from / 2;
    if (u >= gIndex.units) return LABEL_NOT_FOUND;
    const uint16_t leaf = gIndex.roots[gIndex.rootOf[u]][label / BLOCK_SIZE];
    const uint16_t found = gIndex.leaves[leaf][label % BLOCK_SIZE];
    return found ? uint32_t(found) * 2 : LABEL_NOT_FOUND;
}
