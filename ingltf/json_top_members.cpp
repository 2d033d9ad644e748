#include "ingltf/json_top_members.h"

namespace mevlo {

namespace {

bool isSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

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
        int depth = 0;
        bool inString = false;
        for (; i < size; ++i) {
            const uint8_t c = data[i];
            if (inString) {
                if (c == '\\') {
                    ++i;
                } else if (c == '"') {
                    inString = false;
                }
            } else if (c == '"') {
                inString = true;
            } else if (c == '[' || c == '{') {
                ++depth;
            } else if (c == ']' || c == '}') {
                if (depth == 0) break;
                if (--depth == 0 && array) {
                    ++i;
                    break;
                }
            } else if (c == ',' && depth == 0) {
                break;
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
