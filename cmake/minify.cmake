# SPDX-License-Identifier: Apache-2.0
# cmake -DNODE=node -DOPTIMIZER=acorn-optimizer.js -DINPUT=in.js -DOUTPUT=out.js -P minify.cmake:
# the script without its comments and spaces, by emscripten's JavaScript optimiser (the one that
# prints the core's glue code); the same code, names and strings as the input.
execute_process(COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs ${NODE} ${OPTIMIZER} ${INPUT} minifyWhitespace
    OUTPUT_FILE ${OUTPUT}.part RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "minifying ${INPUT} failed: ${errors}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
