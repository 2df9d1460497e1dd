# SPDX-License-Identifier: Apache-2.0
# gcc stores the Russian texts as code page 1251 bytes (-fexec-charset=CP1251); clang, and so
# emscripten, keeps UTF-8. The web tree therefore compiles copies of the sources whose
# unprefixed literals are written as CP1251 byte escapes (cp1251_literals.py), so that the
# WebAssembly core holds the same bytes as the native one and its tests give the same results.
find_program(VIREO_PYTHON3 NAMES python3 REQUIRED)

# vireo_cp1251_copies(OUT_VAR source...): the converted copies, under the binary dir's cp1251/.
function(vireo_cp1251_copies out)
  set(copies)
  foreach(source ${ARGN})
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${source})
    set(copy ${CMAKE_BINARY_DIR}/cp1251/${relative})
    add_custom_command(OUTPUT ${copy}
        COMMAND ${VIREO_PYTHON3} ${CMAKE_SOURCE_DIR}/cmake/cp1251_literals.py ${source} ${copy}
        DEPENDS ${source} ${CMAKE_SOURCE_DIR}/cmake/cp1251_literals.py
        COMMENT "Code page 1251 literals: ${relative}" VERBATIM)
    list(APPEND copies ${copy})
  endforeach()
  set(${out} ${copies} PARENT_SCOPE)
endfunction()
