# Blender, for the glTF round trip through it (tests/blender_round_trip_test.cpp).
# Without it (or in a cross build, where the tests run under another
# system) the test says it skipped.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(MEVLO_BLENDER blender DOC "Blender, for the glTF round trip test")
endif()
if(MEVLO_BLENDER)
  set(MEVLO_BLENDER_FOR_TESTS "${MEVLO_BLENDER}")
else()
  set(MEVLO_BLENDER_FOR_TESTS "")
endif()
target_compile_definitions(mevlo_tests PRIVATE MEVLO_BLENDER="${MEVLO_BLENDER_FOR_TESTS}")
