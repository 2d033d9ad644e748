// LOD transforms as glTF node transforms.
//
// A LOD matrix R becomes A R A^T in glTF, A the change to glTF axes. A glTF
// node transform must be translation, rotation and scale (a `matrix` that
// does not decompose so is invalid), while LOD matrices may hold shear,
// reflection or be singular. Such a matrix is split by its singular value
// decomposition M = U S V^T into a node with rotation U and scale S and a
// child node with rotation V^T; U and V^T are proper rotations (a reflection
// goes into the sign of one scale). The parts reproduce every finite matrix,
// of any rank, to a millionth of its largest entry.
#pragma once

#include "common/vec.h"

namespace mevlo {

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

// The node transform of a LOD rotation matrix and translation; the
// translation is multiplied by `scaleFactor`.
NodeTransform gltfNodeTransform(const Mat3& rotation, const Vec3& translation, double scaleFactor);

}  // namespace mevlo
