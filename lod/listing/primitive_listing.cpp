// Listing of primitive records and of the PT, CP and LP nodes that hold them.
//
// Vertex and normal indices are shown resolved: each is looked up through
// the primitive's holder, which passes the lookup up to the geometry node
// with the tables (transformed below a DOF). All lookups of one primitive
// share one buffer; a lookup that fails leaves it as it was, so an
// unresolvable index shows the last vector fetched, or zeros.
#include "lod/listing/fixed_format.h"
#include "lod/listing/indent.h"
#include "lod/listing/listing_output.h"
#include "lod/lod_node.h"
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"

namespace mevlo {

namespace {

// "(x, y, z) ", formatted in place: the listing's most frequent item.
void printVector(const Vec3& v) {
    char* out = listing::room(3 * kFixedFormatBufferSize + 8);
    *out++ = '(';
    out += formatFixed6(v.x, out);
    *out++ = ',';
    *out++ = ' ';
    out += formatFixed6(v.y, out);
    *out++ = ',';
    *out++ = ' ';
    out += formatFixed6(v.z, out);
    *out++ = ')';
    *out++ = ' ';
    listing::cursor = out;
}

}  // namespace

// An absent block (its read failed) lists no entries: its count cannot be
// trusted exactly then, so only the keyword is shown.
void Primitive::printPrimitive() const {
    const Fields f = fields();
    if (!isKnownPrimitiveType(f.word(0))) {
        listText("; FUBAR!\n");
        return;
    }
    const int32_t primFlags = f.bits();
    Vec3 buffer;

    listText(" VECTORS=");
    const Int32Table vertices = vertexIndices(f);
    for (int32_t i = 0; i < vertices.count(); ++i) {
        if (owner) owner->getVertex(vertices[i], buffer);
        printVector(buffer);
    }

    if (primFlags & PRIM_COLORS) {
        listText(" COLORS=");
        const Int32Table colors = colorIndices(f);
        for (int32_t i = 0; i < colors.count(); ++i) {
            listInt(colors[i]);
            listText(" ", 1);
        }
    } else if (primFlags & PRIM_COLOR) {
        listText(" COLOR=", 7);
        listInt(f.colorIndex());
        listText(" ", 1);
    }

    if (primFlags & PRIM_NORMALS) {
        listText(" NORMALS=");
        const Int32Table normals = normalIndices(f);
        for (int32_t i = 0; i < normals.count(); ++i) {
            if (owner) owner->getNormal(normals[i], buffer);
            printVector(buffer);
        }
    } else if (primFlags & PRIM_NORMAL) {
        if (owner) owner->getNormal(f.normalIndex(), buffer);
        listText(" NORMAL=");
        printVector(buffer);
    }

    if (primFlags & PRIM_ALPHA) listText(" ALPHA ");

    if (primFlags & PRIM_TEXTURE) {
        listText(" TEXTURE=", 9);
        listInt(f.textureId());
        listText(" ", 1);
        const TexCoordTable coords = texCoords(f);
        for (int32_t i = 0; i < coords.count(); ++i) {
            const TexCoord uv = coords[i];
            listFixed6(uv.u);
            listText(",", 1);
            listFixed6(uv.v);
            listText(" ", 1);
        }
        if (primFlags & PRIM_CLIP) listText(" CLIP ");
        if (primFlags & PRIM_TEXALPHA) listText(" TEXALPHA ");
    }
}

// A missing record leaves its part of the line empty.
void PrimNode::printNode() const {
    printIndent();
    const Primitive* held = primitive();
    const int32_t primType = held ? held->type() : -1;
    if (primType == 0) {
        listText("POINT ");
    } else if (primType == 1) {
        listText("LINE ");
    } else {
        listText("PRIM ");
    }
    if (held) held->printPrimitive();
    listText("\n");
}

// A CP line holds the indentation again before its line end.
void PolygonNode::printNode() const {
    printLine("POLYGON ");
    if (const Primitive* held = primitive()) held->printPrimitive();
    printLine("\n");
}

// An LP line holds the indentation before " SIDEB=" and before its line end.
void DblPolyNode::printNode() const {
    printLine("DBLPOLY SIDEA=");
    if (const Primitive* side = sideA()) side->printPrimitive();
    printLine(" SIDEB=");
    if (const Primitive* side = sideB()) side->printPrimitive();
    printLine("\n");
}

}  // namespace mevlo
