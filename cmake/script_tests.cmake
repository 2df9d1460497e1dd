# SPDX-License-Identifier: Apache-2.0
# One ctest test per test_*.py file of a folder: tests/e2e/test_help.py becomes PREFIX_help.
function(vireo_add_script_tests prefix folder python label timeout environment)
  file(GLOB test_files CONFIGURE_DEPENDS ${folder}/test_*.py)
  foreach(test_file ${test_files})
    get_filename_component(test_name ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_" "" test_name ${test_name})
    add_test(NAME ${prefix}_${test_name} COMMAND ${python} ${test_file})
    set_tests_properties(${prefix}_${test_name} PROPERTIES LABELS ${label} TIMEOUT ${timeout}
        ENVIRONMENT "${environment}")
  endforeach()
endfunction()
