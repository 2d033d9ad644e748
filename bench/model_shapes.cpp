#include "model_shapes.h"

#include <utility>
#include <vector>

#include "lod/lod_model.h"

namespace bench {

using namespace lodtest;

namespace {

// Rotations with exact Pythagorean cosines and sines, so that every run of
// the generator writes the same bits whatever the math library.
constexpr Matrix kRotations[] = {
    {0.6f, -0.8f, 0, 0.8f, 0.6f, 0, 0, 0, 1},       // about z
    {1, 0, 0, 0, 0.28f, -0.96f, 0, 0.96f, 0.28f},  // about x
    {0.6f, 0, 0.8f, 0, 1, 0, -0.8f, 0, 0.6f},       // about y
};

Matrix rotationFor(int32_t g) { return kRotations[g % 3]; }

Vec3 translationFor(int32_t g) {
    return {static_cast<float>(g % 17) * 0.5f, -static_cast<float>(g % 13) * 0.25f, 1.0f};
}

// A 100 x 80 grid with a little relief, shifted per node.
std::vector<Vec3> gridVertices(int32_t g) {
    std::vector<Vec3> v;
    v.reserve(kNodeVertices);
    for (int32_t i = 0; i < kNodeVertices; ++i) {
        v.push_back({static_cast<float>(i % 100) * 0.5f + static_cast<float>(g) * 0.125f,
                     static_cast<float>(i / 100) * 0.5f, static_cast<float>((i * 37 + g) % 101) * 0.01f});
    }
    return v;
}

std::vector<Vec3> someNormals() { return {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0.6f, 0.8f, 0}}; }

// Polygon types in rotation: single colour, single normal, per-vertex
// colours, per-vertex colours and normals, texture.
constexpr int32_t kPolygonTypes[] = {2, 3, 2, 4, 2, 5, 2, 6};

// Triangles first .. first + count - 1 of a node, scattered over its table.
// A one-node chain; a braced list would copy the node's whole subtree.
Chain chainOf(Node&& n) {
    Chain c;
    c.push_back(std::move(n));
    return c;
}

void addTriangles(Chain& chain, int32_t first, int32_t count) {
    for (int32_t t = first; t < first + count; ++t) {
        const int32_t a = (t * 2663) % kNodeVertices;
        Prim p = prim(kPolygonTypes[t % 8], {a, (a + 1) % kNodeVertices, (a + 100) % kNodeVertices});
        p.color = t % 256;
        p.normal = t % 4;
        p.polyData = {0, 0, 1, static_cast<float>(t % 7)};
        p.textureId = t % 3;
        chain.push_back(cp(std::move(p)));
    }
}

class MaxBuilder {
public:
    // A geometry node of the given code with its full vertex table and
    // triangles, then the extra children.
    Node geometry(int32_t code, Chain extra = {}, int32_t ownTriangles = kNodeTriangles) {
        const int32_t g = next_++;
        Chain children;
        children.reserve(static_cast<size_t>(ownTriangles) + extra.size());
        addTriangles(children, 0, ownTriangles);
        for (Node& n : extra) children.push_back(std::move(n));
        Node n;
        switch (code) {
            case mevlo::NODE_ROOT: n = root(gridVertices(g), std::move(children)); break;
            case mevlo::NODE_DOF: n = dof(rotationFor(g), translationFor(g), gridVertices(g), std::move(children)); break;
            case mevlo::NODE_XDOF:
                n = xdof(rotationFor(g + 1), translationFor(g + 1), gridVertices(g), std::move(children));
                break;
            default: n = subTree(gridVertices(g), std::move(children)); break;
        }
        n.normals = someNormals();
        return n;
    }

    // DOF holding XDOF holding SubTree, or the other nesting order.
    Node transformNest(bool dofOutside) {
        const int32_t outer = dofOutside ? mevlo::NODE_DOF : mevlo::NODE_XDOF;
        const int32_t middle = dofOutside ? mevlo::NODE_XDOF : mevlo::NODE_DOF;
        Node inner = geometry(mevlo::NODE_SUBTREE);
        Node mid = geometry(middle, chainOf(std::move(inner)));
        return geometry(outer, chainOf(std::move(mid)));
    }

    // Five branches, one absent: four more meshes whatever the switch state.
    Node switchOfFour(int32_t id) {
        std::vector<Chain> branches;
        branches.push_back(chainOf(geometry(mevlo::NODE_SUBTREE)));
        branches.push_back(chainOf(geometry(mevlo::NODE_DOF)));
        branches.push_back({});
        branches.push_back(chainOf(geometry(mevlo::NODE_XDOF)));
        branches.push_back(chainOf(geometry(mevlo::NODE_SUBTREE)));
        return switchNode(std::move(branches), id);
    }

    // A SubTree whose 3000 triangles are split three ways: its own chain
    // and the two chains of a Split, each of which also holds a geometry
    // node of its own.
    Node splitUnit() {
        const int32_t third = kNodeTriangles / 3;
        Chain sideA;
        Chain sideB;
        Node owner = geometry(mevlo::NODE_SUBTREE, {}, third);
        addTriangles(sideA, third, third);
        sideA.push_back(geometry(mevlo::NODE_SUBTREE));
        addTriangles(sideB, 2 * third, kNodeTriangles - 2 * third);
        sideB.push_back(geometry(mevlo::NODE_XDOF));
        owner.children.push_back(split(std::move(sideA), std::move(sideB), {0, 0, 1, 0.5f}));
        return owner;
    }

private:
    int32_t next_ = 0;
};

}  // namespace

Node maxModel(int32_t geometryNodes) {
    MaxBuilder b;
    const int32_t switches = geometryNodes / 200 > 0 ? geometryNodes / 200 : 1;
    const int32_t splitUnits = geometryNodes / 300 > 0 ? geometryNodes / 300 : 1;
    const int32_t rest = geometryNodes - 1 - 4 * switches - 3 * splitUnits;

    Chain extra;
    // Nodes that convert to nothing sit among the rest.
    extra.push_back(slot(1, rotationFor(0), {1, 2, 3}));
    extra.push_back(rcNode(3));
    extra.push_back(litString());
    for (int32_t i = 0; i < rest / 3; ++i) extra.push_back(b.transformNest(i % 2 == 0));
    for (int32_t i = 0; i < rest % 3; ++i) extra.push_back(b.geometry(mevlo::NODE_SUBTREE));
    for (int32_t i = 0; i < switches; ++i) extra.push_back(b.switchOfFour(i));
    for (int32_t i = 0; i < splitUnits; ++i) extra.push_back(b.splitUnit());
    return b.geometry(mevlo::NODE_ROOT, std::move(extra));
}

Node deepModel() {
    const std::vector<Vec3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    // Level 0 is the Root, odd levels are Splits, even levels geometry
    // nodes; the deepest level is kMaxNestingDepth.
    Node inner;
    bool haveInner = false;
    for (int32_t level = mevlo::kMaxNestingDepth; level >= 0; --level) {
        if (level % 2 == 1) {
            inner = split(chainOf(std::move(inner)), chainOf(cp(prim(2, {2, 1, 0}))), {0, 0, 1, 0});
            continue;
        }
        Chain children = chainOf(cp(prim(2, {0, 1, 2, 3})));
        if (haveInner) children.push_back(std::move(inner));
        haveInner = true;
        std::vector<Vec3> vertices = square;
        for (Vec3& v : vertices) v.z = static_cast<float>(level) * 0.01f;
        if (level == 0) {
            inner = root(std::move(vertices), std::move(children));
        } else if (level % 6 == 2) {
            inner = dof(rotationFor(level), {0, 0, 0.5f}, std::move(vertices), std::move(children));
        } else if (level % 6 == 4) {
            inner = xdof(rotationFor(level), {0.5f, 0, 0}, std::move(vertices), std::move(children));
        } else {
            inner = subTree(std::move(vertices), std::move(children));
        }
    }
    return inner;
}

}  // namespace bench
