// The microscope configuration as the library sees it in this run: where its
// two files are, and the texts its lookups hand back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xq_utils.h"

namespace xqutil {

// Where the configuration is. Each piece is nullopt when a setting it needs
// is not set: the root directory, or the file's name.
struct ConfigFiles {
    std::optional<std::string> root;
    std::optional<std::string> logical;   // root, a backslash, LogConfFile
    std::optional<std::string> physical;  // root, a backslash, PhyConfFile
};

// The configuration files as the library builds their paths in this run.
ConfigFiles config_files();

// The logical (physical) file's path; fails (exit 1) when it is not
// configured or cannot be opened, saying which.
std::string require_logical(const ConfigFiles& files);
std::string require_physical(const ConfigFiles& files);

// The file a FILE argument names: `name` itself when it has a directory part
// or exists in the current directory, else the file of that name under the
// installation root when it exists there (else `name`, for the caller's
// message). For a bare name, says on standard error which it took.
std::string find_file(const std::string& name);

// "entry 'E' in section [S] of 'F'": where a value stands, for messages.
std::string where(const std::string& file, std::string_view section, std::string_view entry);

// A configuration lookup of one name (a component or a next layer) into a
// text buffer, e.g. GetPsiServer.
using NameLookup = int32_t(XQ_CALL*)(const char*, char*, uint32_t);

// The text `lookup` hands back for `name`.
std::string lookup_text(NameLookup lookup, const std::string& name);

// `text`, or nullopt when it is "None", the lookups' word for "not configured".
std::optional<std::string> configured(std::string text);

// Word `index` (from 1) of a configuration value, split at spaces only as the
// configuration lookups split it; empty when the value has fewer words.
std::string config_word(std::string_view value, std::size_t index);

// The entry's value as GetNamedString reads it; nullopt when the file, the
// section or the entry is missing, or the value is empty.
std::optional<std::string> named_value(const std::string& file, std::string_view section, std::string_view entry);

}  // namespace xqutil
