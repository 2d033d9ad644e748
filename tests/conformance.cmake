# Conformance corpus: reference results of mevlo and lodtool kept outside the
# repository. The runner executes every case against the built binaries and
# compares the results byte for byte; without the corpus the test is skipped.
# The corpus sits beside the checkout (../shared/conformance); the workplace's
# fixed location is the fallback for checkouts made elsewhere.
set(MEVLO_CONFORMANCE_DEFAULT "${CMAKE_SOURCE_DIR}/../shared/conformance")
if(NOT EXISTS "${MEVLO_CONFORMANCE_DEFAULT}" AND EXISTS "/work/shared/conformance")
  set(MEVLO_CONFORMANCE_DEFAULT "/work/shared/conformance")
endif()
set(MEVLO_CONFORMANCE_DIR "${MEVLO_CONFORMANCE_DEFAULT}" CACHE PATH
    "Folder of the conformance corpus (one subfolder per case)")
cmake_path(ABSOLUTE_PATH MEVLO_CONFORMANCE_DIR BASE_DIRECTORY "${CMAKE_BINARY_DIR}" NORMALIZE
           OUTPUT_VARIABLE MEVLO_CONFORMANCE_PATH)

add_executable(conformance_runner
  ${CMAKE_CURRENT_LIST_DIR}/conformance/conformance_runner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conformance/output_compare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conformance/process_runner.cpp)
add_dependencies(conformance_runner mevlo lodtool)

add_test(NAME conformance
  COMMAND conformance_runner $<TARGET_FILE:mevlo> $<TARGET_FILE:lodtool> ${MEVLO_CONFORMANCE_PATH})
set_tests_properties(conformance PROPERTIES SKIP_RETURN_CODE 77)
