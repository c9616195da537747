// An installation for the configuration lookup tests: a temporary root
// directory holding the two configuration files, and the settings store
// naming it as root with "logical.ini" and "physical.ini".
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support/buffer.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace xq::test {

// The bytes of one of the sample installation's files.
inline std::string sample_file(const std::string& name) {
    return read_bytes((std::filesystem::path(XQ_EXAMPLES_DIR) / "installation" / name).string());
}

struct Installation {
    // The files (the sample installation's unless given) under a fresh root;
    // with `length`, a root of that many characters (a directory with a long
    // name in the temporary one).
    explicit Installation(const std::string& logical = sample_file("logical.ini"),
                          const std::string& physical = sample_file("physical.ini"), std::size_t length = 0) {
        reset_library_state();
        if (length != 0) std::filesystem::create_directory(root_ /= std::string(length - root().size() - 1, 'd'));
        write(logical, physical);
        registry_install("4.1", {{"VortaRoot", root()}, {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}});
    }
    ~Installation() { reset_library_state(); }

    std::string root() const { return root_.string(); }
    // Replaces both configuration files.
    void write(const std::string& logical, const std::string& physical) const {
        write_bytes((root_ / "logical.ini").string(), logical);
        write_bytes((root_ / "physical.ini").string(), physical);
    }

    TempDirectory dir_;
    std::filesystem::path root_ = dir_.path();
};

// What a text lookup answered: its result and the text in the buffer, or
// kUntouched when it wrote nothing. Checks that the buffer is filled with
// zeros after the text and that nothing was written outside it.
using Answer = std::pair<std::int32_t, std::string>;
inline const std::string kUntouched = "<untouched>";

template <class Call>
Answer ask_with(std::uint32_t capacity, Call call) {
    GuardedBuffer buffer(capacity);
    const std::int32_t result = call(buffer.data(), capacity);
    EXPECT_TRUE(buffer.guards_intact());
    const std::string raw = buffer.raw();
    if (raw == std::string(capacity, GuardedBuffer::kFill)) return {result, kUntouched};
    const std::string text = buffer.text();
    EXPECT_EQ(raw, text + std::string(capacity - text.size(), '\0')) << "zero-filled to the end";
    return {result, text};
}

// A lookup of the form (name, buffer, capacity).
inline Answer ask(auto lookup, const char* name, std::uint32_t capacity = 260) {
    return ask_with(capacity, [&](char* buffer, std::uint32_t c) { return lookup(name, buffer, c); });
}

}  // namespace xq::test
