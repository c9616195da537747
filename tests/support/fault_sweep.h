// Makes each seam operation of a writer fail in turn and checks that the
// file is never left half written.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/fault.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xq::test {

// Runs `write` (which succeeds with result 1 on `before`) once to count its
// seam operations, then again with the nth of them failing, for every n.
// Each failing run must give 0 and leave `path` exactly as before or exactly
// as after the successful run. Returns the number of operations.
inline int expect_all_or_nothing(const TempDirectory& dir, const std::string& name, const std::string& before,
                                 const std::function<int(const std::string& path)>& write) {
    const std::string path = dir.write(name, before);
    os::fault_arm({os::Op::count_, 1 << 30, false});
    const int result = write(path);
    const int operations = os::fault_count();
    os::fault_disarm();
    EXPECT_EQ(result, 1);
    const std::string after = read_bytes(path);
    EXPECT_NE(after, before) << "the write must change something to be told apart";
    for (int n = 1; n <= operations; ++n) {
        SCOPED_TRACE("failing seam operation " + std::to_string(n) + " of " + std::to_string(operations));
        dir.write(name, before);
        os::fault_arm({os::Op::count_, n, false});
        const int failed = write(path);
        os::fault_disarm();
        EXPECT_EQ(failed, 0);
        const std::string now = read_bytes(path);
        EXPECT_TRUE(now == before || now == after) << "half written: " << now;
    }
    return operations;
}

}  // namespace xq::test
