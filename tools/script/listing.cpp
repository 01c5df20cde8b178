#include "listing.h"

#include <cstdio>
#include <vector>

#include "utf8_text.h"

namespace {

constexpr uint32_t DATA_BYTES_PER_LINE = 8;

std::string Printf(const char* format, uint32_t a, uint32_t b = 0, uint32_t c = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

struct TableEntry {
    int table;
    uint8_t number;
    uint32_t position;  // bytes
};

std::vector<TableEntry> CollectEntries(const FunctionTable tables[FUNCTION_TABLE_COUNT]) {
    std::vector<TableEntry> entries;
    for (int t = 0; t < FUNCTION_TABLE_COUNT; ++t)
        for (int n = 0; n < FUNCTION_TABLE_SIZE; ++n)
            if (tables[t][n] != NO_FUNCTION)
                entries.push_back(TableEntry{t, static_cast<uint8_t>(n), uint32_t(tables[t][n]) * INSTRUCTION_SIZE});
    return entries;
}

std::string EntryLine(const ScriptNames& names, const TableEntry& entry) {
    std::string line = "; func table " + std::to_string(entry.table) + ", " + names.FunctionNumber(entry.table, entry.number);
    if (entry.table == 0 && entry.number == 0) line += ": start-up function";
    if (entry.table == 0 && entry.number == 1) line += ": pre-key function";
    return line + "\n";
}

// The two texts of a string block, as the host would show them.
std::string DecodedStrings(const uint8_t* data, uint32_t length) {
    const char* text = reinterpret_cast<const char*>(data);
    uint32_t first = 0;
    while (first < length && data[first]) ++first;
    std::string out = "\"" + ScriptTextToUtf8(text, first) + "\"";
    if (first + 1 < length) {
        uint32_t second = first + 1;
        while (second < length && data[second]) ++second;
        out += " \"" + ScriptTextToUtf8(text + first + 1, second - first - 1) + "\"";
    }
    return out;
}

std::string DataLines(const uint8_t* image, uint32_t from, uint32_t to) {
    std::string out;
    for (uint32_t pos = from; pos < to; pos += DATA_BYTES_PER_LINE) {
        out += Printf("%04x ", pos);
        for (uint32_t i = pos; i < to && i < pos + DATA_BYTES_PER_LINE; ++i) out += Printf(" %02x", image[i]);
        out += "\n";
    }
    return out;
}

}  // namespace

std::string FormatInstruction(const ScriptNames& names, uint32_t offset, uint8_t opcode, uint8_t operand) {
    const OpcodeInfo* info = FindOpcode(opcode);
    std::string name = names.Opcode(offset, opcode, operand);
    if (!info) return (name.empty() ? "op " + std::to_string(opcode) : name) + " " + std::to_string(operand);
    if (info->operand == OPERAND_NONE) return operand ? name + " " + std::to_string(operand) : name;
    return name + " " + names.Operand(offset, opcode, operand, info->operand);
}

std::string FormatListing(const ScriptNames& names, const CodeImage& image,
                          const FunctionTable tables[FUNCTION_TABLE_COUNT]) {
    std::vector<TableEntry> entries = CollectEntries(tables);
    std::vector<bool> shown(entries.size(), false);
    std::string out;
    uint32_t pos = 0;
    bool afterStr = false;
    while (image.bytes && pos + INSTRUCTION_SIZE <= image.size) {
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].position == pos) {
                out += EntryLine(names, entries[i]);
                shown[i] = true;
            }
        uint8_t opcode = image.bytes[pos];
        uint8_t operand = image.bytes[pos + 1];
        out += Printf("%04x  %02x %02x  ", pos, opcode, operand) + FormatInstruction(names, pos, opcode, operand);
        pos += INSTRUCTION_SIZE;
        if (opcode == OP_SKIP) {
            uint32_t end = pos + uint32_t(operand) * INSTRUCTION_SIZE;
            if (end > image.size) end = image.size;
            if (afterStr) out += "  " + DecodedStrings(image.bytes + pos, end - pos);
            out += "\n" + DataLines(image.bytes, pos, end);
            pos = end;
        } else {
            out += "\n";
        }
        afterStr = opcode == OP_STR;
    }
    if (image.bytes && pos < image.size) out += DataLines(image.bytes, pos, image.size);
    for (size_t i = 0; i < entries.size(); ++i)
        if (!shown[i])
            out += EntryLine(names, entries[i]) + Printf(";   points at %04x, not an instruction of the image\n", entries[i].position);
    return out;
}
