# glTF exports checked by the Khronos validator (node package, pinned in
# tests/gltf, installed into the build tree by .ci/run with npm ci). Without
# node or the package the test is reported as skipped.
add_executable(gltf_validation_corpus ${CMAKE_CURRENT_LIST_DIR}/gltf/make_validation_corpus.cpp)
target_include_directories(gltf_validation_corpus PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(gltf_validation_corpus PRIVATE mevlo_core mevlo_lod_builder)

set(MEVLO_GLTF_VALIDATOR_MODULES "${PROJECT_BINARY_DIR}/gltf-validator/node_modules" CACHE PATH
    "node_modules folder holding the gltf-validator package")
add_test(NAME gltf_validator
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/gltf/run_validation.sh $<TARGET_FILE:gltf_validation_corpus>
                 ${PROJECT_SOURCE_DIR} ${MEVLO_GLTF_VALIDATOR_MODULES})
set_tests_properties(gltf_validator PROPERTIES SKIP_RETURN_CODE 77)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  # The corpus tool is a program of the target: the script starts it through
  # the emulator (Wine), and the host's node validates what it wrote.
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " MEVLO_TARGET_RUNNER)
  set_tests_properties(gltf_validator PROPERTIES ENVIRONMENT "MEVLO_TARGET_RUNNER=${MEVLO_TARGET_RUNNER}")
endif()
