# Opens our 3DS output in two independent readers, lib3ds (C) and assimp
# (C++). Without them the check is reported as skipped, never as passed.
find_path(MEVLO_LIB3DS_INCLUDE_DIR lib3ds/file.h)
find_library(MEVLO_LIB3DS_LIBRARY NAMES 3ds)
find_package(assimp CONFIG QUIET)

if(MEVLO_LIB3DS_INCLUDE_DIR AND MEVLO_LIB3DS_LIBRARY AND TARGET assimp::assimp)
  add_executable(mevlo_third_party_tests ${CMAKE_CURRENT_LIST_DIR}/third_party/third_party_readers_test.cpp)
  target_include_directories(mevlo_third_party_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${MEVLO_LIB3DS_INCLUDE_DIR})
  target_link_libraries(mevlo_third_party_tests PRIVATE
    mevlo_core mevlo_lod_builder ${MEVLO_LIB3DS_LIBRARY} assimp::assimp GTest::gtest GTest::gtest_main)
  target_compile_definitions(mevlo_third_party_tests PRIVATE MEVLO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(mevlo_third_party_tests TEST_PREFIX "third_party." DISCOVERY_TIMEOUT 60)
else()
  message(STATUS "lib3ds or assimp not found: the third-party reader tests will be reported as skipped")
  add_executable(mevlo_third_party_skipped ${CMAKE_CURRENT_LIST_DIR}/third_party/readers_missing_main.cpp)
  add_test(NAME third_party_readers COMMAND mevlo_third_party_skipped)
  set_tests_properties(third_party_readers PROPERTIES SKIP_RETURN_CODE 77)
endif()
