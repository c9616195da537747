// An installation for the configuration lookup tests: a temporary root
// directory holding the two configuration files, and the settings store
// naming it as root with "logical.ini" and "physical.ini".
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

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

class Installation {
public:
    // The sample installation's files under a fresh root.
    Installation() : Installation(sample_file("logical.ini"), sample_file("physical.ini")) {}
    Installation(const std::string& logical, const std::string& physical) {
        reset_library_state();
        write(logical, physical);
        name_in_settings();
    }
    ~Installation() { reset_library_state(); }

    std::string root() const { return root_.string(); }

    // Replaces both configuration files.
    void write(const std::string& logical, const std::string& physical) const {
        write_bytes((root_ / "logical.ini").string(), logical);
        write_bytes((root_ / "physical.ini").string(), physical);
    }

    // Moves the files to a root of `length` characters (a directory with a
    // long name in the temporary one) and names it in the settings store.
    void move_root(std::size_t length) {
        const std::filesystem::path deep = dir_.path() / std::string(length - dir_.path().string().size() - 1, 'd');
        std::filesystem::create_directory(deep);
        for (const char* name : {"logical.ini", "physical.ini"}) std::filesystem::rename(root_ / name, deep / name);
        root_ = deep;
        name_in_settings();
    }

private:
    void name_in_settings() const {
        registry_install("4.1", {{"VortaRoot", root()}, {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}});
    }

    TempDirectory dir_;
    std::filesystem::path root_ = dir_.path();
};

// What a text lookup answered: its result and the text in the buffer, or
// kUntouched when it wrote nothing. Checks that the buffer is filled with
// zeros after the text and that nothing was written outside it.
struct Answer {
    std::int32_t result;
    std::string text;
    bool operator==(const Answer&) const = default;
};
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
using NamedText = std::int32_t(XQ_CALL*)(const char*, char*, std::uint32_t);

inline Answer ask(NamedText lookup, const char* name, std::uint32_t capacity = 260) {
    return ask_with(capacity, [&](char* buffer, std::uint32_t c) { return lookup(name, buffer, c); });
}

inline std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << a.result << " \"" << a.text << "\"";
}

}  // namespace xq::test
