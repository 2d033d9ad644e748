# Other people's glTF: the sample models Debian's assimp-testmodels installs,
# imported and exported again, against assimp's own reading of them. Without
# assimp, or without the models, the check is reported as skipped.
set(MEVLO_GLTF_SAMPLES_DIR "/usr/share/assimp/models/glTF2" CACHE PATH
    "Sample glTF models for the import test (Debian package assimp-testmodels)")
find_package(assimp CONFIG QUIET)
if(TARGET assimp::assimp)
  add_executable(mevlo_gltf_samples_tests ${CMAKE_CURRENT_LIST_DIR}/third_party/gltf_samples_test.cpp)
  target_include_directories(mevlo_gltf_samples_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(mevlo_gltf_samples_tests PRIVATE mevlo_core assimp::assimp GTest::gtest GTest::gtest_main)
  target_compile_definitions(mevlo_gltf_samples_tests PRIVATE MEVLO_GLTF_SAMPLES_DIR="${MEVLO_GLTF_SAMPLES_DIR}")
  gtest_discover_tests(mevlo_gltf_samples_tests TEST_PREFIX "gltf_samples." DISCOVERY_TIMEOUT 60)
else()
  message(STATUS "assimp not found: the glTF sample import test will be reported as skipped")
  add_test(NAME gltf_samples COMMAND sh -c "echo SKIPPED: assimp not installed \\(Debian: libassimp-dev\\); exit 77")
  set_tests_properties(gltf_samples PROPERTIES SKIP_RETURN_CODE 77)
endif()
