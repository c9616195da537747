// Every export that reaches the operating system, with each of its seam
// operations failing in turn. A failing run must give the clean result, the
// result of a documented absence (a file missing or empty, no installation
// settings) or one named for the failure; it must write nothing outside the
// caller's buffers, release every descriptor and leave every file and
// setting byte for byte as before the call (or as after the clean one), with
// no temporary file behind. Heap leaks are the sanitizer build's to find.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>

#ifdef _WIN32
#include <windows.h>
#endif

#include "config_installation.h"  // also the temporary directory, guarded buffers and whole files
#include "platform/fault.h"

namespace {

namespace fs = std::filesystem;
using xq::test::GuardedBuffer;

const std::string kTable = xq::test::with_line_ends(
    "[Named]\nPlain=hello world\nNumber=42\nList=mm  um\tnm\nRow7=1 0x10 -7\nRef=Target Key\nData=a,b'c,d\n"
    "[Table]\nTableLength=3\nMaxNameLen=10\nMaxUnitLen=5\nControlName=Motor\nColumnName=Motor Data Other\n"
    "ColumnUnit=steps mm um\nColumnFactor=1 100 10\nColumnDivider=1 1 1\nMinPhyData=0\nMaxPhyData=1000\n"
    "Pos1=0 0 500\nPos2=500 250 250\nPos3=1000 500 0\n",
    xq::test::LineEnd::crlf);

// The documented absences: a file removed (null) or emptied, or (no file) no settings.
const std::pair<const char*, const char*> kAbsences[] = {{"table.ini", nullptr}, {"table.ini", ""},
    {"second.ini", nullptr}, {"second.ini", ""}, {"logical.ini", ""}, {"physical.ini", ""}, {nullptr, nullptr}};

// The installation's root, holding the configuration and named-entry files,
// the settings naming it, and a handle block with guard bytes around it.
struct World {
    xq::test::TempDirectory dir;
    GuardedBuffer block{0};

    void reset() {
        xq::test::reset_library_state();
        for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove(entry.path());
        xq::test::registry_install("4.1", {{"VortaRoot", dir.path().string()}, {"LogConfFile", "logical.ini"},
                                           {"PhyConfFile", "physical.ini"}, {"Lang", "ENG"}, {"FirstSetup", "TRUE"}});
        for (const char* name : {"logical.ini", "physical.ini"}) dir.write(name, xq::test::sample_file(name));
        dir.write("table.ini", kTable);
        dir.write("second.ini", "[Target]\r\nKey=resolved value\r\n");
        // One block at one address throughout: the handle points into itself.
        const uint32_t size = LcvGetDataHandleSize("Table", table().c_str());
        if (block.capacity() != size) block = GuardedBuffer(size);
        std::fill_n(block.data(), size, GuardedBuffer::kFill);
    }
    std::string table() const { return dir.file("table.ini"); }
    LcvDataHandle* handle() { return static_cast<LcvDataHandle*>(static_cast<void*>(block.data())); }
    // A call's result and the handle it left.
    std::string after(int32_t got) const {
        EXPECT_TRUE(block.guards_intact()) << "written outside the handle";
        return std::to_string(got) + "|" + block.raw();
    }
    // Every file of the directory and every setting the calls may write; the
    // open descriptors (handles on Windows) and on Linux the files a rewrite
    // of the settings store may have left beside it.
    std::map<std::string, std::string> state() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            files[entry.path().filename().string()] = xq::test::read_bytes(entry.path().string());
        for (const char* name : {"Lang", "FirstSetup"})
            files[name] = xq::test::registry_get("4.1", name).value_or("<absent>");
#ifdef _WIN32
        DWORD count = 0;
        GetProcessHandleCount(GetCurrentProcess(), &count);
        files["<handles>"] = std::to_string(count);
#else
        files["<descriptors>"] = std::to_string(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
        const fs::path store = std::getenv("XQ_UTILS_REGISTRY");
        for (const auto& entry : fs::directory_iterator(store.parent_path()))
            if (entry.path().filename().string().starts_with("." + store.filename().string() + "."))
                files[entry.path().string()] = "left behind";
#endif
        return files;
    }
};

struct Row {
    std::string name;
    std::function<std::string(World&)> call;  // the result and every output, as text
    std::vector<std::string> also = {};       // results named for a failure
    void (*prepare)(World&) = nullptr;        // set-up before the call, not swept
    bool silent = false;                      // a writer whose result does not tell a failed write
};

std::string n(long long value) { return std::to_string(value); }
std::string out(long long value, const char*) { return n(value); }
std::string out(const char* got, const char* buffer) { return got == nullptr ? "null" : got == buffer ? "buffer" : "other"; }
std::string left_in(const GuardedBuffer& b) {
    EXPECT_TRUE(b.guards_intact()) << "written outside the buffer";
    return b.raw() == std::string(b.capacity(), GuardedBuffer::kFill) ? "<untouched>" : b.text();
}
// A status report as text; the text must be zero-filled to the end of its field.
std::string report(int32_t flag, const StatusRecord& s) {
    const std::string text(s.Text, std::find(s.Text, s.Text + sizeof s.Text, '\0'));
    EXPECT_EQ(std::string(s.Text, sizeof s.Text), text + std::string(sizeof s.Text - text.size(), '\0'));
    return n(flag) + "|" + n(s.Origin) + "|" + n(s.ErrorClass) + "|" + n(s.ErrorCode) + "|" + text;
}
std::string reported(int32_t origin, int32_t code, const std::string& insert) {
    int32_t flag = 0;
    StatusRecord s{};
    SetError(&flag, origin, 3, code, insert.c_str(), nullptr, nullptr, &s);
    return report(flag, s);
}

// Calls whose outputs are read after the call (the operands of + are not
// evaluated in order): a result that is a number; one that also writes a
// guarded buffer `b` of capacity `c`; one that reports into `flag` and `s`.
#define NUMBER(f, ...) Row{#f, []([[maybe_unused]] World& w) { return n(f(__VA_ARGS__)); }}
#define SIZED(size, f, ...) []([[maybe_unused]] World& w) { GuardedBuffer b(size); [[maybe_unused]] const uint32_t c = size; \
                                const auto got = f(__VA_ARGS__); return out(got, b.data()) + "|" + left_in(b); }
#define BUFFER(f, ...) Row{#f, SIZED(160, f, __VA_ARGS__)}
#define OF(f, component) BUFFER(f, component, b.data(), c)
#define STATUS(f, ...) [](World& w) { GuardedBuffer b(8); int32_t flag = 0; StatusRecord s{}; \
                           const std::string got = n(f(__VA_ARGS__)); return got + "|" + left_in(b) + "|" + report(flag, s); }
#define T w.table().c_str()

std::string indirect(World& w, const char* second) {
    GuardedBuffer s(16), e(16);
    const std::string got = n(GetNamedStringIndirect("Named", "Ref", T, second, s.data(), 16, e.data(), 16));
    return got + "|" + left_in(s) + "|" + left_in(e);
}

std::vector<Row> rows(World& world) {
    return {
        BUFFER(GetVortaRootDir, b.data(), c), BUFFER(GetVortaLang, b.data(), c), BUFFER(GetVortaFirstSetup, b.data(), c),
        BUFFER(GetVortaLogConfFile, b.data(), c), BUFFER(GetVortaPhyConfFile, b.data(), c),
        BUFFER(GetVortaSDKVersion, b.data(), c), BUFFER(GetQelStand, b.data(), c), BUFFER(GetQelStandPort, b.data(), c),
        {"SetVortaLang", [](World&) { return n(SetVortaLang("GER")); }, {}, nullptr, true},
        {"SetVortaFirstSetup", [](World&) { return n(SetVortaFirstSetup("FALSE")); }, {}, nullptr, true},
        // A text that cannot be loaded reads as a code without text.
        {"SetError", [](World&) { return reported(9, 18, "f.ini"); }, {"1|9|3|18|No error text found."}},
        NUMBER(ExistFile, T),
        {"DoubleFile over a file", [](World& w) { return n(DoubleFile(w.dir.file("copy.ini").c_str(), T, 0)); }, {},
         [](World& w) { w.dir.write("copy.ini", "old\r\n"); }},
        {"DoubleFile new", [](World& w) { return n(DoubleFile(w.dir.file("copy.ini").c_str(), T, 1)); }},
        BUFFER(GetNamedString, "Named", "Plain", b.data(), c, T),
        // A capacity that the guards watch.
        {"GetNamedSubstringString", SIZED(8, GetNamedSubstringString, "Named", "List", 3, b.data(), c, T)},
        NUMBER(GetNamedInt, "Named", "Number", T), NUMBER(GetNamedSubstringIndex, "Named", "List", "nm", T),
        NUMBER(GetNamedArrayElement, "Named", "%Row", 7, 2, T), NUMBER(GetNamedStringPos, "Named", "Number", T),
        {"GetNamedStringIndirect", [](World& w) { return indirect(w, nullptr); }},
        {"GetNamedStringIndirect, second file", [](World& w) { return indirect(w, w.dir.file("second.ini").c_str()); }},
        {"GetNamedData", STATUS(GetNamedData, "Named", "Data", 3, b.data(), 8, T, 5, &flag, &s)},
        NUMBER(RplNamedString, "Named", "Plain", "hi", T), NUMBER(RplNamedInt, "Named", "Number", 7, T),
        NUMBER(RplNamedSubstringString, "Named", "List", 2, "cm", T),
        // A write that fails is reported with code 36.
        {"RplNamedData", STATUS(RplNamedData, "Named", "Data", 2, "xyz", T, 5, &flag, &s),
         {"0|<untouched>|" + reported(5, 36, world.table())}},
        {"CreateStrTokEx", [](World&) -> std::string {
             TokenStream* stream = CreateStrTokEx("a,b", ",");
             std::string tokens = stream ? "" : "null";
             while (const char* token = stream ? GetStrTokEx(stream, nullptr) : nullptr) tokens += token;
             return CloseStrTokEx(stream), tokens;
         }, {"null"}},
        NUMBER(LcvGetDataHandleSize, "Table", T),
        {"LcvInitDataHandle", [](World& w) { return w.after(LcvInitDataHandle("Table", T, "Data", w.handle())); }},
        {"LcvNewLogDataUnit", [](World& w) { return w.after(LcvNewLogDataUnit("Table", T, "Other", w.handle())); }, {},
         [](World& w) { LcvInitDataHandle("Table", T, "Data", w.handle()); }},
        BUFFER(LcvGetLogDataNames, "Table", T, b.data(), c, 0), NUMBER(LcvGetNamedInt, "Table", "MaxPhyData", T),
        NUMBER(LcvGetNamedArrayElement, "Table", "%Pos", 2, 3, T), NUMBER(LcvRplNamedInt, "Table", "MaxPhyData", 999, T),
        // Without scratch memory the optical path is 0.
        {"GetQelOpticalPath", SIZED(160, GetQelOpticalPath, 1, b.data(), c), {"0|<untouched>"}},
        NUMBER(GetQelStandComp, "Focus"), NUMBER(GetQelServerEnabled, "Focus"), NUMBER(GetQelMode, "Focus"),
        NUMBER(GetQelMultiInstances), NUMBER(GetQelImagePathCount), NUMBER(GetQelImagePathDeviceCount),
        OF(GetQelServer, "Nosepiece"), OF(GetQelServerApi, "Nosepiece"), OF(GetQelPort, "Nosepiece"),
        OF(GetPsiServer, "Nosepiece"), OF(GetPsiServerApi, "Nosepiece"), OF(GetPsiServerData, "Nosepiece"),
        OF(GetPsiGlobalData, "Nosepiece"), OF(GetPsiOperData, "Nosepiece"), OF(GetPsiNextLayer, "Nosepiece"),
        OF(GetPsiGlobalDataSection, "Nosepiece"), OF(GetPsiOperationalDataSection, "Nosepiece"),
        OF(GetPsiNextLayerServer, "StandBus"), OF(GetPsiNextLayerServerApi, "StandBus"),
        OF(GetPsiNextLayerServerData, "StandBus"), OF(GetPsiNextLayerGlobalDataSection, "StandBus"),
        OF(GetPsiNextLayerOperationalDataSection, "StandBus"),
    };
}

TEST(FaultSweep, EveryOperationOfEveryExportFailsCleanly) {
    World w;
    w.reset();  // the reports a row expects are made from the state every call starts from
    for (const Row& row : rows(w)) {
        SCOPED_TRACE(row.name);
        const auto fresh = [&] { w.reset(); if (row.prepare) row.prepare(w); };
        std::set<std::string> allowed(row.also.begin(), row.also.end());
        for (const auto& [file, bytes] : kAbsences) {
            fresh();
            if (file == nullptr) xq::test::registry_clear();
            else if (bytes == nullptr) fs::remove(w.dir.file(file));
            else w.dir.write(file, bytes);
            allowed.insert(row.call(w));
        }
        fresh();
        const auto before = w.state();
        // The result with seam operation `n` (from 1) failing, or none for 0, and the operations passed.
        const auto failing = [&](int n) {
            xq::os::fault_arm({xq::os::Op::count_, n > 0 ? n : 1 << 30, false});
            const std::pair<std::string, int> result{row.call(w), xq::os::fault_count()};
            return xq::os::fault_disarm(), result;
        };
        const auto [clean, total] = failing(0);
        const auto after = w.state();
        ASSERT_GT(total, 0) << "the call passes the seam";
        for (int i = 1; i <= total; ++i) {
            fresh();
            const std::string got = failing(i).first;
            const auto now = w.state();
            EXPECT_TRUE(got == clean || allowed.count(got) == 1) << "operation " << i << " of " << total << ": " << got;
            // A silent writer may leave either state, whatever its result.
            EXPECT_TRUE(now == (got == clean ? after : before) || (row.silent && (now == before || now == after)))
                << "operation " << i << ": state changed";
        }
    }
}

}  // namespace
