// The test programs hold their own instance of the override slots. The
// library never clears a slot and no export can, yet every test starts with
// them "not set": so this file compiles the library's overrides.cpp itself.
// Its names are then defined here before the static library is searched,
// which keeps the library's copy out of the link, and the slots are in reach.
#include "support/reset.h"

#include "platform/fault.h"
#include "settings/overrides.cpp"

namespace xq::test {

void reset_library_state() {
    settings::g_overrides = settings::Overrides{};
    os::fault_disarm();
}

}  // namespace xq::test
