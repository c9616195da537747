# Generates the message catalogue from its data files, at configure time:
#   src/resources/messages.txt        the library's own texts (English) give
#     messages.inc                    the table compiled into the Linux library
#     messages.rc                     the string table of xq_utils.dll
#   src/resources/messages_<LANG>.txt each language module's texts give
#     messages_<LANG>.rc              the string table of xq_ut<LANG>.DLL (Windows)
#     xq_ut<LANG>.DLL                 the message file of that name (Linux)
# Data file lines: a code (0 to 65535), one tab, the text; blank lines and
# lines starting with "#" are skipped; a CR may only end a line; in texts \\,
# \t and \n are the only escapes. Editing a data file re-runs the configuration.
# Sets XQ_MESSAGE_LANGUAGES to the codes of the language modules.
set(XQ_MESSAGE_MAGIC "XQ_UTILS MESSAGES 1")
set(_xq_resources ${PROJECT_SOURCE_DIR}/src/resources)

# Reads a data file: the codes in file order into <prefix>_CODES, each text
# (escapes kept) into <prefix>_<code>. Stops the configuration on a bad line.
function(_xq_read_messages file prefix)
  file(READ ${file} content)
  set(codes "")
  set(number 0)
  # Line by line without CMake lists, so ";" and brackets in texts are safe.
  while(NOT content STREQUAL "")
    math(EXPR number "${number} + 1")
    string(FIND "${content}" "\n" end)
    if(end EQUAL -1)
      set(line "${content}")
      set(content "")
    else()
      string(SUBSTRING "${content}" 0 ${end} line)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${content}" ${end} -1 content)
    endif()
    string(REGEX REPLACE "\r$" "" line "${line}")
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(line MATCHES "\r")
      message(FATAL_ERROR "${file}:${number}: a CR that does not end the line")
    endif()
    if(NOT line MATCHES "^([0-9][0-9]?[0-9]?[0-9]?[0-9]?)\t(.*)$")
      message(FATAL_ERROR "${file}:${number}: expected a code, a tab and a text")
    endif()
    math(EXPR code "${CMAKE_MATCH_1}")
    set(text "${CMAKE_MATCH_2}")
    if(code GREATER 65535)
      message(FATAL_ERROR "${file}:${number}: code ${code} is above 65535")
    endif()
    if(DEFINED ${prefix}_${code})
      message(FATAL_ERROR "${file}:${number}: code ${code} is listed twice")
    endif()
    # Escapes are read left to right, so removing them in this order leaves
    # a backslash only where one starts no escape.
    string(REPLACE "\\\\" "" rest "${text}")
    string(REPLACE "\\t" "" rest "${rest}")
    string(REPLACE "\\n" "" rest "${rest}")
    string(FIND "${rest}" "\\" stray)
    if(NOT stray EQUAL -1)
      message(FATAL_ERROR "${file}:${number}: a backslash that is not \\\\, \\t or \\n")
    endif()
    list(APPEND codes ${code})
    set(${prefix}_${code} "${text}" PARENT_SCOPE)
    set(${prefix}_${code} "${text}")
  endwhile()
  set(${prefix}_CODES ${codes} PARENT_SCOPE)
endfunction()

# Writes a file only when its contents change, so nothing is rebuilt for nothing.
function(_xq_write_if_changed path content)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()

# A Windows string table of the texts under German (Germany), 1031, where the
# library has always kept its table. UTF-8 source, stored as UTF-16.
function(_xq_string_table prefix origin out)
  set(rc "// Generated from ${origin}; do not edit.\n#pragma code_page(65001)\n")
  string(APPEND rc "#include <winresrc.h>\n\nLANGUAGE LANG_GERMAN, SUBLANG_GERMAN\nSTRINGTABLE\nBEGIN\n")
  foreach(code IN LISTS ${prefix}_CODES)
    string(REPLACE "\"" "\"\"" text "${${prefix}_${code}}")
    string(APPEND rc "  ${code}, \"${text}\"\n")
  endforeach()
  string(APPEND rc "END\n")
  _xq_write_if_changed(${out} "${rc}")
endfunction()

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_xq_resources}/messages.txt)
_xq_read_messages(${_xq_resources}/messages.txt _xq_own)

# The library's own table: { code, "text" } lines for src/status/catalogue.cpp.
set(_inc "// Generated from src/resources/messages.txt; do not edit.\n")
foreach(_code IN LISTS _xq_own_CODES)
  string(REPLACE "\"" "\\\"" _text "${_xq_own_${_code}}")
  string(APPEND _inc "{${_code}, \"${_text}\"},\n")
endforeach()
_xq_write_if_changed(${XQ_GENERATED_DIR}/messages.inc "${_inc}")
_xq_string_table(_xq_own src/resources/messages.txt ${XQ_GENERATED_DIR}/messages.rc)

# The language modules.
file(GLOB _xq_language_files CONFIGURE_DEPENDS ${_xq_resources}/messages_*.txt)
set(XQ_MESSAGE_LANGUAGES "")
foreach(_file IN LISTS _xq_language_files)
  get_filename_component(_name ${_file} NAME_WE)
  string(REGEX REPLACE "^messages_" "" _lang "${_name}")
  if(NOT _lang MATCHES "^[A-Za-z0-9][A-Za-z0-9][A-Za-z0-9]$")
    message(FATAL_ERROR "${_file}: a language code has three letters or digits")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_file})
  _xq_read_messages(${_file} _xq_${_lang})
  _xq_string_table(_xq_${_lang} src/resources/${_name}.txt ${XQ_GENERATED_DIR}/messages_${_lang}.rc)
  set(_module "${XQ_MESSAGE_MAGIC}\n")
  foreach(_code IN LISTS _xq_${_lang}_CODES)
    string(APPEND _module "${_code}\t${_xq_${_lang}_${_code}}\n")
  endforeach()
  _xq_write_if_changed(${XQ_GENERATED_DIR}/xq_ut${_lang}.DLL "${_module}")
  list(APPEND XQ_MESSAGE_LANGUAGES ${_lang})
endforeach()
