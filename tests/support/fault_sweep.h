// Makes each seam operation of a call fail in turn: the counting run and the
// failing runs, and on them a check that a writer never leaves its file half
// written.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/fault.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xq::test {

// Runs `call` with every seam operation counted; returns its result and the count.
template <class Call>
auto counting_operations(Call&& call, int& operations) {
    os::fault_arm({os::Op::count_, 1 << 30, false});
    auto result = call();
    operations = os::fault_count();
    os::fault_disarm();
    return result;
}

// Runs `call` with its nth seam operation (from 1) failing and no other.
template <class Call>
auto failing_operation(int n, Call&& call) {
    os::fault_arm({os::Op::count_, n, false});
    auto result = call();
    os::fault_disarm();
    return result;
}

// Runs `write` (which succeeds with result 1 on `before`) once to count its
// seam operations, then again with the nth of them failing, for every n.
// Each failing run must give 0 and leave `path` exactly as before or exactly
// as after the successful run. Returns the number of operations.
inline int expect_all_or_nothing(const TempDirectory& dir, const std::string& name, const std::string& before,
                                 const std::function<int(const std::string& path)>& write) {
    const std::string path = dir.write(name, before);
    int operations = 0;
    const int result = counting_operations([&] { return write(path); }, operations);
    EXPECT_EQ(result, 1);
    const std::string after = read_bytes(path);
    EXPECT_NE(after, before) << "the write must change something to be told apart";
    for (int n = 1; n <= operations; ++n) {
        SCOPED_TRACE("failing seam operation " + std::to_string(n) + " of " + std::to_string(operations));
        dir.write(name, before);
        const int failed = failing_operation(n, [&] { return write(path); });
        EXPECT_EQ(failed, 0);
        const std::string now = read_bytes(path);
        EXPECT_TRUE(now == before || now == after) << "half written: " << now;
    }
    return operations;
}

}  // namespace xq::test
