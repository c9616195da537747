# Packages, made by CPack from the install rules (cmake/Install.cmake):
#   Linux:   three Debian packages, one per install component
#            (cpack -G DEB: libxq-utils4, libxq-utils-dev, xq-utils-tools);
#   Windows: one zip archive of the whole installation per architecture
#            (cpack -G ZIP: xq_utils-<version>-windows-x86_64.zip / -i686.zip).
# scripts/make-packages builds them; scripts/package-check proves them.
set(XQ_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
option(XQ_DEBIAN_PACKAGE "Install the files only the Debian packages carry (copyright, changelog, lintian overrides)" OFF)
set(XQ_PACKAGE_MAINTAINER "xq_utils maintainers <xq-utils@example.org>" CACHE STRING
  "Maintainer field of the Debian packages: name <address>")

set(XQ_DEB_LIBS libxq-utils${PROJECT_VERSION_MAJOR})
set(XQ_DEB_DEV libxq-utils-dev)
set(XQ_DEB_TOOLS xq-utils-tools)

if(WIN32)
  # The archive's own short README, at its top.
  set(VERSION ${PROJECT_VERSION})
  set(STDCALL "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(ARCH i686)
    set(STDCALL [[
  lib\libxq_utils_stdcall.dll.a
                            the same import library under the name callers of
                            the __stdcall exports know (i686 only)
]])
  else()
    set(ARCH x86-64)
  endif()
  configure_file(${XQ_PACKAGING_DIR}/windows/README.txt ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT libs)
elseif(XQ_DEBIAN_PACKAGE)
  # Every Debian package carries the copyright statement and the changelog
  # (compressed, without a time stamp, so the package is reproducible).
  find_program(XQ_GZIP gzip REQUIRED)
  set(changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${XQ_GZIP} -9n -c ${XQ_PACKAGING_DIR}/debian/changelog > ${changelog_gz}
    DEPENDS ${XQ_PACKAGING_DIR}/debian/changelog
    COMMENT "Compressing the Debian changelog")
  add_custom_target(xq_changelog ALL DEPENDS ${changelog_gz})
  install(FILES ${XQ_PACKAGING_DIR}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME ${XQ_DEB_LIBS} COMPONENT libs)
  foreach(component IN ITEMS libs dev tools)
    string(TOUPPER ${component} upper)
    install(FILES ${XQ_PACKAGING_DIR}/debian/copyright ${changelog_gz}
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${XQ_DEB_${upper}} COMPONENT ${component})
  endforeach()
endif()

set(CPACK_PACKAGE_NAME xq-utils)
set(CPACK_PACKAGE_VENDOR "xq_utils maintainers")
set(CPACK_PACKAGE_CONTACT "${XQ_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Read by cpack for each generator (see the file).
configure_file(${PROJECT_SOURCE_DIR}/cmake/package/CPackOptions.cmake.in
  ${PROJECT_BINARY_DIR}/CPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackOptions.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  string(REPLACE "-" "_" arch ${ARCH})
  set(CPACK_PACKAGE_FILE_NAME xq_utils-${PROJECT_VERSION}-windows-${arch})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL libs dev)
  if(TARGET xqutil)
    list(APPEND CPACK_COMPONENTS_ALL tools)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${XQ_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SOURCE xq-utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # A component's DEPENDS become "Depends: <package> (= <version>)".
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  # System libraries the binaries need, found by dpkg-shlibdeps; the library
  # itself is found in the build tree for xqutil.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
  # A shlibs file, so packages built against the library depend on it.
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

  set(CPACK_DEBIAN_LIBS_PACKAGE_NAME ${XQ_DEB_LIBS})
  set(CPACK_DEBIAN_LIBS_PACKAGE_SECTION libs)
  # The ldconfig trigger updates the library cache. CPack would otherwise
  # write a postinst and postrm calling ldconfig, so the package brings its
  # own, which do nothing (lintian is told so: packaging/debian/lintian-overrides).
  set(CPACK_DEBIAN_LIBS_PACKAGE_CONTROL_EXTRA ${XQ_PACKAGING_DIR}/debian/triggers
    ${XQ_PACKAGING_DIR}/debian/postinst ${XQ_PACKAGING_DIR}/debian/postrm)
  set(CPACK_COMPONENT_LIBS_DESCRIPTION [[microscope control kit utility library
The utility library of the microscope control kit: installation settings,
named-entry (INI) files, value conversion through conversion tables, and
lookups in the microscope's configuration files, as plain C functions.
This package holds the shared library and its German message module.]])

  set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${XQ_DEB_DEV})
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEV_DEPENDS libs)
  set(CPACK_COMPONENT_DEV_DESCRIPTION [[microscope control kit utility library - development files
The header, the CMake package (find_package(xq_utils)) and the pkg-config
file (xq_utils) for building programs against the utility library of the
microscope control kit.]])

  set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${XQ_DEB_TOOLS})
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
  set(CPACK_COMPONENT_TOOLS_DEPENDS libs)
  set(CPACK_COMPONENT_TOOLS_DESCRIPTION [[microscope control kit configuration tool
xqutil shows, checks and edits a microscope control kit installation: its
settings, stand and components, conversion tables and named-entry (INI)
files, for the people who install and service microscopes.]])
endif()

include(CPack)

# Everything the packages hold, for building it without the tests.
add_custom_target(xq_package_files)
add_dependencies(xq_package_files xq_utils)
foreach(target IN ITEMS xqutil xqutil_man xq_changelog)
  if(TARGET ${target})
    add_dependencies(xq_package_files ${target})
  endif()
endforeach()
foreach(lang IN LISTS XQ_MESSAGE_LANGUAGES)
  add_dependencies(xq_package_files xq_ut${lang})
endforeach()
