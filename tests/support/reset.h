#pragma once
// Puts the library's process-wide state back to "as loaded" between tests.
namespace xq::test {
void reset_library_state();
}
