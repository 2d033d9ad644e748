#include "ingltf/json_top_members.h"

#include <array>

namespace mevlo {

namespace {

bool isSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes a scan must stop at: most of a value's text is none of them, and
// a table lookup passes over it in one test per byte.
constexpr std::array<bool, 256> stopsAt(const char* bytes) {
    std::array<bool, 256> table{};
    for (const char* b = bytes; *b; ++b) table[static_cast<uint8_t>(*b)] = true;
    return table;
}
constexpr std::array<bool, 256> kStructure = stopsAt("\"[]{},");
constexpr std::array<bool, 256> kStringEnd = stopsAt("\"\\");

}  // namespace

bool findJsonTopMembers(const uint8_t* data, size_t size, std::vector<JsonTopMember>& members) {
    members.clear();
    size_t i = 0;
    while (i < size && isSpace(data[i])) ++i;
    if (i == size || data[i] != '{') return false;
    ++i;
    for (;;) {
        while (i < size && isSpace(data[i])) ++i;
        if (i == size) return false;
        if (data[i] == '}' && members.empty()) return true;
        // A key: a string without escapes.
        if (data[i] != '"') return false;
        const size_t keyBegin = ++i;
        while (i < size && data[i] != '"') {
            if (data[i] == '\\') return false;
            ++i;
        }
        if (i == size) return false;
        JsonTopMember member;
        member.key.assign(reinterpret_cast<const char*>(data + keyBegin), i - keyBegin);
        ++i;
        while (i < size && isSpace(data[i])) ++i;
        if (i == size || data[i] != ':') return false;
        ++i;
        while (i < size && isSpace(data[i])) ++i;
        if (i == size) return false;
        // The value: up to the comma or brace that closes it at this level.
        const size_t valueBegin = i;
        const bool array = data[i] == '[';
        size_t depth = 0;
        for (;;) {
            while (i < size && !kStructure[data[i]]) ++i;
            if (i >= size) return false;
            const uint8_t c = data[i];
            if (c == '"') {
                // To the closing quote, past escapes (a backslash and the byte after it).
                for (++i;;) {
                    while (i < size && !kStringEnd[data[i]]) ++i;
                    if (i >= size) return false;
                    if (data[i] == '"') break;
                    i += 2;
                }
                ++i;
            } else if (c == '[' || c == '{') {
                ++depth;
                ++i;
            } else if (c == ']' || c == '}') {
                if (depth == 0) break;
                ++i;
                if (--depth == 0 && array) break;
            } else {  // a comma
                if (depth == 0) break;
                ++i;
            }
        }
        if (i >= size) return false;
        if (array) {
            member.begin = valueBegin;
            member.end = i;
        } else {
            member.begin = member.end = valueBegin;
        }
        members.push_back(std::move(member));
        while (i < size && isSpace(data[i])) ++i;
        if (i == size) return false;
        if (data[i] == '}') return true;
        if (data[i] != ',') return false;
        ++i;
    }
}

}  // namespace mevlo
