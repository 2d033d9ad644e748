# Writes OUTPUT, the C++ source of the viewer bundle (cmake -P, at build
# time). Installs the pinned npm packages into VIEWER_DIR/node_modules when
# they are missing; if that fails (no network), OUTPUT is the source of a
# lodtool without the viewer and the build goes on. A failing bundle stops
# the build: that is a fault of viewer/.
if(NOT EXISTS ${VIEWER_DIR}/node_modules/esbuild/package.json OR NOT EXISTS ${VIEWER_DIR}/node_modules/three/package.json)
  message(STATUS "Installing the viewer's npm packages (npm ci in ${VIEWER_DIR})")
  execute_process(COMMAND ${NPM} ci --ignore-scripts --no-audit --no-fund --fetch-retries=1
                  WORKING_DIRECTORY ${VIEWER_DIR} RESULT_VARIABLE installed)
  if(NOT installed EQUAL 0)
    message(WARNING "npm ci in ${VIEWER_DIR} failed: lodtool is built without the viewer")
    configure_file(${VIEWER_DIR}/no_viewer_bundle.cpp ${OUTPUT} COPYONLY)
    return()
  endif()
endif()
execute_process(COMMAND ${NODE} ${VIEWER_DIR}/build.mjs ${OUTPUT} ${BUNDLE_DIR} RESULT_VARIABLE bundled)
if(NOT bundled EQUAL 0)
  message(FATAL_ERROR "bundling the viewer failed")
endif()
