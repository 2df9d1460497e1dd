# SPDX-License-Identifier: Apache-2.0
# Release artefacts that do not depend on where or when they are built: two clones of one commit
# in different folders give the same bytes.
#
# - Paths: compiled code names source files relative to the source tree (__FILE__, debug info).
# - Time: SOURCE_DATE_EPOCH, when the environment does not set it, is the last commit's time;
#   VIREO_SOURCE_DATE_EPOCH holds it for the build steps that stamp a date (manual, installer).
# - Windows programs carry no link time stamp.

add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VIREO_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE VIREO_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE vireo_git_result ERROR_QUIET)
  if(NOT vireo_git_result EQUAL 0 OR NOT VIREO_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(VIREO_SOURCE_DATE_EPOCH "")
  endif()
endif()
# A build step that stamps a date runs under ${VIREO_DATED} (empty when no time is known).
set(VIREO_DATED)
if(VIREO_SOURCE_DATE_EPOCH)
  set(VIREO_DATED ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VIREO_SOURCE_DATE_EPOCH})
  # The commit's time is known at configure time: a new commit reconfigures.
  if(EXISTS ${CMAKE_SOURCE_DIR}/.git)
    execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} rev-parse --absolute-git-dir
                    OUTPUT_VARIABLE vireo_git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(vireo_git_dir AND EXISTS ${vireo_git_dir}/logs/HEAD)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vireo_git_dir}/logs/HEAD)
    endif()
  endif()
endif()

if(CMAKE_CROSSCOMPILING AND NOT EMSCRIPTEN)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
