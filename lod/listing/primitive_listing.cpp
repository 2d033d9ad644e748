// Listing of primitive records and of the PT, CP and LP nodes that hold them.
//
// Vertex and normal indices are shown resolved: each is looked up through
// the primitive's holder, which passes the lookup up to the geometry node
// with the tables (transformed below a DOF). All lookups of one primitive
// share one buffer; a lookup that fails leaves it as it was, so an
// unresolvable index shows the last vector fetched, or zeros.
#include "lod/listing/fixed_format.h"
#include "lod/listing/listing_writer.h"
#include "lod/lod_node.h"
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"

namespace mevlo {

namespace {

// "(x, y, z) ", formatted in place: the listing's most frequent item.
void printVector(ListingWriter& listing, const Vec3& v) {
    char* out = listing.room(3 * kFixedFormatBufferSize + 8);
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
    listing.advance(out);
}

}  // namespace

// An absent block (its read failed) lists no entries: its count cannot be
// trusted exactly then, so only the keyword is shown.
void Primitive::printPrimitive(ListingWriter& out) const {
    const Fields f = fields();
    if (!isKnownPrimitiveType(f.word(0))) {
        out.text("; FUBAR!\n");
        return;
    }
    const int32_t primFlags = f.bits();
    Vec3 buffer;

    out.text(" VECTORS=");
    const Int32Table vertices = vertexIndices(f);
    for (int32_t i = 0; i < vertices.count(); ++i) {
        if (owner) owner->getVertex(vertices[i], buffer);
        printVector(out, buffer);
    }

    if (primFlags & PRIM_COLORS) {
        out.text(" COLORS=");
        const Int32Table colors = colorIndices(f);
        for (int32_t i = 0; i < colors.count(); ++i) {
            out.integer(colors[i]);
            out.text(" ", 1);
        }
    } else if (primFlags & PRIM_COLOR) {
        out.text(" COLOR=", 7);
        out.integer(f.colorIndex());
        out.text(" ", 1);
    }

    if (primFlags & PRIM_NORMALS) {
        out.text(" NORMALS=");
        const Int32Table normals = normalIndices(f);
        for (int32_t i = 0; i < normals.count(); ++i) {
            if (owner) owner->getNormal(normals[i], buffer);
            printVector(out, buffer);
        }
    } else if (primFlags & PRIM_NORMAL) {
        if (owner) owner->getNormal(f.normalIndex(), buffer);
        out.text(" NORMAL=");
        printVector(out, buffer);
    }

    if (primFlags & PRIM_ALPHA) out.text(" ALPHA ");

    if (primFlags & PRIM_TEXTURE) {
        out.text(" TEXTURE=", 9);
        out.integer(f.textureId());
        out.text(" ", 1);
        const TexCoordTable coords = texCoords(f);
        for (int32_t i = 0; i < coords.count(); ++i) {
            const TexCoord uv = coords[i];
            out.fixed6(uv.u);
            out.text(",", 1);
            out.fixed6(uv.v);
            out.text(" ", 1);
        }
        if (primFlags & PRIM_CLIP) out.text(" CLIP ");
        if (primFlags & PRIM_TEXALPHA) out.text(" TEXALPHA ");
    }
}

// A missing record leaves its part of the line empty.
void PrimNode::printNode(ListingWriter& out) const {
    out.indent();
    const Primitive* held = primitive();
    const int32_t primType = held ? held->type() : -1;
    if (primType == 0) {
        out.text("POINT ");
    } else if (primType == 1) {
        out.text("LINE ");
    } else {
        out.text("PRIM ");
    }
    if (held) held->printPrimitive(out);
    out.text("\n");
}

// A CP line holds the indentation again before its line end.
void PolygonNode::printNode(ListingWriter& out) const {
    out.line("POLYGON ");
    if (const Primitive* held = primitive()) held->printPrimitive(out);
    out.line("\n");
}

// An LP line holds the indentation before " SIDEB=" and before its line end.
void DblPolyNode::printNode(ListingWriter& out) const {
    out.line("DBLPOLY SIDEA=");
    if (const Primitive* side = sideA()) side->printPrimitive(out);
    out.line(" SIDEB=");
    if (const Primitive* side = sideB()) side->printPrimitive(out);
    out.line("\n");
}

}  // namespace mevlo
