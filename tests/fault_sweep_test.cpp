// Every export that reaches the operating system, with each of its seam
// operations failing in turn. A failing run must give the clean result or
// one that the export gives for a documented absence (a file that is missing
// or empty, no installation settings) or names for the failure itself; it
// must write nothing outside the caller's buffers, release every descriptor
// and leave each file and setting as before the call or as after the clean
// one, with no temporary file left behind. Scratch blocks, modules and keys
// are heap objects: the sanitizer build's leak check covers them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "config_installation.h"
#include "support/fault_sweep.h"
#include "support/file_bytes.h"

namespace {

namespace fs = std::filesystem;
using xq::test::GuardedBuffer;

const std::string kTable = xq::test::with_line_ends(
    "[Named]\nPlain=hello world\nNumber=42\nList=mm  um\tnm\nRow7=1 0x10 -7\nRef=Target Key\nData=a,b'c,d\n"
    "[Table]\nTableLength=3\nMaxNameLen=10\nMaxUnitLen=5\nControlName=Motor\nColumnName=Motor Data Other\n"
    "ColumnUnit=steps mm um\nColumnFactor=1 100 10\nColumnDivider=1 1 1\nMinPhyData=0\nMaxPhyData=1000\n"
    "Pos1=0 0 500\nPos2=500 250 250\nPos3=1000 500 0\n",
    xq::test::LineEnd::crlf);
const std::string kSecond = "[Target]\r\nKey=resolved value\r\n";

// What the calls share: one directory (the installation's root, which also
// holds the named-entry files), the settings naming it, and a handle block.
class World {
public:
    // The documented absences whose results a failing run may give.
    enum class Absence { table_missing, table_empty, second_missing, second_empty, logical_empty, physical_empty,
                         no_settings };
    static constexpr Absence kAbsences[] = {Absence::table_missing,  Absence::table_empty,    Absence::second_missing,
                                            Absence::second_empty,   Absence::logical_empty,  Absence::physical_empty,
                                            Absence::no_settings};

    // Everything as installed: the same bytes before every run.
    void reset() {
        xq::test::reset_library_state();
        for (const auto& entry : fs::directory_iterator(dir_.path())) fs::remove(entry.path());
        xq::test::registry_install("4.1", {{"VortaRoot", dir_.path().string()}, {"LogConfFile", "logical.ini"},
                                           {"PhyConfFile", "physical.ini"}, {"Lang", "ENG"}, {"FirstSetup", "TRUE"}});
        dir_.write("logical.ini", xq::test::sample_file("logical.ini"));
        dir_.write("physical.ini", xq::test::sample_file("physical.ini"));
        dir_.write("table.ini", kTable);
        dir_.write("second.ini", kSecond);
        std::memset(block_.data(), kBlockFill, sizeof block_);
        block_size_ = LcvGetDataHandleSize("Table", table().c_str());
    }

    void apply(Absence absence) {
        switch (absence) {
        case Absence::table_missing: fs::remove(table()); break;
        case Absence::table_empty: dir_.write("table.ini", ""); break;
        case Absence::second_missing: fs::remove(second()); break;
        case Absence::second_empty: dir_.write("second.ini", ""); break;
        case Absence::logical_empty: dir_.write("logical.ini", ""); break;
        case Absence::physical_empty: dir_.write("physical.ini", ""); break;
        case Absence::no_settings: xq::test::registry_clear(); break;
        }
    }

    std::string table() const { return dir_.file("table.ini"); }
    std::string second() const { return dir_.file("second.ini"); }
    std::string copy() const { return dir_.file("copy.ini"); }
    void write(const std::string& name, const std::string& bytes) const { dir_.write(name, bytes); }

    // The handle block: the table's handle size, and guard bytes after it.
    LcvDataHandle* handle() { return static_cast<LcvDataHandle*>(static_cast<void*>(block_.data())); }
    std::string block() const {
        const auto* bytes = static_cast<const char*>(static_cast<const void*>(block_.data()));
        const std::size_t size = block_size_;
        EXPECT_EQ(std::string(bytes + size, bytes + sizeof block_), std::string(sizeof block_ - size, kBlockFill))
            << "written beyond the block";
        return std::string(bytes, size);
    }

    // Every file of the directory and every setting the calls may write.
    std::map<std::string, std::string> state() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir_.path()))
            files[entry.path().filename().string()] = xq::test::read_bytes(entry.path().string());
        for (const char* name : {"Lang", "FirstSetup"})
            files[std::string("setting ") + name] = xq::test::registry_get("4.1", name).value_or("<absent>");
        return files;
    }

private:
    static constexpr char kBlockFill = '\x5A';
    xq::test::TempDirectory dir_;
    std::array<std::uint64_t, 64> block_{};
    std::size_t block_size_ = 0;
};

// One export's call and what it may give besides its clean result.
struct Row {
    std::string name;
    std::function<std::string(World&)> call;  // the call; its result and outputs as text
    std::vector<std::string> also = {};       // results the contract names for a failure
    std::function<void(World&)> prepare = {}; // set-up before the call, not swept
    bool silent = false;                      // a writer whose result does not tell a failed write
};

// The text a call left in a guarded buffer.
std::string left_in(const GuardedBuffer& buffer) {
    EXPECT_TRUE(buffer.guards_intact()) << "written outside the buffer";
    if (buffer.raw() == std::string(buffer.capacity(), GuardedBuffer::kFill)) return "<untouched>";
    return buffer.text();
}

template <class... Parts>
std::string join(const Parts&... parts) {
    std::string out;
    bool first = true;
    ((out += (first ? "" : "|") + std::string(parts), first = false), ...);
    return out;
}

std::string number(long long n) { return std::to_string(n); }
std::string pointer(const void* p, const void* buffer) { return p == nullptr ? "null" : p == buffer ? "buffer" : "other"; }

std::string printable(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
    }
    return out;
}

// A status report as text: flag, record fields and the text, which must be
// zero-filled to the end of the field.
std::string report(int32_t flag, const StatusRecord& s) {
    const std::string text(s.Text, std::find(s.Text, s.Text + sizeof s.Text, '\0'));
    EXPECT_EQ(std::string(s.Text, sizeof s.Text), text + std::string(sizeof s.Text - text.size(), '\0'));
    return join(number(flag), number(s.Origin), number(s.ErrorClass), number(s.ErrorCode), text);
}

// `call` on a guarded buffer of 160 bytes: its result as text (from the
// buffer's address), then what it left in the buffer.
template <class Call>
std::string on_buffer(Call call) {
    GuardedBuffer b(160);
    const std::string result = call(b.data(), b.capacity());
    return join(result, left_in(b));
}

// A lookup of the form (buffer, capacity).
using BufferLookup = int32_t(XQ_CALL*)(char*, uint32_t);
Row buffer_row(const char* name, BufferLookup lookup) {
    return {name, [lookup](World&) { return on_buffer([&](char* b, uint32_t c) { return number(lookup(b, c)); }); }};
}

// A lookup of the form (name, buffer, capacity).
using NamedLookup = int32_t(XQ_CALL*)(const char*, char*, uint32_t);
Row named_row(const char* name, NamedLookup lookup, const char* argument) {
    return {name, [lookup, argument](World&) {
                return on_buffer([&](char* b, uint32_t c) { return number(lookup(argument, b, c)); });
            }};
}

template <class Call>
Row number_row(const char* name, Call call) {
    return {name, [call](World& w) { return number(call(w)); }};
}

// SetError's record for `code` and one insert, as text.
std::string reported(int32_t origin, int32_t code, const std::string& insert) {
    int32_t flag = 0;
    StatusRecord s{};
    SetError(&flag, origin, 3, code, insert.c_str(), nullptr, nullptr, &s);
    return report(flag, s);
}

std::vector<Row> rows(const World& world) {
    std::vector<Row> r;
    // Installation settings and the status record.
    const std::pair<const char*, BufferLookup> getters[] = {
        {"GetVortaRootDir", GetVortaRootDir}, {"GetVortaLang", GetVortaLang}, {"GetVortaFirstSetup", GetVortaFirstSetup},
        {"GetVortaLogConfFile", GetVortaLogConfFile}, {"GetVortaPhyConfFile", GetVortaPhyConfFile},
        {"GetVortaSDKVersion", GetVortaSDKVersion}};
    for (const auto& [name, getter] : getters) r.push_back(buffer_row(name, getter));
    r.push_back({"SetVortaLang", [](World&) { return number(SetVortaLang("GER")); }, {}, {}, true});
    r.push_back({"SetVortaFirstSetup", [](World&) { return number(SetVortaFirstSetup("FALSE")); }, {}, {}, true});
    using Change = int32_t(XQ_CALL*)(const char*);
    const std::pair<const char*, Change> changes[] = {
        {"VOKSDKChangeRoot", VOKSDKChangeRoot}, {"VOKSDKChangeLang", VOKSDKChangeLang},
        {"VOKSDKChangeLogConfFile", VOKSDKChangeLogConfFile}, {"VOKSDKChangePhyConfFile", VOKSDKChangePhyConfFile}};
    for (const auto& [name, change] : changes) r.push_back(number_row(name, [change](World&) { return change("GER"); }));
    // A text that cannot be loaded reads as a code without text.
    r.push_back({"SetError", [](World&) { return reported(9, 18, "f.ini"); },
                 {join("1", "9", "3", "18", "No error text found.")}});

    // Named-entry files.
    r.push_back(number_row("ExistFile", [](World& w) { return ExistFile(w.table().c_str()); }));
    const auto old_copy = [](World& w) { w.write("copy.ini", "old\r\n"); };
    r.push_back({"DoubleFile over a file", [](World& w) { return number(DoubleFile(w.copy().c_str(), w.table().c_str(), 0)); },
                 {}, old_copy});
    r.push_back(number_row("DoubleFile new", [](World& w) { return DoubleFile(w.copy().c_str(), w.table().c_str(), 1); }));
    r.push_back({"GetNamedString", [](World& w) {
                     return on_buffer([&](char* b, uint32_t c) {
                         return pointer(GetNamedString("Named", "Plain", b, c, w.table().c_str()), b);
                     });
                 }});
    r.push_back(number_row("GetNamedInt", [](World& w) { return GetNamedInt("Named", "Number", w.table().c_str()); }));
    r.push_back({"GetNamedSubstringString", [](World& w) {
                     GuardedBuffer b(8);
                     const char* got = GetNamedSubstringString("Named", "List", 3, b.data(), 8, w.table().c_str());
                     return join(pointer(got, b.data()), left_in(b));
                 }});
    r.push_back(number_row("GetNamedSubstringIndex",
                           [](World& w) { return GetNamedSubstringIndex("Named", "List", "nm", w.table().c_str()); }));
    r.push_back(number_row("GetNamedArrayElement",
                           [](World& w) { return GetNamedArrayElement("Named", "%Row", 7, 2, w.table().c_str()); }));
    for (const bool with_second : {false, true}) {
        r.push_back({with_second ? "GetNamedStringIndirect, second file" : "GetNamedStringIndirect",
                     [with_second](World& w) {
                         GuardedBuffer section(16), entry(16);
                         const std::string second = w.second();
                         const int32_t got = GetNamedStringIndirect("Named", "Ref", w.table().c_str(),
                                                                    with_second ? second.c_str() : nullptr,
                                                                    section.data(), 16, entry.data(), 16);
                         return join(number(got), left_in(section), left_in(entry));
                     }});
    }
    r.push_back({"GetNamedData", [](World& w) {
                     GuardedBuffer b(8);
                     int32_t flag = 0;
                     StatusRecord s{};
                     const int32_t got = GetNamedData("Named", "Data", 3, b.data(), 8, w.table().c_str(), 5, &flag, &s);
                     return join(number(got), left_in(b), report(flag, s));
                 }});
    r.push_back(number_row("GetNamedStringPos", [](World& w) { return GetNamedStringPos("Named", "Number", w.table().c_str()); }));
    r.push_back(number_row("RplNamedString", [](World& w) { return RplNamedString("Named", "Plain", "hi", w.table().c_str()); }));
    r.push_back(number_row("RplNamedInt", [](World& w) { return RplNamedInt("Named", "Number", 7, w.table().c_str()); }));
    r.push_back(number_row("RplNamedSubstringString",
                           [](World& w) { return RplNamedSubstringString("Named", "List", 2, "cm", w.table().c_str()); }));
    // A write that fails is reported with code 36.
    r.push_back({"RplNamedData", [](World& w) {
                     int32_t flag = 0;
                     StatusRecord s{};
                     const int32_t got = RplNamedData("Named", "Data", 2, "xyz", w.table().c_str(), 5, &flag, &s);
                     return join(number(got), report(flag, s));
                 }, {join("0", reported(5, 36, world.table()))}});
    r.push_back({"CreateStrTokEx", [](World&) -> std::string {
                     TokenStream* stream = CreateStrTokEx("a,b", ",");
                     if (stream == nullptr) return "null";
                     std::string tokens;
                     while (const char* token = GetStrTokEx(stream, nullptr)) tokens += token;
                     CloseStrTokEx(stream);
                     return tokens;
                 }, {"null"}});

    // Conversion tables.
    r.push_back(number_row("LcvGetDataHandleSize", [](World& w) { return LcvGetDataHandleSize("Table", w.table().c_str()); }));
    r.push_back({"LcvInitDataHandle", [](World& w) {
                     const int32_t got = LcvInitDataHandle("Table", w.table().c_str(), "Data", w.handle());
                     return join(number(got), w.block());
                 }});
    r.push_back({"LcvNewLogDataUnit", [](World& w) {
                     const int32_t got = LcvNewLogDataUnit("Table", w.table().c_str(), "Other", w.handle());
                     return join(number(got), w.block());
                 }, {}, [](World& w) { LcvInitDataHandle("Table", w.table().c_str(), "Data", w.handle()); }});
    r.push_back({"LcvGetLogDataNames", [](World& w) {
                     return on_buffer([&](char* b, uint32_t c) {
                         return pointer(LcvGetLogDataNames("Table", w.table().c_str(), b, c, 0), b);
                     });
                 }});
    r.push_back(number_row("LcvGetNamedInt", [](World& w) { return LcvGetNamedInt("Table", "MaxPhyData", w.table().c_str()); }));
    r.push_back(number_row("LcvGetNamedArrayElement",
                           [](World& w) { return LcvGetNamedArrayElement("Table", "%Pos", 2, 3, w.table().c_str()); }));
    r.push_back(number_row("LcvRplNamedInt", [](World& w) { return LcvRplNamedInt("Table", "MaxPhyData", 999, w.table().c_str()); }));

    // Microscope configuration; without scratch memory the optical path is 0.
    r.push_back(buffer_row("GetQelStand", GetQelStand));
    r.push_back(buffer_row("GetQelStandPort", GetQelStandPort));
    r.push_back({"GetQelOpticalPath", [](World&) {
                     return on_buffer([](char* b, uint32_t c) { return number(GetQelOpticalPath(1, b, c)); });
                 }, {"0|<untouched>"}});
    using ComponentTest = int32_t(XQ_CALL*)(const char*);
    const std::pair<const char*, ComponentTest> component_tests[] = {
        {"GetQelStandComp", GetQelStandComp}, {"GetQelServerEnabled", GetQelServerEnabled}, {"GetQelMode", GetQelMode}};
    for (const auto& [name, lookup] : component_tests)
        r.push_back(number_row(name, [lookup](World&) { return lookup("Focus"); }));
    using Count = int32_t(XQ_CALL*)();
    const std::pair<const char*, Count> counts[] = {{"GetQelMultiInstances", GetQelMultiInstances},
                                                    {"GetQelImagePathCount", GetQelImagePathCount},
                                                    {"GetQelImagePathDeviceCount", GetQelImagePathDeviceCount}};
    for (const auto& [name, count] : counts) r.push_back(number_row(name, [count](World&) { return count(); }));
    const std::pair<const char*, NamedLookup> by_component[] = {
        {"GetQelServer", GetQelServer}, {"GetQelServerApi", GetQelServerApi}, {"GetQelPort", GetQelPort},
        {"GetPsiServer", GetPsiServer}, {"GetPsiServerApi", GetPsiServerApi}, {"GetPsiServerData", GetPsiServerData},
        {"GetPsiGlobalData", GetPsiGlobalData}, {"GetPsiOperData", GetPsiOperData}, {"GetPsiNextLayer", GetPsiNextLayer},
        {"GetPsiGlobalDataSection", GetPsiGlobalDataSection},
        {"GetPsiOperationalDataSection", GetPsiOperationalDataSection}};
    for (const auto& [name, lookup] : by_component) r.push_back(named_row(name, lookup, "Nosepiece"));
    const std::pair<const char*, NamedLookup> by_layer[] = {
        {"GetPsiNextLayerServer", GetPsiNextLayerServer}, {"GetPsiNextLayerServerApi", GetPsiNextLayerServerApi},
        {"GetPsiNextLayerServerData", GetPsiNextLayerServerData},
        {"GetPsiNextLayerGlobalDataSection", GetPsiNextLayerGlobalDataSection},
        {"GetPsiNextLayerOperationalDataSection", GetPsiNextLayerOperationalDataSection}};
    for (const auto& [name, lookup] : by_layer) r.push_back(named_row(name, lookup, "StandBus"));
    return r;
}

// Open descriptors (handles on Windows) of this process.
std::size_t open_descriptors() {
#ifdef _WIN32
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
#else
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
#endif
}

// Files beside the Linux settings store that a rewrite of it left behind.
std::vector<std::string> store_leftovers() {
    std::vector<std::string> left;
#ifndef _WIN32
    const fs::path store = std::getenv("XQ_UTILS_REGISTRY");
    const std::string prefix = "." + store.filename().string() + ".";
    for (const auto& entry : fs::directory_iterator(store.parent_path()))
        if (entry.path().filename().string().starts_with(prefix)) left.push_back(entry.path().string());
#endif
    return left;
}

TEST(FaultSweep, EveryOperationOfEveryExportFailsCleanly) {
    World w;
    int exports = 0, points = 0;
    for (const Row& row : rows(w)) {
        SCOPED_TRACE(row.name);
        const auto fresh = [&] {
            w.reset();
            if (row.prepare) row.prepare(w);
        };
        std::set<std::string> allowed(row.also.begin(), row.also.end());
        for (const World::Absence absence : World::kAbsences) {
            fresh();
            w.apply(absence);
            allowed.insert(row.call(w));
        }
        fresh();
        const std::size_t descriptors = open_descriptors();
        const auto before = w.state();
        int operations = 0;
        const std::string clean = xq::test::counting_operations([&] { return row.call(w); }, operations);
        const auto after = w.state();
        for (int n = 1; n <= operations; ++n) {
            fresh();
            const std::string got = xq::test::failing_operation(n, [&] { return row.call(w); });
            const auto now = w.state();
            EXPECT_TRUE(got == clean || allowed.count(got) == 1)
                << "operation " << n << " of " << operations << " failing gives " << printable(got);
            if (row.silent) EXPECT_TRUE(now == before || now == after) << "operation " << n << ": files changed";
            else EXPECT_TRUE(now == (got == clean ? after : before)) << "operation " << n << ": files changed";
        }
        EXPECT_EQ(open_descriptors(), descriptors) << "descriptors leaked";
        EXPECT_EQ(store_leftovers(), std::vector<std::string>{});
        ++exports;
        points += operations;
    }
    std::printf("fault sweep: %d calls, %d failing operations\n", exports, points);
}

}  // namespace
