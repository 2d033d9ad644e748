# Opens glTF files in Blender and saves them again, as a user who imports a
# model, perhaps turns one object, and exports it with Custom Properties on.
#
#   blender --background --factory-startup --python blender_trip.py -- \
#       [--rotate OBJECT DEGREES] IN OUT [[--rotate ...] IN OUT ...]
#
# Each IN is imported into an empty scene and written to OUT as GLB.
# --rotate turns the named object of the next file about its own Z axis
# (Blender's axes), as R Z Enter in the viewport would.
import math
import sys

# Blender 3.4's glTF add-on still names numpy.bool, which newer numpy lacks.
import numpy
if not hasattr(numpy, "bool"):
    numpy.bool = bool

import bpy
from mathutils import Matrix


def trip(source, target, rotate):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.import_scene.gltf(filepath=source)
    if rotate:
        name, degrees = rotate
        obj = bpy.data.objects[name]
        obj.matrix_basis = obj.matrix_basis @ Matrix.Rotation(math.radians(degrees), 4, "Z")
    bpy.ops.export_scene.gltf(filepath=target, export_format="GLB", export_extras=True)


def main(args):
    rotate = None
    i = 0
    while i < len(args):
        if args[i] == "--rotate":
            rotate = (args[i + 1], float(args[i + 2]))
            i += 3
            continue
        trip(args[i], args[i + 1], rotate)
        rotate = None
        i += 2


try:
    main(sys.argv[sys.argv.index("--") + 1:])
except Exception as error:
    print("blender_trip.py:", error, file=sys.stderr)
    sys.exit(1)
