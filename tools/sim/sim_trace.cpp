#include "sim_trace.h"

#include <string>

#include "engine.h"
#include "listing.h"

namespace {

struct TraceState {
    const ScriptNames* names = nullptr;
    std::FILE* out = nullptr;
    bool pending = false;  // an instruction waits for the position of the next one
    uint32_t position = 0;
    uint8_t opcode = 0;
    uint8_t operand = 0;
    int32_t acc = 0;
};

TraceState gTrace;

bool TransfersControl(uint8_t opcode) {
    const OpcodeInfo* info = FindOpcode(opcode);
    return info && info->flow == FLOW_TRANSFER;
}

// `next` is where execution went on, or none when the run ended.
void WritePending(bool hasNext, uint32_t next) {
    if (!gTrace.pending) return;
    gTrace.pending = false;
    std::string text = FormatInstruction(*gTrace.names, gTrace.position, gTrace.opcode, gTrace.operand);
    std::fprintf(gTrace.out, "trace %04x  %-28s acc=%d", gTrace.position, text.c_str(), gTrace.acc);
    if (hasNext && TransfersControl(gTrace.opcode) && next != gTrace.position + INSTRUCTION_SIZE)
        std::fprintf(gTrace.out, "  -> %04x", next);
    std::fprintf(gTrace.out, "\n");
}

void OnInstruction(uint32_t position, uint8_t opcode, uint8_t operand, int32_t acc) {
    // An EXIT ended its run; the next instruction belongs to another one.
    bool previousEnded = gTrace.pending && (gTrace.opcode == OP_EXIT);
    WritePending(!previousEnded, position);
    gTrace.pending = true;
    gTrace.position = position;
    gTrace.opcode = opcode;
    gTrace.operand = operand;
    gTrace.acc = acc;
}

}  // namespace

void StartTrace(const ScriptNames* names, std::FILE* out) {
    FlushTrace();
    gTrace.names = names;
    gTrace.out = out;
    gTraceHook = OnInstruction;
}

void FlushTrace() {
    WritePending(false, 0);
    if (gTrace.out) std::fflush(gTrace.out);
}

void StopTrace() {
    FlushTrace();
    gTraceHook = nullptr;
}
