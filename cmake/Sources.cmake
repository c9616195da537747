# What the library is made of: its sources by export family and engine,
# then the one backend of the operating-system seam that the build picks.
# Paths are relative to the project root.

# Every platform.
set(XQ_COMMON_SOURCES
  src/frame/entry_points.cpp
  src/frame/layout_checks.cpp
  src/frame/message_format.cpp
  src/frame/message_text.cpp
  src/frame/overrides.cpp
  src/frame/settings_exports.cpp
  src/frame/settings_store.cpp
  src/frame/status.cpp
  src/frame/text_copy.cpp
  src/named/comma_field.cpp
  src/named/copy_file.cpp
  src/named/date.cpp
  src/named/exist_file.cpp
  src/named/in_place.cpp
  src/named/int_scan.cpp
  src/named/line_scanner.cpp
  src/named/named_array.cpp
  src/named/named_data.cpp
  src/named/named_indirect.cpp
  src/named/named_string.cpp
  src/named/named_value.cpp
  src/named/named_words.cpp
  src/named/none_test.cpp
  src/named/profile_args.cpp
  src/named/profile_encoding.cpp
  src/named/profile_output.cpp
  src/named/profile_read.cpp
  src/named/profile_write.cpp
  src/named/replace_data.cpp
  src/named/replace_string.cpp
  src/named/replace_word.cpp
  src/named/token_stream.cpp
  src/named/value_rewrite.cpp
  src/named/words.cpp
  src/convert/conversion.cpp
  src/convert/handle_exports.cpp
  src/convert/handle_fill.cpp
  src/convert/interpolate.cpp
  src/convert/number_text.cpp
  src/convert/rounded_quotient.cpp
  src/convert/scale_int.cpp
  src/convert/section_snapshot.cpp
  src/convert/table_file_exports.cpp
  src/convert/table_reads.cpp
  src/config/component_entries.cpp
  src/config/component_settings.cpp
  src/config/conf_paths.cpp
  src/config/conf_settings.cpp
  src/config/conf_sources.cpp
  src/config/conf_value.cpp
  src/config/optical_path.cpp
  src/config/stand_lookup.cpp
  src/psi/component_entry.cpp
  src/psi/next_layer.cpp
  src/platform/fault.cpp
  src/resources/message_file.cpp
)

# Linux: the POSIX backend, the registry-file store behind the registry
# functions, and the English catalogue compiled in.
set(XQ_POSIX_SOURCES
  src/platform/posix/clock.cpp
  src/platform/posix/encoding.cpp
  src/platform/posix/fd.cpp
  src/platform/posix/file_lock.cpp
  src/platform/posix/file_rewrite.cpp
  src/platform/posix/file_update.cpp
  src/platform/posix/files.cpp
  src/platform/posix/memory.cpp
  src/platform/posix/modules.cpp
  src/platform/posix/registry.cpp
  src/platform/regfile/edit.cpp
  src/platform/regfile/format.cpp
  src/platform/regfile/lines.cpp
  src/platform/regfile/model.cpp
  src/platform/regfile/parse.cpp
  src/platform/regfile/syntax.cpp
  src/platform/regfile/utf.cpp
  src/resources/message_table.cpp
)

# Windows: the Win32 backend (the catalogue is the DLL's string table).
set(XQ_WIN32_SOURCES
  src/platform/win32/clock.cpp
  src/platform/win32/encoding.cpp
  src/platform/win32/file_io.cpp
  src/platform/win32/file_rewrite.cpp
  src/platform/win32/file_update.cpp
  src/platform/win32/files.cpp
  src/platform/win32/memory.cpp
  src/platform/win32/modules.cpp
  src/platform/win32/registry.cpp
  src/platform/win32/rewrite_lock.cpp
)

# Not in the Windows product, which needs no UTF-8 of its own: tests and
# tools there reach it through xq_core.
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
