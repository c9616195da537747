// Whole-file reads for tests that compare files byte for byte.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace xq::test {

// Every byte of the file, or "<missing>" when it cannot be opened.
inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace xq::test
