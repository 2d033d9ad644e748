# Our glTF output as an independent reader (assimp) sees it. Without assimp
# the check is reported as skipped, never as passed.
find_package(assimp CONFIG QUIET)
if(TARGET assimp::assimp)
  add_executable(mevlo_gltf_readback_tests ${CMAKE_CURRENT_LIST_DIR}/third_party/gltf_readback_test.cpp)
  target_include_directories(mevlo_gltf_readback_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(mevlo_gltf_readback_tests PRIVATE
    mevlo_core mevlo_lod_builder assimp::assimp GTest::gtest GTest::gtest_main)
  gtest_discover_tests(mevlo_gltf_readback_tests TEST_PREFIX "gltf_readback." DISCOVERY_TIMEOUT 60)
else()
  message(STATUS "assimp not found: the glTF read-back test will be reported as skipped")
  add_test(NAME gltf_readback COMMAND sh -c "echo SKIPPED: assimp not installed \\(Debian: libassimp-dev\\); exit 77")
  set_tests_properties(gltf_readback PROPERTIES SKIP_RETURN_CODE 77)
endif()
