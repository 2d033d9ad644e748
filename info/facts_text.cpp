#include "info/facts_text.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace mevlo {

namespace {

class TextReport {
public:
    explicit TextReport(bool showAll) : showAll_(showAll) {}

    void line(const char* format, ...) {
        char buffer[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        text_ += buffer;
        text_ += '\n';
    }

    // Whether entry i of a list of n is shown; after the last shown one, a
    // line says how many were left out.
    bool shows(size_t i, size_t n) {
        if (showAll_ || i < kInfoListEntries) return true;
        if (i == kInfoListEntries) line("  ... %zu more (--all shows them)", n - kInfoListEntries);
        return false;
    }

    std::string take() { return std::move(text_); }

private:
    bool showAll_;
    std::string text_;
};

const char* plural(int64_t n, const char* one, const char* many) { return n == 1 ? one : many; }

void printNodes(const ModelFacts& facts, TextReport& out) {
    out.line("Nodes         %" PRId64 " built of %d in the node table", facts.nodesBuilt, facts.nodeCount);
    for (int32_t code = 0; code < kNodeTypeCount; ++code) {
        const int64_t count = facts.nodesByType[static_cast<size_t>(code)];
        if (count > 0) out.line("  %-14s%10" PRId64, NodeTypeTable[code].name, count);
    }
}

void printPrimitives(const ModelFacts& facts, TextReport& out) {
    int64_t total = 0, points = 0, lines = 0;
    for (const auto& [type, count] : facts.primitivesByType) {
        total += count;
        if (type == 0) points += count;
        if (type == 1) lines += count;
    }
    out.line("Primitives    %" PRId64 ": %" PRId64 " %s, %" PRId64 " %s, %" PRId64 " %s", total, total - points - lines,
             plural(total - points - lines, "polygon", "polygons"), points, plural(points, "point", "points"), lines,
             plural(lines, "line", "lines"));
    size_t i = 0;
    for (const auto& [type, count] : facts.primitivesByType) {
        if (!out.shows(i++, facts.primitivesByType.size())) break;
        out.line("  type %-9d%10" PRId64, static_cast<int>(type), count);
    }
}

void printProblems(const ModelFacts& facts, TextReport& out) {
    const LoadProblems& p = facts.problems;
    if (p.typeOutOfRange + p.nestingTooDeep + p.unknownPrimitiveTypes + p.unreadableTables == 0) {
        out.line("Problems      none");
        return;
    }
    out.line("Problems");
    const auto row = [&out](int64_t count, const char* what) {
        if (count > 0) out.line("  %10" PRId64 "  %s", count, what);
    };
    // Each kind with the loading message it stands for.
    row(p.typeOutOfRange, "node type out of range (Node Table Error)");
    row(p.nestingTooDeep, "nesting too deep (Node Table Error)");
    row(p.unknownPrimitiveTypes, "unknown primitive type (FUBAR)");
    row(p.unreadableTables, "table outside the file");
}

void printConversion(const ModelFacts& facts, TextReport& out) {
    out.line("Conversion");
    out.line("  containers    %10" PRId64, facts.containers);
    out.line("  meshes        %10" PRId64, facts.meshes);
    out.line("  vertices      %10" PRId64, facts.vertices);
    out.line("  triangles     %10" PRId64, facts.triangles);
    out.line("  dropped faces %10" PRId64, facts.droppedFaces);
    out.line("  points        %10" PRId64, facts.points);
    out.line("  line segments %10" PRId64, facts.lineSegments);
    if (facts.meshes > 0) {
        out.line("  largest       %s: %" PRId64 " vertices; %s: %" PRId64 " triangles",
                 facts.largestByVertices.name.c_str(), facts.largestByVertices.vertices,
                 facts.largestByTriangles.name.c_str(), facts.largestByTriangles.triangles);
    }
    if (facts.tooLarge.empty()) {
        out.line("  3DS           mevlo converts it");
    } else {
        out.line("  3DS           mevlo refuses it: %s", facts.tooLarge.c_str());
    }
    out.line("  glTF          lodtool export has no size limit");
}

void printDofs(const ModelFacts& facts, TextReport& out) {
    if (facts.dofs.empty()) {
        out.line("DOFs          none");
        return;
    }
    out.line("DOFs          %zu", facts.dofs.size());
    size_t i = 0;
    for (const auto& [id, use] : facts.dofs) {
        if (!out.shows(i++, facts.dofs.size())) break;
        std::string kinds;
        const auto kind = [&kinds](int64_t count, const char* name) {
            if (count == 0) return;
            char part[64];
            std::snprintf(part, sizeof part, "%s%s x%" PRId64, kinds.empty() ? "" : ", ", name, count);
            kinds += part;
        };
        kind(use.dofNodes, "DOF");
        kind(use.xdofNodes, "XDOF");
        kind(use.translatorNodes, "Translator");
        kind(use.scaleNodes, "Scale");
        if (use.hasLimits) {
            out.line("  %-14d%-30s limits %g .. %g", static_cast<int>(id), kinds.c_str(),
                     static_cast<double>(use.minimum), static_cast<double>(use.maximum));
        } else {
            out.line("  %-14d%s", static_cast<int>(id), kinds.c_str());
        }
    }
}

void printSwitches(const ModelFacts& facts, TextReport& out) {
    if (facts.switches.empty()) {
        out.line("Switches      none");
        return;
    }
    out.line("Switches      %zu", facts.switches.size());
    for (size_t i = 0; i < facts.switches.size(); ++i) {
        if (!out.shows(i, facts.switches.size())) break;
        const SwitchFact& s = facts.switches[i];
        out.line("  %-14d%d %s%s", static_cast<int>(s.id), static_cast<int>(s.branches),
                 plural(s.branches, "branch", "branches"), s.extended ? " (XSwitch)" : "");
    }
}

// A list of numbers on one line, cut like the other lists.
std::string numberList(const std::vector<int32_t>& numbers, bool showAll) {
    std::string text;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (!showAll && i == kInfoListEntries) {
            text += " ... " + std::to_string(numbers.size() - i) + " more";
            break;
        }
        text += (i ? " " : "") + std::to_string(numbers[i]);
    }
    return text.empty() ? "none" : text;
}

void printTextures(const ModelFacts& facts, TextReport& out, bool showAll) {
    out.line("Slot numbers  %s", numberList(facts.slots, showAll).c_str());
    out.line("Textures");
    out.line("  Root's list   %s", facts.hasRoot ? numberList(facts.rootTextures, showAll).c_str() : "(no Root)");
    if (facts.texturesUsed.empty()) {
        out.line("  used          none");
        return;
    }
    out.line("  used by primitives");
    size_t i = 0;
    for (const auto& [texture, primitives] : facts.texturesUsed) {
        if (!out.shows(i++, facts.texturesUsed.size())) break;
        const bool listed = facts.rootListsTexture(texture);
        out.line("    %-12d%10" PRId64 " %s%s", static_cast<int>(texture), primitives,
                 plural(primitives, "primitive", "primitives"), listed ? "" : "  (not in the Root's list)");
    }
}

void printBounds(const char* axes, const Bounds& bounds, TextReport& out) {
    if (!bounds.present) {
        out.line("  %-14sno vertex", axes);
        return;
    }
    const auto d = [](float v) { return static_cast<double>(v); };
    out.line("  %-6s min  %12g %12g %12g", axes, d(bounds.min.x), d(bounds.min.y), d(bounds.min.z));
    out.line("         max  %12g %12g %12g", d(bounds.max.x), d(bounds.max.y), d(bounds.max.z));
    out.line("         size %12g %12g %12g", d(bounds.max.x) - d(bounds.min.x), d(bounds.max.y) - d(bounds.min.y),
             d(bounds.max.z) - d(bounds.min.z));
}

}  // namespace

std::string formatFactsText(const ModelFacts& facts, bool showAll) {
    TextReport out(showAll);
    out.line("%s", facts.file.c_str());
    out.line("File          %" PRId64 " bytes", facts.bytes);
    if (facts.hasRoot) {
        out.line("Script        %d", static_cast<int>(facts.script));
    } else {
        out.line("Script        none (no Root)");
    }
    printProblems(facts, out);
    printNodes(facts, out);
    printPrimitives(facts, out);
    printConversion(facts, out);
    printDofs(facts, out);
    printSwitches(facts, out);
    printTextures(facts, out, showAll);
    out.line("Bounds");
    printBounds("3DS", facts.bounds3ds, out);
    printBounds("glTF", facts.boundsGltf, out);
    return out.take();
}

}  // namespace mevlo
