// Just enough JSON for the tools' output: strings escaped, members kept in insertion order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A JSON string literal for UTF-8 text: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& utf8);

// Builds one object or array as text; values are added already encoded.
class JsonObject {
public:
    JsonObject& Raw(const std::string& key, const std::string& json);
    JsonObject& Text(const std::string& key, const std::string& utf8) { return Raw(key, JsonString(utf8)); }
    JsonObject& Number(const std::string& key, int64_t n) { return Raw(key, std::to_string(n)); }
    JsonObject& Bool(const std::string& key, bool b) { return Raw(key, b ? "true" : "false"); }
    std::string Encode() const;

private:
    std::string members_;
};

std::string JsonArray(const std::vector<std::string>& encodedItems);
