# lodtool view's pages opened in headless Chromium, driven by puppeteer-core
# (pinned in viewer/package-lock.json, installed with npm ci in viewer/).
# Without node, Chromium, the npm packages or a lodtool built with the
# viewer, the test reports itself skipped.
add_executable(make_view_models ${CMAKE_CURRENT_LIST_DIR}/browser/make_view_models.cpp)
target_link_libraries(make_view_models PRIVATE mevlo_lod_builder)
if(MEVLO_NODE)
  add_test(NAME viewer_browser
           COMMAND ${MEVLO_NODE} ${CMAKE_CURRENT_LIST_DIR}/browser/view_test.mjs
                   --lodtool $<TARGET_FILE:lodtool> --make-models $<TARGET_FILE:make_view_models>
                   --source ${PROJECT_SOURCE_DIR})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " MEVLO_VIEW_RUNNER)
    set_tests_properties(viewer_browser PROPERTIES ENVIRONMENT "MEVLO_TARGET_RUNNER=${MEVLO_VIEW_RUNNER}")
  endif()
else()
  add_test(NAME viewer_browser COMMAND sh -c "echo SKIPPED: node is not installed; exit 77")
endif()
set_tests_properties(viewer_browser PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
