# The Debian package vireo4: the command-line tool as /usr/bin/vireo4, its man page and the
# udev rule for the Vireo-4-USB reader. Included by the native tree once the vireo4 target
# exists; `cmake --build build/native --target package` writes build/native/vireo4_2.0.0_<arch>.deb.
# Only the install rules of the component vireo4 go into it (nothing of the simulator or tests).

set(VIREO4_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The man page, compressed as Debian keeps them (-n: no name or time stamp, same bytes each build).
find_program(VIREO_GZIP gzip REQUIRED)
set(vireo4_man_dir ${CMAKE_BINARY_DIR}/packaging)
set(vireo4_man ${vireo4_man_dir}/vireo4.1.gz)
add_custom_command(OUTPUT ${vireo4_man}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vireo4_man_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${VIREO4_PACKAGING_DIR}/vireo4.1 ${vireo4_man_dir}/vireo4.1
  COMMAND ${VIREO_GZIP} -9 -n -f ${vireo4_man_dir}/vireo4.1
  DEPENDS ${VIREO4_PACKAGING_DIR}/vireo4.1
  COMMENT "Compressing the man page (vireo4.1.gz)"
  VERBATIM)
add_custom_target(vireo4_man ALL DEPENDS ${vireo4_man})

install(TARGETS vireo4 RUNTIME DESTINATION bin COMPONENT vireo4)
install(FILES ${vireo4_man} DESTINATION share/man/man1 COMPONENT vireo4)
install(FILES ${VIREO4_PACKAGING_DIR}/60-vireo4.rules DESTINATION lib/udev/rules.d COMPONENT vireo4)
# Provisioning on plug, off until "enabled = yes" in /etc/vireo4/provision.conf: the rule asks
# systemd for the unit, the unit runs the script, the script runs vireo4 apply.
install(FILES ${VIREO4_PACKAGING_DIR}/61-vireo4-provision.rules DESTINATION lib/udev/rules.d COMPONENT vireo4)
install(FILES ${VIREO4_PACKAGING_DIR}/vireo4-provision@.service DESTINATION lib/systemd/system COMPONENT vireo4)
install(PROGRAMS ${VIREO4_PACKAGING_DIR}/vireo4-provision DESTINATION lib/vireo4 COMPONENT vireo4)
install(FILES ${VIREO4_PACKAGING_DIR}/provision.conf DESTINATION /etc/vireo4 COMPONENT vireo4)
# The browser page, when the web tree is built: /usr/share/vireo4/web/index.html, opened in
# Chromium or Chrome, configures readers over Web Serial.
if(VIREO_WEB_BUILD_DIR)
  install(DIRECTORY ${VIREO_WEB_BUILD_DIR}/site/ DESTINATION share/vireo4/web COMPONENT vireo4
          FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};vireo4;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME vireo4)
set(CPACK_PACKAGE_VERSION 2.0.0)
set(CPACK_PACKAGE_VENDOR Vireo)
set(CPACK_PACKAGE_CONTACT "VireoTool-4 maintainers <vireotool4@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-line configurator for Vireo-4 proximity card readers")
# The extended description (CPack puts the summary first and indents these lines).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "vireo4 finds Vireo-4KRU, Vireo-4KRM and Vireo-4-USB readers on the serial ports,
reads and writes their settings by name, applies a profile file to several readers
at once and reads the barcode number and cipher ID of cards held to a reader.
.
A udev rule lets members of the group dialout use the Vireo-4-USB reader and gives
it the stable names /dev/vireo4-usb and /dev/vireo4-usb-SERIAL.
.
Provisioning on plug, off until enabled in /etc/vireo4/provision.conf: a reader
plugged in takes the site profile /etc/vireo4/site.ini, logged to the journal.
.
The same configurator as a page for Chromium-based browsers (Web Serial) is in
/usr/share/vireo4/web: open index.html; nothing else is needed.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS udev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# Depends: computed from the binary's libraries where dpkg-shlibdeps runs, else the two
# libraries a C++ program of this toolchain needs.
find_program(VIREO_DPKG_SHLIBDEPS dpkg-shlibdeps)
set(vireo4_shlibdeps OFF)
if(VIREO_DPKG_SHLIBDEPS)
  execute_process(COMMAND ${VIREO_DPKG_SHLIBDEPS} --version RESULT_VARIABLE shlibdeps_result
                  OUTPUT_QUIET ERROR_QUIET)
  if(shlibdeps_result EQUAL 0)
    set(vireo4_shlibdeps ON)
  endif()
endif()
if(vireo4_shlibdeps)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()

# After install and removal udev rereads its rules, so a reader already plugged in gets the
# group and the links without a replug (skipped where udev does not run, e.g. in a chroot).
configure_file(${VIREO4_PACKAGING_DIR}/postinst ${vireo4_man_dir}/control/postinst COPYONLY)
configure_file(${VIREO4_PACKAGING_DIR}/postrm ${vireo4_man_dir}/control/postrm COPYONLY)
file(WRITE ${vireo4_man_dir}/control/conffiles "/etc/vireo4/provision.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${vireo4_man_dir}/control/postinst;${vireo4_man_dir}/control/postrm;${vireo4_man_dir}/control/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

# The package as built: its files, control fields, man page and udev rule (scripts/check_deb.py).
find_program(VIREO_PKG_PYTHON NAMES python3 REQUIRED)
set(vireo4_site_check)
if(VIREO_WEB_BUILD_DIR)
  set(vireo4_site_check --site ${VIREO_WEB_BUILD_DIR}/site)
endif()
add_test(NAME package_deb COMMAND ${VIREO_PKG_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/check_deb.py
         --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR} ${vireo4_site_check})
set_tests_properties(package_deb PROPERTIES LABELS package TIMEOUT 300)

# Provisioning's command against simulated readers: what it writes and what it logs.
add_test(NAME package_provision COMMAND ${VIREO_PKG_PYTHON} ${CMAKE_SOURCE_DIR}/tests/provision/test_provision.py)
set_tests_properties(package_provision PROPERTIES LABELS package TIMEOUT 120
    ENVIRONMENT "VIREO_SIM=$<TARGET_FILE:vireo-sim>;VIREO4=$<TARGET_FILE:vireo4>")
