// Where every jump lands, worked out once when a code image is installed, so that a jump costs
// the same however far its label lies.
//
// A label search starts at an instruction and steps forward, over one instruction or over a SKIP
// and its data, until it meets an opcode 0 or the image's end. So every instruction position has
// one successor further on, and the positions form trees whose roots are those stops; a search
// finds the first LABEL on the way from its start to the root. The index gives every position a
// map from label number to that first LABEL. A position shares its successor's map, except a LABEL,
// which copies the two 16-entry blocks its own number changes.
//
// What decides a search is the opcode bytes and the operands of LABEL and SKIP. While an image is
// installed the engine writes only the operand of a TGSEL (toggle bits); positions are always even,
// so that byte is never read as an opcode nor as another instruction's operand.
#pragma once
#include <cstdint>

constexpr uint32_t LABEL_NOT_FOUND = 0xFFFFFFFF;
// A label number picks a root entry with its high 4 bits and a leaf entry with its low 4 bits.
constexpr uint32_t LABEL_BLOCK_SIZE = 16;
using LabelBlock = uint16_t[LABEL_BLOCK_SIZE];

// Block 0 of each kind is the empty map. A leaf entry holds the LABEL's position / 2 + 1, 0 for none.
struct LabelIndex {
    uint32_t units;      // instruction positions: 0, 2, ... 2 * (units - 1)
    uint16_t* rootOf;    // root block of each position / 2
    LabelBlock* roots;   // root entry: leaf block
    LabelBlock* leaves;
    void* memory;        // one allocation for all three arrays
};

// Builds the index for `size` (at most MAX_IMAGE_SIZE) bytes of code, replacing any earlier one.
// False when memory cannot be had.
bool BuildLabelIndex(LabelIndex* index, const uint8_t* code, uint32_t size);
void FreeLabelIndex(LabelIndex* index);

// The position after the first LABEL `label` that a search from the even position `from` reaches,
// or LABEL_NOT_FOUND. Inline: every taken jump asks.
inline uint32_t FindLabel(const LabelIndex& index, uint32_t from, uint8_t label) {
    const uint32_t u = from / 2;
    if (u >= index.units) return LABEL_NOT_FOUND;
    const uint16_t leaf = index.roots[index.rootOf[u]][label / LABEL_BLOCK_SIZE];
    const uint16_t found = index.leaves[leaf][label % LABEL_BLOCK_SIZE];
    return found ? uint32_t(found) * 2 : LABEL_NOT_FOUND;
}
