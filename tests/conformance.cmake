# Conformance corpus: reference results of mevlo and lodtool kept outside the
# repository. The runner executes every case against the built binaries and
# compares the results byte for byte; without the corpus the test is skipped.
# The corpus sits beside the checkout (../shared/conformance); elsewhere,
# name it with -DMEVLO_CONFORMANCE_DIR=... .
set(MEVLO_CONFORMANCE_DIR "${PROJECT_SOURCE_DIR}/../shared/conformance" CACHE PATH
    "Folder of the conformance corpus (one subfolder per case)")
cmake_path(ABSOLUTE_PATH MEVLO_CONFORMANCE_DIR BASE_DIRECTORY "${PROJECT_BINARY_DIR}" NORMALIZE
           OUTPUT_VARIABLE MEVLO_CONFORMANCE_PATH)

add_executable(conformance_runner
  ${CMAKE_CURRENT_LIST_DIR}/conformance/conformance_runner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conformance/output_compare.cpp)
target_link_libraries(conformance_runner PRIVATE mevlo_test_process)
add_dependencies(conformance_runner mevlo lodtool)

add_test(NAME conformance
  COMMAND conformance_runner $<TARGET_FILE:mevlo> $<TARGET_FILE:lodtool> ${MEVLO_CONFORMANCE_PATH})
set_tests_properties(conformance PROPERTIES SKIP_RETURN_CODE 77)
