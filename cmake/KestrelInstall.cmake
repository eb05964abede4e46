# What `cmake --install` puts where (GNUInstallDirs layout):
#   bin/kestrel                         the tool; RUNPATH to the library folder
#   lib/libgrabhost5.so ... libboardhw.so
#                                       the four libraries; their sonames carry no version, so there
#                                       are no versioned files or symlinks to install
#   lib/Kestrel12.so, lib/Kestrel12.hap the applet and its design image, beside the host library:
#                                       the host looks for applets in its own folder, and the
#                                       applet's RUNPATH $ORIGIN finds the three libraries it needs
#                                       (on Windows the DLLs, the applet and its image go to bin/,
#                                       beside the tool, and the import libraries to lib/)
#   include/kestrel12/*.h, *.hpp        the public headers
#   lib/pkgconfig/kestrel.pc, grabhost5.pc
#   lib/cmake/Kestrel12/                find_package(Kestrel12): imported targets Kestrel12::grabhost5,
#                                       ::designrt, ::regiort, ::boardhw, ::applet, ::kestrel
include(CMakePackageConfigHelpers)

set(KESTREL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/kestrel12)
set(KESTREL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kestrel12)
# Where the applet's design image goes: beside the applet, which is a runtime file on Windows.
set(KESTREL_INSTALL_APPLETDIR ${CMAKE_INSTALL_LIBDIR})
if(WIN32)
  set(KESTREL_INSTALL_APPLETDIR ${CMAKE_INSTALL_BINDIR})
endif()

# The installed tool finds libgrabhost5.so, and through it the applet, wherever the prefix is moved.
file(RELATIVE_PATH kestrel_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})

set(kestrel_installed_targets designrt regiort boardhw grabhost5 Kestrel12)
# The libraries that find their neighbours through RUNPATH $ORIGIN are linked with it as it will be
# installed: nothing to rewrite at install time, and the build tree's RUNPATH stays exactly
# "$ORIGIN" (rewritable RUNPATHs get padding such as "$ORIGIN:").
set_target_properties(Kestrel12 grabhost5 boardhw PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
set_target_properties(Kestrel12 PROPERTIES EXPORT_NAME applet)
if(TARGET kestrel)
  set_target_properties(kestrel PROPERTIES INSTALL_RPATH "$ORIGIN/${kestrel_bin_to_lib}")
  list(APPEND kestrel_installed_targets kestrel)
endif()

install(TARGETS ${kestrel_installed_targets}
        EXPORT Kestrel12Targets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${KESTREL_INSTALL_INCLUDEDIR})
install(FILES ${KESTREL_DESIGN_IMAGE} DESTINATION ${KESTREL_INSTALL_APPLETDIR})
install(FILES ${PROJECT_SOURCE_DIR}/applet/include/kestrel12.h
              ${PROJECT_SOURCE_DIR}/libs/grabhost5/include/grabhost5.h
              ${PROJECT_SOURCE_DIR}/libs/grabhost5/include/grabhost5.hpp
              ${PROJECT_SOURCE_DIR}/libs/boardhw/include/boardhw.h
              ${PROJECT_SOURCE_DIR}/libs/designrt/include/designrt.h
              ${PROJECT_SOURCE_DIR}/libs/regiort/include/regiort.h
        DESTINATION ${KESTREL_INSTALL_INCLUDEDIR})

install(EXPORT Kestrel12Targets NAMESPACE Kestrel12:: DESTINATION ${KESTREL_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/Kestrel12Config.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/Kestrel12Config.cmake
                              INSTALL_DESTINATION ${KESTREL_INSTALL_CMAKEDIR}
                              PATH_VARS CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/Kestrel12ConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/Kestrel12Config.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/Kestrel12ConfigVersion.cmake
        DESTINATION ${KESTREL_INSTALL_CMAKEDIR})

# The pkg-config files find the prefix from their own folder (as the CMake package does), so that
# `cmake --install --prefix` elsewhere and a moved tree both give correct paths.
if(IS_ABSOLUTE ${CMAKE_INSTALL_LIBDIR} OR IS_ABSOLUTE ${CMAKE_INSTALL_INCLUDEDIR})
  set(KESTREL_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
else()
  file(RELATIVE_PATH kestrel_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  set(KESTREL_PC_PREFIX "\${pcfiledir}/${kestrel_pc_to_prefix}")
endif()
file(RELATIVE_PATH KESTREL_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH KESTREL_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_INCLUDEDIR}/kestrel12)
foreach(pc kestrel grabhost5)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
