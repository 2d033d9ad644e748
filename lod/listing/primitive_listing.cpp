// Listing of primitive records and of the PT, CP and LP nodes that hold them.
//
// Vertex and normal indices are shown resolved: each is looked up through
// the primitive's holder, which passes the lookup up to the geometry node
// with the tables (transformed below a DOF). All lookups of one primitive
// share one buffer; a lookup that fails leaves it as it was, so an
// unresolvable index shows the last vector fetched, or zeros.
#include <cstdio>

#include "lod/listing/fixed_format.h"
#include "lod/listing/indent.h"
#include "lod/lod_node.h"
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"

namespace mevlo {

namespace {

void printVector(const Vec3& v) {
    char line[3 * kFixedFormatBufferSize + 8];
    int n = 0;
    line[n++] = '(';
    n += formatFixed6(v.x, line + n);
    line[n++] = ',';
    line[n++] = ' ';
    n += formatFixed6(v.y, line + n);
    line[n++] = ',';
    line[n++] = ' ';
    n += formatFixed6(v.z, line + n);
    line[n++] = ')';
    line[n++] = ' ';
    std::fwrite(line, 1, static_cast<size_t>(n), stdout);
}

}  // namespace

// An absent block (its read failed) lists no entries: its count cannot be
// trusted exactly then, so only the keyword is shown.
void Primitive::printPrimitive() const {
    if (!isKnownPrimitiveType(type)) {
        std::fputs("; FUBAR!\n", stdout);
        return;
    }
    const int32_t primFlags = flags();
    Vec3 buffer;

    std::fputs(" VECTORS=", stdout);
    for (int32_t i = 0; i < vertexIndices.count(); ++i) {
        if (owner) owner->getVertex(vertexIndices[i], buffer);
        printVector(buffer);
    }

    if (primFlags & PRIM_COLORS) {
        std::fputs(" COLORS=", stdout);
        for (int32_t i = 0; i < colorIndices.count(); ++i) std::printf("%d ", colorIndices[i]);
    } else if (primFlags & PRIM_COLOR) {
        std::printf(" COLOR=%d ", colorIndex);
    }

    if (primFlags & PRIM_NORMALS) {
        std::fputs(" NORMALS=", stdout);
        for (int32_t i = 0; i < normalIndices.count(); ++i) {
            if (owner) owner->getNormal(normalIndices[i], buffer);
            printVector(buffer);
        }
    } else if (primFlags & PRIM_NORMAL) {
        if (owner) owner->getNormal(normalIndex, buffer);
        std::fputs(" NORMAL=", stdout);
        printVector(buffer);
    }

    if (primFlags & PRIM_ALPHA) std::fputs(" ALPHA ", stdout);

    if (primFlags & PRIM_TEXTURE) {
        std::printf(" TEXTURE=%d ", textureId);
        for (int32_t i = 0; i < texCoords.count(); ++i) {
            const TexCoord uv = texCoords[i];
            char pair[2 * kFixedFormatBufferSize + 4];
            int n = formatFixed6(uv.u, pair);
            pair[n++] = ',';
            n += formatFixed6(uv.v, pair + n);
            pair[n++] = ' ';
            std::fwrite(pair, 1, static_cast<size_t>(n), stdout);
        }
        if (primFlags & PRIM_CLIP) std::fputs(" CLIP ", stdout);
        if (primFlags & PRIM_TEXALPHA) std::fputs(" TEXALPHA ", stdout);
    }
}

// A missing record leaves its part of the line empty.
void PrimNode::printNode() const {
    printIndent();
    const int32_t primType = primitive ? primitive->type : -1;
    if (primType == 0) {
        std::fputs("POINT ", stdout);
    } else if (primType == 1) {
        std::fputs("LINE ", stdout);
    } else {
        std::fputs("PRIM ", stdout);
    }
    if (primitive) primitive->printPrimitive();
    std::fputs("\n", stdout);
}

// A CP line holds the indentation again before its line end.
void PolygonNode::printNode() const {
    printLine("POLYGON ");
    if (primitive) primitive->printPrimitive();
    printLine("\n");
}

// An LP line holds the indentation before " SIDEB=" and before its line end.
void DblPolyNode::printNode() const {
    printLine("DBLPOLY SIDEA=");
    if (sideA) sideA->printPrimitive();
    printLine(" SIDEB=");
    if (sideB) sideB->printPrimitive();
    printLine("\n");
}

}  // namespace mevlo
