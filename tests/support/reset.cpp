#include "support/reset.h"

#include "settings/settings.h"
#include "platform/fault.h"

namespace xq::test {

void reset_library_state() {
    settings::reset_overrides();
    os::fault_disarm();
}

}  // namespace xq::test
