// File names as the library opens them.
#pragma once

#include <algorithm>
#include <string>

namespace xqutil {

// The name the operating system opens for a name the library is given: on
// Linux the library takes a backslash as a directory separator.
inline std::string local_name(std::string name) {
#ifndef _WIN32
    std::replace(name.begin(), name.end(), '\\', '/');
#endif
    return name;
}

}  // namespace xqutil
