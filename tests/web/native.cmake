# SPDX-License-Identifier: Apache-2.0
# Included by the native tree. The face is compiled without the window's code page: the page's
# own texts are UTF-8, and the window's come through the core's conversion.
file(GLOB WEB_FACE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/web/*.cpp)
add_library(vireo_web_face STATIC ${WEB_FACE_SOURCES})
target_compile_options(vireo_web_face PRIVATE ${VIREO_WARNINGS} ${VIREO_SANITIZE})
target_link_libraries(vireo_web_face PUBLIC vireo_core)

file(GLOB FACE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/web/*_test.cpp)
add_executable(face_tests ${FACE_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/unit/main.cpp)
target_include_directories(face_tests PRIVATE ${DOCTEST_INCLUDE} ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(face_tests PRIVATE ${VIREO_SANITIZE})
target_link_libraries(face_tests PRIVATE vireo_web_face)
add_test(NAME web_face COMMAND face_tests)
set_tests_properties(web_face PROPERTIES LABELS "web;unit" TIMEOUT 60)

# The page's own logic beyond the DOM (changes in words, the log, the card table, profiles,
# open failures) under Node's test runner.
find_program(NODE_PROGRAM NAMES node nodejs)
if(NODE_PROGRAM)
  file(GLOB PAGE_LOGIC_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/web/logic/*.test.js)
  add_test(NAME web_logic COMMAND ${NODE_PROGRAM} --test ${PAGE_LOGIC_TESTS})
  set_tests_properties(web_logic PROPERTIES LABELS "web;unit" TIMEOUT 60)
endif()

if(VIREO_WEB_BUILD_DIR)
  find_program(DEBIAN_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  # The same unit tests under Node, with the same results as here.
  add_test(NAME web_node COMMAND ${DEBIAN_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/web/node_tests.py
           $<TARGET_FILE:unit_tests> ${VIREO_WEB_BUILD_DIR}/tests/web/unit_tests_node.js
           $<TARGET_FILE:face_tests> ${VIREO_WEB_BUILD_DIR}/tests/web/face_tests_node.js)
  set_tests_properties(web_node PROPERTIES LABELS web TIMEOUT 300)

  # The page in headless Chromium against simulated readers; each test_*.py file is one test.
  vireo_add_script_tests(web ${CMAKE_SOURCE_DIR}/tests/web ${DEBIAN_PYTHON3} web 300
      "VIREO_SIM=$<TARGET_FILE:vireo-sim>;VIREO4=$<TARGET_FILE:vireo4>;VIREO_WEB_SITE=${VIREO_WEB_BUILD_DIR}/site")
endif()
