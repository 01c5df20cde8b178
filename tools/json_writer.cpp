#include "json_writer.h"

#include <cstdio>

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::Raw(const std::string& key, const std::string& json) {
    if (!members_.empty()) members_ += ", ";
    members_ += JsonString(key) + ": " + json;
    return *this;
}

std::string JsonObject::Encode() const { return "{" + members_ + "}"; }

std::string JsonArray(const std::vector<std::string>& encodedItems) {
    std::string out = "[";
    for (size_t i = 0; i < encodedItems.size(); ++i) {
        if (i) out += ", ";
        out += encodedItems[i];
    }
    return out + "]";
}
