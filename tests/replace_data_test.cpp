// RplNamedData (one comma field replaced, the value written through the
// profile writer, every failure in the status record) and DoubleFile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fault.h"
#include "support/fault_sweep.h"
#include "support/file_bytes.h"
#include "support/reset.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::read_bytes;

constexpr int32_t kOrigin = 815;

struct Outcome {
    int32_t result;
    int32_t flag;
    StatusRecord status;
};

Outcome replace(const std::string& path, const char* entry, int32_t index, const char* data,
                const char* section = "S") {
    Outcome out{-1, 0, {}};
    out.status.ErrorCode = -1;
    out.result = RplNamedData(section, entry, index, data, path.c_str(), kOrigin, &out.flag, &out.status);
    return out;
}

class ReplaceData : public ::testing::Test {
protected:
    void SetUp() override { xq::test::reset_library_state(); }
    void TearDown() override { xq::test::reset_library_state(); }
    xq::test::TempDirectory dir;
};

TEST_F(ReplaceData, ReplacesOneCommaField) {
    const struct {
        const char* value;
        int32_t index;
        const char* data;
        const char* written;
    } cases[] = {
        {"1,2,3", 2, "20", "1,20,3"},
        {"1,2,3", 1, "x", "x,2,3"},
        {"1,2,3", 0, "x", "x,2,3"},
        {"1,2,3", 3, "", "1,2,"},
        {"1,,3", 3, "9", "1,,9"},
        {"a'b,c", 2, "longer field", "a'b,longer field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " #" + std::to_string(c.index));
        const std::string path = dir.write("d.ini", std::string("[S]\r\nD=") + c.value + "\r\nE=keep\r\n");
        const Outcome out = replace(path, "D", c.index, c.data);
        EXPECT_EQ(out.result, 1);
        EXPECT_EQ(out.flag, 0) << "no report on success";
        EXPECT_EQ(out.status.ErrorCode, -1);
        EXPECT_EQ(read_bytes(path), std::string("[S]\r\nD=") + c.written + "\r\nE=keep\r\n");
    }
}

TEST_F(ReplaceData, FailuresAreReportedAndChangeNothing) {
    const std::string before = "[S]\r\nD=1,2,3\r\nEmpty=\r\nLong=" + std::string(261, 'x') + "\r\n";
    const std::string path = dir.write("d.ini", before);
    const std::string missing = dir.file("missing.ini");
    const std::string big(262, 'y');
    const struct {
        const char* label;
        std::string file;
        const char* entry;
        int32_t index;
        const char* data;
        int32_t code;
        const char* text_part;  // found in the message
    } cases[] = {
        {"missing file", missing, "D", 1, "x", 18, "missing.ini"},
        {"missing entry", path, "Nope", 1, "x", 13, "Nope"},
        {"entry without value", path, "Empty", 1, "x", 13, "Empty"},
        {"index beyond the fields", path, "D", 4, "x", 24, "d.ini"},
        {"composed value too long", path, "D", 2, big.c_str(), 24, "yyyy"},  // the message is cut
        {"value longer than the working size", path, "Long", 1, "x", 24, "Long"},
        {"line break in the data", path, "D", 1, "x\r\n[T]", 24, "d.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Outcome out = replace(c.file, c.entry, c.index, c.data);
        EXPECT_EQ(out.result, 0);
        EXPECT_EQ(out.flag, 1);
        EXPECT_EQ(out.status.Origin, kOrigin);
        EXPECT_EQ(out.status.ErrorClass, 3);
        EXPECT_EQ(out.status.ErrorCode, c.code);
        EXPECT_NE(std::strstr(out.status.Text, c.text_part), nullptr) << out.status.Text;
        EXPECT_EQ(read_bytes(path), before);
    }
    EXPECT_EQ(read_bytes(missing), "<missing>") << "not created";
    // The longest composed value that is still taken.
    const std::string fits(259, 'z');  // "1," + 259 + ",3": 263 characters
    EXPECT_EQ(replace(path, "D", 2, fits.c_str()).result, 1);
    EXPECT_EQ(read_bytes(path), "[S]\r\nD=1," + fits + ",3\r\nEmpty=\r\nLong=" + std::string(261, 'x') + "\r\n");
}

// A refused write is a failure, reported with the file's name.
TEST_F(ReplaceData, AFailedWriteIsReported) {
    const std::string path = dir.write("w.ini", "[S]\r\nD=1,2\r\n");
    xq::os::fault_arm({xq::os::Op::file_write, 1, false});
    const Outcome out = replace(path, "D", 2, "9");
    xq::os::fault_disarm();
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.flag, 1);
    EXPECT_EQ(out.status.ErrorCode, 36);
    EXPECT_NE(std::strstr(out.status.Text, "w.ini"), nullptr) << out.status.Text;
    EXPECT_EQ(read_bytes(path), "[S]\r\nD=1,2\r\n");

    xq::test::expect_all_or_nothing(dir, "f.ini", "[S]\r\nD=1,2\r\n", [](const std::string& file) {
        return replace(file, "D", 2, "9").result;
    });
}

TEST_F(ReplaceData, NullArgumentsAreRefusedWithAReport) {
    const std::string path = dir.write("n.ini", "[S]\r\nD=1\r\n");
    EXPECT_EQ(replace(path, "D", 1, nullptr).status.ErrorCode, 24);
    EXPECT_EQ(replace(path, nullptr, 1, "x").status.ErrorCode, 13);
    EXPECT_EQ(replace(path, "D", 1, "x", nullptr).status.ErrorCode, 13);
    EXPECT_EQ(replace(dir.file("missing.ini"), nullptr, 1, "x").status.ErrorCode, 18);
    int32_t flag = 0;
    StatusRecord status{};
    EXPECT_EQ(RplNamedData("S", "D", 1, "x", nullptr, kOrigin, &flag, &status), 0);
    EXPECT_EQ(status.ErrorCode, 18);
    EXPECT_EQ(RplNamedData("S", "D", 1, "x", nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(read_bytes(path), "[S]\r\nD=1\r\n");
}

TEST_F(ReplaceData, DoubleFileCopiesTargetFirst) {
    const std::string from = dir.write("from.ini", "[S]\r\nx=1\r\n");
    const std::string to = dir.write("to.ini", "old");
    EXPECT_EQ(DoubleFile(to.c_str(), from.c_str(), 1), 0) << "the target exists";
    EXPECT_EQ(read_bytes(to), "old");
    EXPECT_EQ(DoubleFile(to.c_str(), from.c_str(), 0), 1);
    EXPECT_EQ(read_bytes(to), "[S]\r\nx=1\r\n");
    const std::string fresh = dir.file("fresh.ini");
    EXPECT_EQ(DoubleFile(fresh.c_str(), from.c_str(), 1), 1);
    EXPECT_EQ(read_bytes(fresh), "[S]\r\nx=1\r\n");
    EXPECT_EQ(DoubleFile(dir.file("x.ini").c_str(), dir.file("none.ini").c_str(), 0), 0) << "no source";
    EXPECT_EQ(read_bytes(dir.file("x.ini")), "<missing>");
    EXPECT_EQ(DoubleFile(nullptr, from.c_str(), 0), 0);
    EXPECT_EQ(read_bytes(from), "[S]\r\nx=1\r\n");
}

}  // namespace
