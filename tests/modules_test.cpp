// Message modules through the seam, alike on every platform: the library's
// own catalogue and the German module found by name in any case, and the
// bounds of string loading.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"

namespace {

struct Free {
    void operator()(xq::os::Module* module) const { xq::os::module_free(module); }
};
using Module = std::unique_ptr<xq::os::Module, Free>;

Module load(const char* name) { return Module(xq::os::module_load(name)); }

// String `id` of `module` read into `capacity` bytes; "" for 0 characters.
std::string string_of(const Module& module, unsigned id, std::size_t capacity = 261) {
    std::string out(capacity, 'z');
    const std::size_t length = xq::os::module_string(module.get(), id, out);
    // At `capacity` the index would read the string's own terminator.
    EXPECT_EQ(length < capacity ? out[length] : 'z', '\0') << "unterminated within " << capacity;
    return out.substr(0, length);
}

TEST(Modules, FoundByNameWithoutRegardToCase) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"xq_utils.dll", "File %s could not be found."},
        {"XQ_UTILS.DLL", "File %s could not be found."},
        {"xq_utGER.DLL", "Die Datei %s wurde nicht gefunden."},
        {"XQ_UTGER.dll", "Die Datei %s wurde nicht gefunden."},
    };
    for (const auto& c : cases) {
        const Module module = load(c.name);
        ASSERT_NE(module.get(), nullptr) << c.name;
        EXPECT_EQ(string_of(module, 18), c.text);
        EXPECT_EQ(string_of(module, 34), "") << "a code without text";
    }
    EXPECT_EQ(load("xq_utZZZ.DLL").get(), nullptr);
    EXPECT_EQ(load("").get(), nullptr);
    EXPECT_EQ(load(nullptr).get(), nullptr);
}

TEST(Modules, StringsAreCutToTheBufferAndNumbersAre16Bits) {
    const Module module = load("xq_utils.dll");
    ASSERT_NE(module.get(), nullptr);
    EXPECT_EQ(string_of(module, 18, 5), "File");
    EXPECT_EQ(string_of(module, 18, 1), "");
    EXPECT_EQ(xq::os::module_string(module.get(), 18, std::span<char>()), 0u);
    EXPECT_EQ(string_of(module, 65536 + 18), "") << "not the text of the low 16 bits";
    EXPECT_EQ(string_of(nullptr, 18), "") << "the program has no string table of its own";
}

}  // namespace
