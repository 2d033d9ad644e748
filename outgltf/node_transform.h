// LOD transforms as glTF node transforms.
//
// glTF is +Y up and right-handed: a LOD vector (x, y, z) is written as
// (y, -z, -x), and a LOD matrix R becomes A R A^T with A that map. A glTF
// node transform must be translation, rotation and scale (a `matrix` that
// does not decompose so is invalid), while LOD matrices may hold shear,
// reflection or be singular. Such a matrix is split by its singular value
// decomposition M = U S V^T into a node with rotation U and scale S and a
// child node with rotation V^T; U and V^T are proper rotations (a reflection
// goes into the sign of one scale).
#pragma once

#include "common/vec.h"

namespace mevlo {

struct Vec3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Unit quaternion (x, y, z, w), identity by default.
struct Quaternion {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

struct NodeTransform {
    // False when a number of the LOD transform was not finite; everything
    // below is then the identity.
    bool finite = true;
    Vec3d translation;
    Quaternion rotation;
    Vec3d scale{1.0, 1.0, 1.0};
    // True when the matrix is no rotation: `shear` belongs to a child node.
    bool split = false;
    Quaternion shear;
};

// (x, y, z) -> (y, -z, -x), in double.
Vec3d toGltfAxes(const Vec3& v);

// The node transform of a LOD rotation matrix and translation; the
// translation is multiplied by `scaleFactor`.
NodeTransform gltfNodeTransform(const Mat3& rotation, const Vec3& translation, double scaleFactor);

}  // namespace mevlo
