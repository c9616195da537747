# Installation: the library, its header, the language modules, xqutil, a CMake
# package (find_package(xq_utils) -> xq_utils::xq_utils) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(XQ_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/xq_utils)

install(TARGETS xq_utils EXPORT xq_utilsTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/xq_utils.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The catalogue finds a language module beside the library: the DLL's
# directory on Windows (bin), the .so's directory on Linux (lib).
if(WIN32)
  set(XQ_MODULE_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(XQ_MODULE_DIR ${CMAKE_INSTALL_LIBDIR})
endif()
foreach(lang IN LISTS XQ_MESSAGE_LANGUAGES)
  if(WIN32)
    install(TARGETS xq_ut${lang} LIBRARY DESTINATION ${XQ_MODULE_DIR})
  else()
    install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/xq_ut${lang}.DLL DESTINATION ${XQ_MODULE_DIR})
  endif()
endforeach()

if(TARGET xqutil)
  install(TARGETS xqutil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT WIN32)
    # Finds the installed library relative to itself, wherever the prefix is.
    file(RELATIVE_PATH rel /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set_target_properties(xqutil PROPERTIES INSTALL_RPATH "\$ORIGIN/${rel}")
  endif()
endif()

install(EXPORT xq_utilsTargets NAMESPACE xq_utils:: DESTINATION ${XQ_CMAKE_DIR})
configure_package_config_file(cmake/package/xq_utilsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/xq_utilsConfig.cmake INSTALL_DESTINATION ${XQ_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/xq_utilsConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/xq_utilsConfig.cmake ${PROJECT_BINARY_DIR}/xq_utilsConfigVersion.cmake
  DESTINATION ${XQ_CMAKE_DIR})

# pkg-config: relocatable (the prefix found from the .pc file's own place),
# unless the install dirs were given as absolute paths.
file(RELATIVE_PATH XQ_PC_UP /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" XQ_PC_UP "${XQ_PC_UP}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(XQ_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(XQ_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(XQ_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(XQ_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(cmake/package/xq_utils.pc.in ${PROJECT_BINARY_DIR}/xq_utils.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/xq_utils.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
