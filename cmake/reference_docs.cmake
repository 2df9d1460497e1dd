# SPDX-License-Identifier: Apache-2.0
# vireo4's man page and the manual's command-line chapter are filled from vireo4's own tables
# at build time by vireo4-docs (src/cli/docgen). The native tree builds it as a target; the
# cross tree builds it for the build machine in its own small tree (host-docs) and runs it there.
# VIREO_DOCS_TOOL: the program; VIREO_DOCS_DEPENDS: what a generated file depends on.
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(host_docs_dir ${CMAKE_BINARY_DIR}/host-docs)
  set(VIREO_DOCS_TOOL ${host_docs_dir}/src/cli/vireo4-docs)
  set(host_docs_args -DVIREO_DOCS_ONLY=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release)
  foreach(launcher CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER)
    if(DEFINED ENV{${launcher}})
      list(APPEND host_docs_args -D${launcher}=$ENV{${launcher}})
    elseif(${launcher})
      list(APPEND host_docs_args -D${launcher}=${${launcher}})
    endif()
  endforeach()
  ExternalProject_Add(host_docs
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${host_docs_dir}
    CMAKE_ARGS ${host_docs_args}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_docs_dir} --target vireo4-docs
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${VIREO_DOCS_TOOL})
  set(VIREO_DOCS_DEPENDS host_docs ${VIREO_DOCS_TOOL})
else()
  set(VIREO_DOCS_TOOL $<TARGET_FILE:vireo4-docs>)
  set(VIREO_DOCS_DEPENDS vireo4-docs)
endif()

# out: the file written; kind: man or manual; template: the hand-written text with @@blocks@@.
function(vireo_reference_doc out kind template)
  get_filename_component(name ${out} NAME)
  add_custom_command(OUTPUT ${out}
    COMMAND ${VIREO_DOCS_TOOL} ${kind} ${template} ${out}
    DEPENDS ${VIREO_DOCS_DEPENDS} ${template}
    COMMENT "Filling ${name} from vireo4's reference"
    VERBATIM)
endfunction()
