// A container's vertices as the glTF mesh builder uses them: in glTF axes,
// scaled, with whether each is finite.
//
// They are made when a container's first primitive asks, not when it
// opens, and the last table made is kept for the next container that names
// the same one: a crafted file may hold a quarter of a million containers
// that all name one table of thousands of vertices, and few or no
// primitives.
#pragma once

#include <cstdint>
#include <memory>

namespace mevlo {

class SubTreeNode;

struct GltfVertexTable {
    // The stored table the values were made from.
    const uint8_t* source = nullptr;
    int32_t count = 0;
    std::unique_ptr<float[]> positions;
    std::unique_ptr<uint8_t[]> finite;
};

class GltfVertexTables {
public:
    explicit GltfVertexTables(double scale) : scale_(scale) {}

    // The vertices of a container with at least one vertex.
    std::shared_ptr<const GltfVertexTable> tableOf(const SubTreeNode& container);

private:
    double scale_;
    std::shared_ptr<const GltfVertexTable> last_;
};

}  // namespace mevlo
