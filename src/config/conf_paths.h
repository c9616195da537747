// Where the two microscope configuration files are: root directory, one
// backslash, file name, from the installation settings and their overrides.
#pragma once

#include <cstdint>
#include <string>

#include "config/conf_settings.h"

namespace xq::config {

// The logical configuration file's path, whole, or "0" when the root or the
// file name is not configured.
std::string log_conf_file_path(PathSettings& settings);

// The physical configuration file's path, whole: root, backslash and name,
// never "0" (an absent piece reads "None").
std::string phy_conf_file_path(PathSettings& settings);

// The same from the current settings into a buffer (text copy: cut to
// capacity - 1 characters, the whole buffer filled).
void GetLogConfFilePath(char* path, std::uint32_t capacity);
void GetPhyConfFilePath(char* path, std::uint32_t capacity);

}  // namespace xq::config
