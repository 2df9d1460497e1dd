# SPDX-License-Identifier: Apache-2.0
# The product's version, written once in project(VERSION) and spelled here in every form the
# product shows it: 2.0.0 (packages, --version), 2.00 (the product's own label, as in
# "ver.2.00"), 2_00 (the manual's file name), 2.0.0.0 and 2,0,0,0 (Windows version records).
# core/version.h (generated beside the core's headers) carries them to the C++ sources and the
# resource files.
set(VIREO_VERSION ${PROJECT_VERSION})
set(VIREO_VERSION_LABEL "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}")
string(REPLACE "." "_" VIREO_VERSION_FILE_LABEL "${VIREO_VERSION_LABEL}")
set(VIREO_VERSION_RECORD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(VIREO_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(VIREO_MANUAL_NAME "VireoTool-4 ver_${VIREO_VERSION_FILE_LABEL}.pdf")
set(VIREO_INSTALLER_NAME "VireoTool-4-${VIREO_VERSION_LABEL}-setup.exe")

set(VIREO_GENERATED_INCLUDE ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${VIREO_GENERATED_INCLUDE}/core/version.h @ONLY)
include_directories(${VIREO_GENERATED_INCLUDE})
