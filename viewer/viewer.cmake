# The page of `lodtool view`: the web app in viewer/ bundled by esbuild
# (three.js and esbuild pinned in viewer/package-lock.json) and compiled into
# lodtool as a generated source. The npm packages are installed at build
# time, never at configure time. Without node and npm, or when the install
# fails (no network), lodtool is built with an empty bundle and `lodtool view`
# says in one line that it was built without the viewer.
option(MEVLO_VIEWER "Bundle the viewer into lodtool when node and npm are found" ON)
find_program(MEVLO_NODE node)
find_program(MEVLO_NPM npm)
set(MEVLO_VIEWER_BUNDLE_DIR ${PROJECT_BINARY_DIR}/viewer)
if(MEVLO_VIEWER AND MEVLO_NODE AND MEVLO_NPM)
  set(MEVLO_VIEWER_SOURCE ${MEVLO_VIEWER_BUNDLE_DIR}/viewer_bundle.cpp)
  file(GLOB MEVLO_VIEWER_APP CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/viewer/src/*)
  add_custom_command(
    OUTPUT ${MEVLO_VIEWER_SOURCE}
    COMMAND ${CMAKE_COMMAND} -DNODE=${MEVLO_NODE} -DNPM=${MEVLO_NPM} -DVIEWER_DIR=${PROJECT_SOURCE_DIR}/viewer
            -DOUTPUT=${MEVLO_VIEWER_SOURCE} -DBUNDLE_DIR=${MEVLO_VIEWER_BUNDLE_DIR}
            -P ${PROJECT_SOURCE_DIR}/viewer/make_bundle.cmake
    DEPENDS ${MEVLO_VIEWER_APP} ${PROJECT_SOURCE_DIR}/viewer/build.mjs ${PROJECT_SOURCE_DIR}/viewer/package.json
            ${PROJECT_SOURCE_DIR}/viewer/package-lock.json ${PROJECT_SOURCE_DIR}/viewer/make_bundle.cmake
            ${PROJECT_SOURCE_DIR}/viewer/no_viewer_bundle.cpp
    COMMENT "Bundling the viewer of lodtool view"
    VERBATIM)
else()
  message(STATUS "lodtool is built without the viewer (node and npm not found, or MEVLO_VIEWER is OFF)")
  set(MEVLO_VIEWER_SOURCE ${PROJECT_SOURCE_DIR}/viewer/no_viewer_bundle.cpp)
endif()
target_sources(lodtool PRIVATE ${MEVLO_VIEWER_SOURCE})
