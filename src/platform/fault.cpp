#include "platform/fault.h"

namespace xq::os {
namespace {

struct FaultState {
    FaultPlan plan;
    int counted = 0;
};

// Test-only: inert until a test arms it.
thread_local FaultState t_fault;

}  // namespace

bool fault_point(Op op) {
    FaultState& s = t_fault;
    if (s.plan.fail_at <= 0) return false;
    if (s.plan.kind != Op::count_ && s.plan.kind != op) return false;
    ++s.counted;
    return s.plan.sticky ? s.counted >= s.plan.fail_at : s.counted == s.plan.fail_at;
}

void fault_arm(const FaultPlan& plan) { t_fault = FaultState{plan, 0}; }

void fault_disarm() { t_fault = FaultState{}; }

int fault_count() { return t_fault.counted; }

}  // namespace xq::os
