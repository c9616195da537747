// Fault points at the operating-system seam, for tests. Every seam function
// asks fault_point() first and fails as the real operation would when it says
// so. Nothing is armed in normal use; the plan is per thread, so tests that
// run in parallel threads do not disturb each other.
#pragma once

#include <cstdint>

namespace xq::os {

enum class Op : std::uint8_t {
    reg_open,      // opening a registry key (any rights)
    reg_open_set,  // opening a registry key with the set-value right
    reg_query,
    reg_set,
    file_open,     // opening a file for reading (also the existence test)
    file_read,
    file_write,    // writing file contents, in place or to a temporary file
    file_rename,   // replacing a file by its rewritten copy
    file_lock,
    file_copy,
    alloc,         // a memory block
    module_load,   // loading a message module
    module_string, // loading a string from a module
    count_
};

// What a test arms: which operations count and which of them fail.
struct FaultPlan {
    // Operations of this kind are counted; Op::count_ counts every kind.
    Op kind = Op::count_;
    // The nth counted operation (from 1) fails; 0 fails none.
    int fail_at = 0;
    // With `sticky`, every counted operation from the nth on fails.
    bool sticky = false;
};

struct FaultState {
    FaultPlan plan;
    int counted = 0;
};

// This thread's plan. Constant-initialised to "nothing armed", so reading it
// needs no guard; only the test hooks below ever change it.
inline constinit thread_local FaultState t_fault;

// True when the current operation of kind `op` must fail. Inline: every seam
// operation asks, and unarmed the answer is one thread-local test.
inline bool fault_point(Op op) {
    FaultState& s = t_fault;
    if (s.plan.fail_at <= 0) return false;
    if (s.plan.kind != Op::count_ && s.plan.kind != op) return false;
    ++s.counted;
    return s.plan.sticky ? s.counted >= s.plan.fail_at : s.counted == s.plan.fail_at;
}

// Test hooks, compiled only into the programs that call them.
inline void fault_arm(const FaultPlan& plan) { t_fault = FaultState{plan, 0}; }
inline void fault_disarm() { t_fault = FaultState{}; }
// Operations counted since the last arm (whether or not they failed).
inline int fault_count() { return t_fault.counted; }

}  // namespace xq::os
