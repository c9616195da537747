#include "status/catalogue.h"

#include <algorithm>
#include <iterator>

namespace xq::resources {
namespace {

constexpr Message kMessages[] = {
#include "messages.inc"
};

}  // namespace

std::span<const Message> own_messages() { return kMessages; }

const Message* find_own_message(unsigned code) {
    const auto* found = std::find_if(std::begin(kMessages), std::end(kMessages),
                                     [code](const Message& m) { return m.code == code; });
    return found != std::end(kMessages) ? found : nullptr;
}

}  // namespace xq::resources
