// The exception barrier of every exported function: nothing thrown inside
// (an allocation failure, say) may cross into a C caller.
#pragma once

#include <utility>

namespace xq {

template <class Result, class Body>
Result guarded(Result on_failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return on_failure;
    }
}

template <class Body>
void guarded_void(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace xq
