// Random LOD trees for the round-trip tests: every node kind, nested.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "lod_builder.h"

namespace lodtest {

// Random trees: containers of every kind with exactly representable
// matrices (so the listing may be compared as text), switches with absent
// branches, splits, every primitive type, shared vertices, SpecialX,
// LitString and RCNode.
class RandomLodTree {
public:
    // awkward adds what only the export's records can carry: corners the
    // mesh lacks, repeated planes, one-colour blocks, normals equal to the
    // vertex indices, and texture coordinates the flip cannot give back.
    explicit RandomLodTree(uint32_t seed, bool awkward = false) : random_(seed), awkward_(awkward) {}

    Node model() { return container(mevlo::NODE_ROOT, 0); }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    float value() { return static_cast<float>(pick(64) - 32) * 0.25f; }

    std::vector<Vec3> vertices() {
        std::vector<Vec3> out;
        for (int i = 0; i < 6 + pick(6); ++i) out.push_back({value(), value(), value()});
        return out;
    }

    // Quarter turns and mirrors: exactly what their quaternions say.
    Matrix matrix() {
        static const Matrix kChoices[] = {kIdentity, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, -1, 0, 1, 0},
                                          {2, 0, 0, 0, 1, 0, 0, 0, 1}};
        return kChoices[pick(4)];
    }

    Prim primitive(int vertexCount) {
        int type = pick(27);
        const int n = type == 1 ? 2 + pick(2) : 3 + pick(3);
        std::vector<int32_t> indices;
        for (int i = 0; i < n; ++i) indices.push_back(pick(vertexCount));
        // Polygons on distinct vertices, as the fan needs them.
        if (type >= 2) {
            indices.clear();
            const int start = pick(vertexCount);
            for (int i = 0; i < n; ++i) indices.push_back((start + i) % vertexCount);
        }
        if (!awkward_) {
            Prim p = prim(type, indices);
            p.color = pick(200);
            p.normal = pick(3);
            p.textureId = pick(4);
            p.polyData = {value(), value(), value(), value()};
            return p;
        }
        // A corner the mesh lacks: the fan loses faces, the records keep the corners.
        if (type >= 2 && pick(8) == 0) indices[static_cast<size_t>(pick(n))] = vertexCount + pick(3);
        Prim p = prim(type, indices);
        p.color = pick(200);
        p.normal = pick(3);
        p.textureId = pick(4);
        // Planes repeat, as coplanar polygons share theirs.
        p.polyData = pick(2) ? std::array<float, 4>{0, 0, 1, 0.5f} : std::array<float, 4>{value(), value(), value(), value()};
        if (pick(3) == 0) std::fill(p.colors.begin(), p.colors.end(), pick(300) - 20);
        if (pick(3) == 0) p.normals = indices;
        // A v the export's flip does not give back exactly, and one that is not finite.
        if (!p.uv.empty() && pick(4) == 0) p.uv[0][1] = 1e-9f;
        if (!p.uv.empty() && pick(8) == 0) p.uv.back()[0] = std::nanf("");
        return p;
    }

    Chain primitives(int vertexCount) {
        Chain out;
        for (int i = 0; i < 1 + pick(3); ++i) {
            const int kind = pick(3);
            if (kind == 0) out.push_back(cp(primitive(vertexCount)));
            if (kind == 1) out.push_back(pt(primitive(vertexCount)));
            if (kind == 2) out.push_back(lp(primitive(vertexCount), primitive(vertexCount)));
        }
        return out;
    }

    Node container(int32_t code, int depth) {
        std::vector<Vec3> v = vertices();
        const int vertexCount = static_cast<int>(v.size());
        Chain children = primitives(vertexCount);
        if (depth < 3) {
            for (int i = 0; i < 1 + pick(3); ++i) {
                const int kind = pick(9);
                if (kind < 5) {
                    static const int32_t kCodes[] = {mevlo::NODE_SUBTREE, mevlo::NODE_DOF, mevlo::NODE_XDOF,
                                                     mevlo::NODE_TRANSLATOR, mevlo::NODE_SCALE};
                    children.push_back(container(kCodes[kind], depth + 1));
                } else if (kind == 5) {
                    std::vector<Chain> branches;
                    for (int b = 0; b < 2 + pick(2); ++b) {
                        if (pick(3) == 0) {
                            branches.push_back({});
                        } else if (pick(2) == 0) {
                            branches.push_back({container(mevlo::NODE_SUBTREE, depth + 1)});
                        } else {
                            branches.push_back(primitives(vertexCount));
                        }
                    }
                    children.push_back(pick(2) ? switchNode(branches, pick(9)) : xswitch(branches, pick(4), pick(9)));
                } else if (kind == 6) {
                    children.push_back(split(primitives(vertexCount), primitives(vertexCount), {0, 0, 1, value()}));
                } else if (kind == 7) {
                    children.push_back(slot(pick(5), matrix(), {value(), value(), value()}));
                } else {
                    children.push_back(pick(2) ? litString() : rcNode(pick(20), {1, 2, 3, 4, 5, 6, 7, 8}));
                }
            }
        }
        Node n;
        switch (code) {
            case mevlo::NODE_ROOT: n = root(v, children); n.textures = {1, 2}; n.script = 7; break;
            case mevlo::NODE_DOF: n = dof(matrix(), {value(), value(), value()}, v, children); break;
            case mevlo::NODE_XDOF: n = xdof(matrix(), {value(), value(), value()}, v, children); break;
            case mevlo::NODE_TRANSLATOR: n = translator({value(), value(), value()}, v, children); break;
            case mevlo::NODE_SCALE: n = scale({value(), value(), value()}, v, children); break;
            default: n = subTree(v, children); break;
        }
        n.normals = {{0, 0, 1}, {0, 2, 0}, {1, 1, 0}};
        n.dofId = pick(30);
        n.flags = pick(8);
        n.minimum = value();
        n.maximum = value();
        n.opaqueA = pick(5);
        return n;
    }

    std::mt19937 random_;
    bool awkward_ = false;
};

}  // namespace lodtest
