// The registry on Linux: keys and values in the file named by
// XQ_UTILS_REGISTRY, read when a key is opened, edited in place when set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/regfile/regfile.h"
#include "posix/processes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace {

using xq::os::kKeyQueryValue;
using xq::os::kKeySetValue;
using xq::os::Op;
using xq::test::read_bytes;
using xq::test::write_bytes;

struct Close {
    void operator()(xq::os::RegKey* key) const { xq::os::reg_close(key); }
};
using Key = std::unique_ptr<xq::os::RegKey, Close>;

Key open(const char* path, std::uint32_t rights = kKeyQueryValue, const Key& parent = nullptr) {
    return Key(xq::os::reg_open(parent.get(), path, rights));
}

std::optional<std::string> query(const Key& key, const char* name, std::size_t capacity = 260) {
    std::string out(capacity, '\x5A');
    if (!xq::os::reg_query_string(key.get(), name, out)) return std::nullopt;
    return out;
}

const std::string kIni = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK\\4.1\\Ini";
const char* const kIniBelowRoot = "SOFTWARE\\Brenvik\\Vorta XQ SDK\\4.1\\Ini";

class PosixRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XQ_UTILS_REGISTRY")) saved_ = old;
        ::setenv("XQ_UTILS_REGISTRY", store.c_str(), 1);
    }
    void TearDown() override {
        xq::os::fault_disarm();
        if (saved_) {
            ::setenv("XQ_UTILS_REGISTRY", saved_->c_str(), 1);
        } else {
            ::unsetenv("XQ_UTILS_REGISTRY");
        }
    }
    void install(const std::string& values) { write_bytes(store, "REGEDIT4\n\n[" + kIni + "]\n" + values); }

    xq::test::TempDirectory dir;
    const std::string store = dir.file("registry.reg");

private:
    std::optional<std::string> saved_;
};

TEST_F(PosixRegistry, OpensKeysLevelByLevel) {
    EXPECT_FALSE(open("SOFTWARE")) << "no file: no keys";
    EXPECT_TRUE(open("")) << "but the root";
    EXPECT_FALSE(open("", kKeySetValue)) << "and no file to write to";

    install("\"Lang\"=\"GER\"\n");
    const Key software = open("software");
    ASSERT_TRUE(software);
    std::filesystem::remove(store);  // the levels below come from what was read
    const Key version = open("BRENVIK\\vorta xq sdk\\4.1", kKeyQueryValue, software);
    ASSERT_TRUE(version);
    const Key ini = open("Ini\\", kKeyQueryValue, version);
    ASSERT_TRUE(ini);
    EXPECT_EQ(query(ini, "lang", 4), std::string("GER\0", 4));
    EXPECT_FALSE(open("Missing", kKeyQueryValue, version));
    EXPECT_FALSE(open("\\Ini", kKeyQueryValue, version));
    EXPECT_FALSE(open(nullptr, kKeyQueryValue, version));
    EXPECT_FALSE(open("SOFTWARE")) << "a new root-level open reads the file again";
}

TEST_F(PosixRegistry, QuerySucceedsOnlyWhenValueAndTerminatorFit) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        // value name, what the caller gets (terminator included)
        // (Plain and unterminated texts: registry_seam_test.cpp.)
        {"utf8", std::string("\xC3\xA9\0", 3)},
        {"binz", std::string("a\0", 2)},   {"dw", std::string("A\0\0\0", 4)},  // raw REG_DWORD bytes
        {"exp", std::string("%P%\0", 4)},  {"", std::string("def\0", 4)},
    };
    install("\"utf8\"=\"\xC3\xA9\"\n\"binz\"=hex:61,00\n"
            "\"dw\"=dword:00000041\n\"exp\"=hex(2):25,50,25\n@=\"def\"\n");
    const Key ini = open(kIniBelowRoot);
    ASSERT_TRUE(ini);
    for (const auto& [name, delivered] : cases) {
        EXPECT_EQ(query(ini, name, delivered.size()), delivered) << name;
        EXPECT_FALSE(query(ini, name, delivered.size() - 1)) << name;
    }
    EXPECT_EQ(query(ini, nullptr, 4), std::string("def\0", 4)) << "null name = default value";
}

TEST_F(PosixRegistry, Utf16FileStaysUtf16) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[" +
                                xq::regfile::utf8_to_utf16(kIni) + u"]\r\n\"Root\"=\"/opt/V\u00F6rta\"\r\n";
    write_bytes(store, "\xFF\xFE" + xq::regfile::to_le_bytes(text));
    const Key ini = open(kIniBelowRoot, kKeyQueryValue | kKeySetValue);
    ASSERT_TRUE(ini);
    EXPECT_EQ(query(ini, "Root", 12), std::string("/opt/V\xC3\xB6rta\0", 12));
    ASSERT_TRUE(xq::os::reg_set_string(ini.get(), "Lang", "\xC3\x84NG"));
    EXPECT_EQ(read_bytes(store), "\xFF\xFE" + xq::regfile::to_le_bytes(text + u"\"Lang\"=\"\u00C4NG\"\r\n"));
}

TEST_F(PosixRegistry, SetEditsTheCurrentFileInPlace) {
    const std::string head = "REGEDIT4\r\n\r\n; installed by setup\r\n[" + kIni + "]\r\n";
    const std::string tail = "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"Lang\"=\"x\"\r\n";
    write_bytes(store, head + "\"Lang\"=\"ENG\"\r\n\"VortaRoot\"=\"C:\\\\Scope\"\r\n" + tail);
    const Key ini = open(kIniBelowRoot, kKeyQueryValue | kKeySetValue);
    ASSERT_TRUE(ini);
    ASSERT_TRUE(xq::os::reg_set_string(ini.get(), "Lang", "GER"));
    ASSERT_TRUE(xq::os::reg_set_string(ini.get(), "FirstSetup", "TRUE"));
    EXPECT_EQ(read_bytes(store), head + "\"Lang\"=\"GER\"\r\n\"VortaRoot\"=\"C:\\\\Scope\"\r\n"
                                       "\"FirstSetup\"=\"TRUE\"\r\n" + tail);
    EXPECT_EQ(query(ini, "FirstSetup", 5), std::string("TRUE\0", 5)) << "the open key sees its own write";
    EXPECT_EQ(query(open(kIniBelowRoot), "Lang", 4), std::string("GER\0", 4));

    // The key left the file after it was opened: nothing is written.
    const std::string without = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n";
    write_bytes(store, without);
    EXPECT_FALSE(xq::os::reg_set_string(ini.get(), "Lang", "ENG"));
    EXPECT_EQ(read_bytes(store), without);
}

// The rights and fault points shared with Windows are in
// registry_seam_test.cpp; here the steps of writing the file.
TEST_F(PosixRegistry, RightsAndFaults) {
    install("\"Lang\"=\"GER\"\n");
    EXPECT_FALSE(query(open(kIniBelowRoot, kKeySetValue), "Lang")) << "no query right";
    const Key ini = open(kIniBelowRoot, kKeyQueryValue | kKeySetValue);
    const std::string before = read_bytes(store);
    for (const Op op : {Op::reg_set, Op::file_lock, Op::file_write, Op::file_rename}) {
        xq::os::fault_arm({op, 1, false});
        EXPECT_FALSE(xq::os::reg_set_string(ini.get(), "Lang", "ENG")) << static_cast<int>(op);
        EXPECT_EQ(query(ini, "Lang", 4), std::string("GER\0", 4));
    }
    EXPECT_EQ(read_bytes(store), before);
    EXPECT_EQ(dir.names(), std::set<std::string>{"registry.reg"});
}

// Processes that set values of one key at the same time: each one's last
// write is in the file afterwards, and the file still reads.
TEST_F(PosixRegistry, ConcurrentWritersKeepEveryValue) {
    constexpr int kProcesses = 4;
    constexpr int kRounds = 40;
    install("");
    EXPECT_TRUE(xq::test::in_processes(kProcesses, [](int p) {
        bool ok = true;
        for (int i = 0; i < kRounds; ++i) {
            const Key key = open(kIniBelowRoot, kKeySetValue);
            const std::string text = std::to_string(p) + "-" + std::to_string(i);
            ok = xq::os::reg_set_string(key.get(), ("V" + std::to_string(p)).c_str(), text) && ok;
        }
        return ok;
    }));
    const xq::regfile::Registry registry = xq::regfile::parse(read_bytes(store)).registry;
    const xq::regfile::Key* key = registry.find(kIni);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), static_cast<std::size_t>(kProcesses));
    for (int p = 0; p < kProcesses; ++p) {
        const xq::regfile::Value* value = key->find("V" + std::to_string(p));
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(xq::regfile::query_bytes(*value), std::to_string(p) + "-" + std::to_string(kRounds - 1) + '\0');
    }
}

}  // namespace
