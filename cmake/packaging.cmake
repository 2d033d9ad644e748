# Release archives: `cmake --build BUILD --target package` makes
#   mevlo-<version>-windows-x86_64.zip     (cross build with cmake/mingw-w64.cmake)
#   mevlo-<version>-linux-x86_64.tar.gz    (native Linux build)
# holding both programs, the README and, when the repository has one, the
# license, in one folder of that name.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
foreach(license LICENSE LICENSE.md LICENSE.txt COPYING)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${license})
    install(FILES ${PROJECT_SOURCE_DIR}/${license} DESTINATION .)
  endif()
endforeach()

if(WIN32)
  set(MEVLO_PACKAGE_SYSTEM windows)
  set(CPACK_GENERATOR ZIP)
else()
  string(TOLOWER ${CMAKE_SYSTEM_NAME} MEVLO_PACKAGE_SYSTEM)
  set(CPACK_GENERATOR TGZ)
endif()
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" MEVLO_PACKAGE_CPU)
if(MEVLO_PACKAGE_CPU MATCHES "^(amd64|x64)$")
  set(MEVLO_PACKAGE_CPU x86_64)
endif()

set(CPACK_PACKAGE_NAME mevlo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "mevlo-${PROJECT_VERSION}-${MEVLO_PACKAGE_SYSTEM}-${MEVLO_PACKAGE_CPU}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Only the programs and documents, without debugging information.
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
