// Makes each seam operation of a call fail in turn: the counting run, the
// failing runs, and a check that a writer never leaves its file half written.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/fault.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace xq::test {

// Runs `call` with its nth seam operation (from 1) failing, or none when n
// is 0; `operations` gets the number of operations the call passed.
template <class Call>
auto failing_operation(int n, Call&& call, int* operations = nullptr) {
    os::fault_arm({os::Op::count_, n > 0 ? n : 1 << 30, false});
    auto result = call();
    if (operations != nullptr) *operations = os::fault_count();
    os::fault_disarm();
    return result;
}
template <class Call>
auto counting_operations(Call&& call, int& operations) { return failing_operation(0, call, &operations); }

// Runs `write` (which succeeds with result 1 on `before`) once to count its
// seam operations, then again with the nth of them failing, for every n.
// Each failing run must give 0 and leave the file exactly as before or
// exactly as after the successful run. Returns the number of operations.
inline int expect_all_or_nothing(const TempDirectory& dir, const std::string& name, const std::string& before,
                                 const std::function<int(const std::string& path)>& write) {
    const std::string path = dir.write(name, before);
    int operations = 0;
    EXPECT_EQ(counting_operations([&] { return write(path); }, operations), 1);
    const std::string after = read_bytes(path);
    EXPECT_NE(after, before) << "the write must change something to be told apart";
    for (int n = 1; n <= operations; ++n) {
        SCOPED_TRACE("failing seam operation " + std::to_string(n) + " of " + std::to_string(operations));
        dir.write(name, before);
        EXPECT_EQ(failing_operation(n, [&] { return write(path); }), 0);
        const std::string now = read_bytes(path);
        EXPECT_TRUE(now == before || now == after) << "half written: " << now;
    }
    return operations;
}

}  // namespace xq::test
