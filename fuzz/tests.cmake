# SPDX-License-Identifier: Apache-2.0
# Included by the native tree when the fuzzing tree was built (VIREO_FUZZ_BUILD_DIR): each
# harness runs for a bounded time from its committed seeds and fails the test on any finding.
# 60 s each: the seeds hold the coverage of a 10-minute run per harness, so the run re-checks
# every property on them in under a second and spends the rest exploring (docs/fuzzing.md).
set(VIREO_FUZZ_SECONDS 60 CACHE STRING "seconds each harness runs in the test suite")
file(GLOB FUZZ_HARNESSES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(src ${FUZZ_HARNESSES})
  get_filename_component(name ${src} NAME_WE)
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz-run.sh
           ${VIREO_FUZZ_BUILD_DIR}/${name} ${VIREO_FUZZ_SECONDS}
           ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name} ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
