# What the library is made of, in the order of the public header's sections,
# then the one backend of the operating-system seam that the build picks.
# Paths are relative to the project root.

set(XQ_COMMON_SOURCES
  # The module: start-up, the in-process component entry points
  # (DllCanUnloadNow ...) and the layouts of the shared records.
  src/api/module.cpp
  # Status reporting and the message catalogue (SetError).
  src/status/status.cpp
  src/status/catalogue.cpp
  src/status/message_file.cpp
  # Named-entry files: lookups, rewriting, token streams and date.
  src/named/values.cpp
  src/named/lookup.cpp
  src/named/in_place.cpp
  src/named/rewrite.cpp
  src/named/tokens.cpp
  # The profile reader and writer under the named-entry files.
  src/profile/read.cpp
  src/profile/write.cpp
  # Installation settings and the per-process overrides.
  src/settings/settings.cpp
  src/settings/overrides.cpp
  # Value conversion: scaling, interpolation, number text, conversion block.
  src/convert/scaling.cpp
  src/convert/table.cpp
  src/convert/section_snapshot.cpp
  src/convert/conversion.cpp
  # Microscope configuration and physical server interface lookups.
  src/config/sources.cpp
  src/config/configuration.cpp
  src/config/server_interface.cpp
)

# Linux: the POSIX backend and the registry-file store behind its registry
# functions.
set(XQ_POSIX_SOURCES
  src/platform/posix/fd.cpp
  src/platform/posix/file_lock.cpp
  src/platform/posix/file_rewrite.cpp
  src/platform/posix/file_update.cpp
  src/platform/posix/files.cpp
  src/platform/posix/modules.cpp
  src/platform/posix/registry.cpp
  src/platform/posix/system.cpp
  src/platform/regfile/edit.cpp
  src/platform/regfile/format.cpp
  src/platform/regfile/lines.cpp
  src/platform/regfile/model.cpp
  src/platform/regfile/parse.cpp
  src/platform/regfile/syntax.cpp
  src/platform/regfile/utf.cpp
)

# Windows: the Win32 backend (the catalogue is the DLL's string table).
set(XQ_WIN32_SOURCES
  src/platform/win32/file_io.cpp
  src/platform/win32/file_rewrite.cpp
  src/platform/win32/file_update.cpp
  src/platform/win32/files.cpp
  src/platform/win32/modules.cpp
  src/platform/win32/registry.cpp
  src/platform/win32/rewrite_lock.cpp
  src/platform/win32/system.cpp
)

# Not in the Windows product, which has no use for UTF-8 of its own: tests
# and tools there reach it through xq_core.
set(XQ_WIN32_SUPPORT_SOURCES
  src/platform/regfile/utf.cpp
)

if(WIN32)
  set(XQ_PLATFORM_SOURCES ${XQ_WIN32_SOURCES})
else()
  set(XQ_PLATFORM_SOURCES ${XQ_POSIX_SOURCES})
endif()
list(TRANSFORM XQ_COMMON_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
list(TRANSFORM XQ_PLATFORM_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
list(TRANSFORM XQ_WIN32_SUPPORT_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
