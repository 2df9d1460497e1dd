# SPDX-License-Identifier: Apache-2.0
# What the vireo4 package installs: the command-line tool as /usr/bin/vireo4, its man page, the
# udev rule for the Vireo-4-USB reader, provisioning on plug and the browser page. Included by the native tree once the
# vireo4 target exists. The Debian package (debian/, dpkg-buildpackage) takes everything
# `cmake --install` installs; the simulator and the tests install nothing.

set(VIREO4_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# The man page as vireo4's reference fills it (reference/vireo4.1), compressed as Debian keeps
# them (-n: no name or time stamp, same bytes each build).
find_program(VIREO_GZIP gzip REQUIRED)
set(vireo4_man_dir ${CMAKE_BINARY_DIR}/packaging)
set(vireo4_man ${vireo4_man_dir}/vireo4.1.gz)
add_custom_command(OUTPUT ${vireo4_man}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vireo4_man_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${VIREO_REFERENCE_DIR}/vireo4.1 ${vireo4_man_dir}/vireo4.1
  COMMAND ${VIREO_GZIP} -9 -n -f ${vireo4_man_dir}/vireo4.1
  DEPENDS ${VIREO_REFERENCE_DIR}/vireo4.1
  COMMENT "Compressing the man page (vireo4.1.gz)"
  VERBATIM)
add_custom_target(vireo4_man ALL DEPENDS ${vireo4_man})

install(TARGETS vireo4 RUNTIME DESTINATION bin COMPONENT vireo4)
install(FILES ${vireo4_man} DESTINATION share/man/man1 COMPONENT vireo4)
# The Debian package installs the rule with dh_installudev (debian/vireo4.udev) instead.
option(VIREO_INSTALL_UDEV_RULE "install the udev rule under lib/udev/rules.d" ON)
if(VIREO_INSTALL_UDEV_RULE)
  install(FILES ${VIREO4_PACKAGING_DIR}/60-vireo4.rules DESTINATION lib/udev/rules.d COMPONENT vireo4)
endif()
# Provisioning on plug, off until "enabled = yes" in /etc/vireo4/provision.conf: the rule asks
# systemd for the unit, the unit runs the script, the script runs vireo4 apply.
install(FILES ${VIREO4_PACKAGING_DIR}/61-vireo4-provision.rules DESTINATION lib/udev/rules.d COMPONENT vireo4)
install(FILES ${VIREO4_PACKAGING_DIR}/vireo4-provision@.service DESTINATION lib/systemd/system COMPONENT vireo4)
install(PROGRAMS ${VIREO4_PACKAGING_DIR}/vireo4-provision DESTINATION lib/vireo4 COMPONENT vireo4)
install(FILES ${VIREO4_PACKAGING_DIR}/provision.conf DESTINATION /etc/vireo4 COMPONENT vireo4)
# Announces the reader it serves (its USB identity) to software centres.
install(FILES ${VIREO4_PACKAGING_DIR}/vireo4.metainfo.xml DESTINATION share/metainfo COMPONENT vireo4)
# The browser page, when the web tree is built: /usr/share/vireo4/web/index.html, opened in
# Chromium or Chrome, configures readers over Web Serial.
if(VIREO_WEB_BUILD_DIR)
  install(DIRECTORY ${VIREO_WEB_BUILD_DIR}/site/ DESTINATION share/vireo4/web COMPONENT vireo4
          FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
