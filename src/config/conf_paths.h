// Where the two microscope configuration files are: root directory, one
// backslash, file name, from the installation settings and their overrides.
#pragma once

#include <cstdint>

namespace xq::config {

// The logical configuration file's path, or "0" when the root or the file
// name is not configured. Fills the whole buffer (text copy).
void GetLogConfFilePath(char* path, std::uint32_t capacity);

// The physical configuration file's path: root, backslash and name, never
// "0" (an absent piece reads "None"). Fills the whole buffer (text copy).
void GetPhyConfFilePath(char* path, std::uint32_t capacity);

}  // namespace xq::config
