#include "status/catalogue.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <optional>

#include "api/text_copy.h"
#include "platform/platform.h"
#include "xq_utils.h"

namespace xq::status {
namespace {

constexpr const char* kOwnModule = "xq_utils.dll";

// Owns a loaded module for one lookup; a null module stands for the program's
// own resources.
class ModuleHandle {
public:
    explicit ModuleHandle(os::Module* module) : module_(module) {}
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;
    ~ModuleHandle() {
        if (module_ != nullptr) os::module_free(module_);
    }
    os::Module* get() const { return module_; }

private:
    os::Module* module_;
};

// The language as GetVortaLang gives it, at most four characters.
std::string current_language() {
    std::array<char, 5> language{};
    GetVortaLang(language.data(), static_cast<std::uint32_t>(language.size()));
    return std::string(bounded_text(language.data(), language.size()));
}

// The language's module, else the library's own; null when neither loads.
os::Module* load_catalogue() {
    const std::string name = module_name(current_language());
    os::Module* module = os::module_load(name.c_str());
    return module != nullptr ? module : os::module_load(kOwnModule);
}

// String numbers are 16 bits wide; a code outside them has no text (rather
// than the text of its low 16 bits).
std::optional<unsigned> string_number(std::int32_t code) {
    if (code < 0 || code > 0xFFFF) return std::nullopt;
    return static_cast<unsigned>(code);
}

}  // namespace

std::string module_name(std::string_view language) {
    const std::string_view code = language.size() == 3 ? language : "ENG";
    return "xq_ut" + std::string(code == "ENG" ? "ils" : code) + ".DLL";
}

std::size_t load_message_text([[maybe_unused]] std::int32_t error_class, std::int32_t error_code,
                              std::span<char> out) {
    if (out.empty()) return 0;
    std::memset(out.data(), 0, out.size());
    const ModuleHandle catalogue(load_catalogue());
    const auto number = string_number(error_code);
    if (!number || os::module_string(catalogue.get(), *number, out) == 0) {
        os::module_string(catalogue.get(), kNoTextCode, out);
    }
    return bounded_text(out.data(), out.size()).size();
}

}  // namespace xq::status

#ifndef _WIN32
// The library's own catalogue, compiled in: the message modules fall back to
// it. (On Windows it is the string table of xq_utils.dll.)
namespace xq::resources {
namespace {

constexpr Message kMessages[] = {
#include "messages.inc"
};

}  // namespace

const Message* find_own_message(unsigned code) {
    const auto* found = std::find_if(std::begin(kMessages), std::end(kMessages),
                                     [code](const Message& m) { return m.code == code; });
    return found != std::end(kMessages) ? found : nullptr;
}

}  // namespace xq::resources
#endif
