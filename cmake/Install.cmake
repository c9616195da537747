# Installation: the library, its header, the language modules, xqutil, a CMake
# package (find_package(xq_utils) -> xq_utils::xq_utils) and a pkg-config file.
# Each file belongs to one component, which the Debian packages follow:
# libs (the library and its language modules), dev (what a program needs to
# build against it) and tools (xqutil and its documentation).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(XQ_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/xq_utils)

install(TARGETS xq_utils EXPORT xq_utilsTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT libs
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libs NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES include/xq_utils.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

# The catalogue finds a language module beside the library: the DLL's
# directory on Windows (bin), the .so's directory on Linux (lib).
if(WIN32)
  set(XQ_MODULE_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(XQ_MODULE_DIR ${CMAKE_INSTALL_LIBDIR})
endif()
foreach(lang IN LISTS XQ_MESSAGE_LANGUAGES)
  if(WIN32)
    install(TARGETS xq_ut${lang} LIBRARY DESTINATION ${XQ_MODULE_DIR} COMPONENT libs)
  else()
    install(FILES ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/xq_ut${lang}.DLL DESTINATION ${XQ_MODULE_DIR} COMPONENT libs)
  endif()
endforeach()

if(TARGET xqutil)
  install(TARGETS xqutil RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  # Finds the installed library relative to itself, wherever the prefix is;
  # not needed where the dynamic linker looks anyway (/usr/lib/<triplet>).
  if(NOT WIN32 AND NOT "${CMAKE_INSTALL_FULL_LIBDIR}" IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
    file(RELATIVE_PATH rel /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set_target_properties(xqutil PROPERTIES INSTALL_RPATH "\$ORIGIN/${rel}")
  endif()
  if(NOT WIN32)
    # Its manual page with the version filled in, compressed without a time
    # stamp, and its bash completion.
    find_program(XQ_GZIP gzip REQUIRED)
    configure_file(tools/xqutil.1 ${PROJECT_BINARY_DIR}/packaging/xqutil.1 @ONLY)
    set(man_gz ${PROJECT_BINARY_DIR}/packaging/xqutil.1.gz)
    add_custom_command(OUTPUT ${man_gz}
      COMMAND ${XQ_GZIP} -9n -c ${PROJECT_BINARY_DIR}/packaging/xqutil.1 > ${man_gz}
      DEPENDS ${PROJECT_BINARY_DIR}/packaging/xqutil.1
      COMMENT "Compressing the manual page xqutil.1")
    add_custom_target(xqutil_man ALL DEPENDS ${man_gz})
    install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
    install(FILES tools/bash-completion/xqutil
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions COMPONENT tools)
  endif()
endif()

# i686: the import library of the __stdcall bindings under its own name too.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  install(FILES ${PROJECT_BINARY_DIR}/libxq_utils_stdcall.dll.a DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
endif()

install(EXPORT xq_utilsTargets NAMESPACE xq_utils:: DESTINATION ${XQ_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(cmake/package/xq_utilsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/xq_utilsConfig.cmake INSTALL_DESTINATION ${XQ_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/xq_utilsConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/xq_utilsConfig.cmake ${PROJECT_BINARY_DIR}/xq_utilsConfigVersion.cmake
  DESTINATION ${XQ_CMAKE_DIR} COMPONENT dev)

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
install(FILES ${PROJECT_BINARY_DIR}/xq_utils.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
