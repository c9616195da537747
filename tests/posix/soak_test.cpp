// Soak: four processes of four threads each make thousands of mixed calls on
// shared files at once: lookups of named entries, conversion tables and the
// configuration and server lookups, in-place rewrites of values, words and
// numbers, and whole-file rewrites through the profile writer. Each written
// value names its writer and its sequence number. Afterwards every file still
// parses, no byte outside the rewritten values has changed, each rewritten
// value is the last one that one of its writers wrote (none is lost, also
// where writers share one line), no temporary file is left, and every value
// a lookup saw during the run was one that some writer wrote, or the original.
// Bounded in calls and in time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "posix/processes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "xq_utils.h"

namespace {

using xq::test::read_bytes;
using xq::test::write_bytes;

constexpr int kProcesses = 4;
constexpr int kThreads = 4;  // per process, each a writer of its own
constexpr int kWriters = kProcesses * kThreads;
constexpr int kCallsPerThread = 3000;
constexpr auto kTimeLimit = std::chrono::seconds(20);
constexpr int kWriteEvery = 3;  // one call in three writes, the others look up

// Writers are numbered from 1: thread t of process p is writer p * kThreads + t + 1.
int writer_of(int p, int t) { return p * kThreads + t + 1; }

// ---- Written values -----------------------------------------------------------
// A written value is the number (writer * 100000 + seq) * 10 + a check digit,
// writers numbered from 1. The check digit makes a mix of two writes read as
// no value at all.

int check_digit(long long n) {
    static constexpr std::array<int, 3> kWeights{3, 7, 1};
    int sum = 0;
    for (std::size_t k = 0; n > 0; n /= 10, ++k) sum += static_cast<int>(n % 10) * kWeights[k % 3];
    return sum % 10;
}

long long code(int writer, int seq) {
    const long long n = writer * 100000LL + seq;
    return n * 10 + check_digit(n);
}

// Who wrote a value; writer 0 for the original.
struct Stamp {
    int writer = 0;
    int seq = 0;
};

std::optional<Stamp> decode(std::string_view digits) {
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const long long value = std::stoll(std::string(digits));
    const long long n = value / 10;
    const Stamp stamp{static_cast<int>(n / 100000), static_cast<int>(n % 100000)};
    if (value % 10 != check_digit(n) || stamp.writer < 1 || stamp.writer > kWriters || stamp.seq < 1) {
        return std::nullopt;
    }
    return stamp;
}

// ---- The rewritten fields -------------------------------------------------------

enum class Via { string, number, lcv_number, word, data };

struct Field {
    std::string file;
    std::string section;
    std::string entry;  // names one line of the file
    Via via;
    int part;            // word or comma field number for Via::word and Via::data
    std::string prefix;  // written before the number
    std::string original;
    std::uint32_t writers;  // bit w: writer w writes it

    bool written_by(int writer) const { return (writers >> writer & 1U) != 0; }

    std::string text(int writer, int seq) const {
        std::string number = std::to_string(code(writer, seq));
        // Data fields keep one width, so that the whole-file rewrite keeps
        // every line where it was.
        if (via == Via::data) number.insert(0, 8 - number.size(), '0');
        return prefix + number;
    }

    // Who wrote `text`, or nullopt when it is no value this field ever held.
    std::optional<Stamp> stamp(std::string_view text) const {
        if (text == original) return Stamp{};
        if (!text.starts_with(prefix)) return std::nullopt;
        const std::optional<Stamp> s = decode(text.substr(prefix.size()));
        if (!s || !written_by(s->writer)) return std::nullopt;
        return s;
    }
};

template <class Pick>
std::uint32_t writers_where(Pick pick) {
    std::uint32_t mask = 0;
    for (int p = 0; p < kProcesses; ++p) {
        for (int t = 0; t < kThreads; ++t) {
            if (pick(p, t)) mask |= 1U << writer_of(p, t);
        }
    }
    return mask;
}

const std::uint32_t kAll = writers_where([](int, int) { return true; });

std::string own_entry(int writer) {
    char name[16];
    std::snprintf(name, sizeof name, "W%02d", writer);
    return name;
}

// Fields by index; the lookups below name them so.
enum : std::size_t { kPort, kMode, kPathCount, kData1, kData2, kServerData, kCell, kLastPos, kOwn };

const std::vector<Field>& fields() {
    static const std::vector<Field> all = [] {
        // Two words of one value, and two fields of one data value, each
        // written by a different half of the writers: no writer may lose
        // the other's word or field.
        std::vector<Field> out{
            {"logical.ini", "Configuration", "Focus", Via::word, 2, "C", "COM1",
             writers_where([](int, int t) { return t % 2 == 0; })},
            {"logical.ini", "Configuration", "Focus", Via::word, 3, "", "0",
             writers_where([](int, int t) { return t % 2 == 1; })},
            {"logical.ini", "OpticalPath", "ImagePathCount", Via::number, 0, "", "2", kAll},
            {"logical.ini", "GeneralSettings", "Data", Via::data, 1, "", "00000000",
             writers_where([](int p, int) { return p % 2 == 0; })},
            {"logical.ini", "GeneralSettings", "Data", Via::data, 2, "", "00000000",
             writers_where([](int p, int) { return p % 2 == 1; })},
            {"physical.ini", "FocusServer", "ServerData", Via::string, 0, "d", "data\\focus.dat", kAll},
            {"table.ini", "Zoom", "Pos3", Via::word, 2, "", "400", kAll},
            {"table.ini", "Zoom", "LastPos", Via::lcv_number, 0, "", "0", kAll},
        };
        for (int w = 1; w <= kWriters; ++w) {
            out.push_back({"table.ini", "Writers", own_entry(w), Via::string, 0, "v", "-", 1U << w});
        }
        return out;
    }();
    return all;
}

// ---- The files ------------------------------------------------------------------

std::string crlf_lines(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (std::string_view line : lines) (out += line) += "\r\n";
    return out;
}

std::map<std::string, std::string> original_files() {
    std::map<std::string, std::string> files;
    files["logical.ini"] = crlf_lines({
        "; Logical configuration",
        "[MicStand]",
        "Stand=Axial400 COM1",
        "[Configuration]",
        "Focus=FocusDrive          COM1          0",
        "Stage=ScanStage COM2 1",
        "[Focus]",
        "Server=bin\\qelfocus.exe",
        "[GeneralSettings]",
        "MultipleInstances=None",
        "Data=00000000,00000000,end",
        "[OpticalPath]",
        "ImagePathCount=          2",
        "ImagePathDeviceCount=3",
    });
    files["physical.ini"] = crlf_lines({
        "[Stand]",
        "Axial400=Axial400 Inverted",
        "[Focus]",
        "FocusDrive=StepperZ 25nm M FocusServer FocusGlobal FocusOper",
        "[FocusServer]",
        "Server=servers\\focus.exe",
        "ServerData=data\\focus.dat",
        "NextLayer=None",
    });
    std::string table = crlf_lines({
        "[Zoom]",
        "TableLength=3",
        "MaxNameLen=10",
        "MaxUnitLen=5",
        "ControlName=Motor",
        "ColumnName=Motor Zoom",
        "ColumnUnit=steps x",
        "ColumnFactor=1 1",
        "ColumnDivider=1 1",
        "MinPhyData=0",
        "MaxPhyData=200",
        "Pos1=0 100",
        "Pos2=100 200",
        "Pos3=200          400",
        "LastPos=         0",
        "[Writers]",
    });
    for (int w = 1; w <= kWriters; ++w) table += own_entry(w) + "=         -\r\n";
    files["table.ini"] = table;
    return files;
}

std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", at), text.size());
        out.emplace_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(' ') + 1 - start);
}

// The file with the value of every rewritten line masked.
std::string masked(const std::string& file, std::string text) {
    for (const Field& f : fields()) {
        if (f.file != file) continue;
        for (std::size_t at = text.find("\n" + f.entry + "="); at != std::string::npos;
             at = text.find("\n" + f.entry + "=", at + 1)) {
            for (std::size_t k = at + f.entry.size() + 2; k < text.size() && text[k] != '\r'; ++k) text[k] = '#';
        }
    }
    return text;
}

// The field's text as the file holds it.
std::string part_of(const Field& f, std::string_view text) {
    for (const std::string& line : lines_of(text)) {
        if (!line.starts_with(f.entry + "=")) continue;
        std::string_view value = trimmed(std::string_view(line).substr(f.entry.size() + 1));
        if (f.via != Via::word && f.via != Via::data) return std::string(value);
        const char separator = f.via == Via::word ? ' ' : ',';
        for (int k = 1;; ++k) {
            value = value.substr(std::min(value.find_first_not_of(separator), value.size()));
            const std::size_t end = std::min(value.find(separator), value.size());
            if (k == f.part) return std::string(value.substr(0, end));
            if (end == value.size()) return "<no such part>";
            value.remove_prefix(end);
        }
    }
    return "<no such entry>";
}

// ---- Calls made during the run ----------------------------------------------------

struct Files {
    std::string root;
    std::string path(const std::string& name) const { return root + "/" + name; }
};

bool write(const Files& files, const Field& f, int writer, int seq) {
    const std::string text = f.text(writer, seq);
    const std::string path = files.path(f.file);
    const char* s = f.section.c_str();
    const char* e = f.entry.c_str();
    switch (f.via) {
        case Via::string: return RplNamedString(s, e, text.c_str(), path.c_str()) == 1;
        case Via::number: return RplNamedInt(s, e, static_cast<int32_t>(code(writer, seq)), path.c_str()) == 1;
        case Via::lcv_number: return LcvRplNamedInt(s, e, static_cast<int32_t>(code(writer, seq)), path.c_str()) == 1;
        case Via::word: return RplNamedSubstringString(s, e, f.part, text.c_str(), path.c_str()) == 1;
        case Via::data: {
            int32_t flag = 0;
            StatusRecord status{};
            return RplNamedData(s, e, f.part, text.c_str(), path.c_str(), 0, &flag, &status) == 1 && flag == 0;
        }
    }
    return false;
}

// What one thread has read: the highest sequence number of each writer seen
// in each field. A field never goes back to an older write of the same
// writer unless some rewrite put back a value it had read before.
struct Reader {
    const Files& files;
    std::map<std::pair<std::size_t, int>, int> highest;
    int next_own = 0;  // whose own entry to read next

    // "" when `seen` is a value of the field and no older than what this
    // thread saw before, else what was wrong.
    std::string value(std::size_t field, std::string_view seen) {
        const std::optional<Stamp> stamp = fields()[field].stamp(seen);
        if (!stamp) return fields()[field].entry + " read \"" + std::string(seen) + "\"";
        if (stamp->writer == 0) return {};
        int& high = highest[{field, stamp->writer}];
        if (stamp->seq < high) {
            return fields()[field].entry + " went back from write " + std::to_string(high) + " to " +
                   std::to_string(stamp->seq) + " of writer " + std::to_string(stamp->writer);
        }
        high = stamp->seq;
        return {};
    }
    std::string path(const char* name) const { return files.path(name); }
};

std::string expect_equal(std::string_view seen, std::string_view wanted) {
    if (seen == wanted) return {};
    return "read \"" + std::string(seen) + "\", not \"" + std::string(wanted) + "\"";
}

// A text lookup of the form (name, buffer, capacity).
std::string text_of(int32_t (*lookup)(const char*, char*, uint32_t), const char* name) {
    char buffer[300] = {};
    return lookup(name, buffer, sizeof buffer) == 1 ? buffer : "<failed>";
}

std::string named_string(const std::string& path, const char* section, const char* entry) {
    char buffer[300] = {};
    return GetNamedString(section, entry, buffer, sizeof buffer, path.c_str()) != nullptr ? buffer : "<failed>";
}

std::string data_field(const std::string& path, std::size_t field) {
    const Field& f = fields()[field];
    char buffer[64] = {};
    int32_t flag = 0;
    StatusRecord status{};
    if (GetNamedData(f.section.c_str(), f.entry.c_str(), f.part, buffer, sizeof buffer, path.c_str(), 0, &flag,
                     &status) != 1) {
        return "<failed>";
    }
    return buffer;
}

// The conversion table filled from the shared file and used once.
std::string table_check(Reader& r) {
    const std::string path = r.path("table.ini");
    const uint32_t size = LcvGetDataHandleSize("Zoom", path.c_str());
    std::vector<std::uint64_t> block(size / sizeof(std::uint64_t) + 1);
    auto* handle = reinterpret_cast<LcvDataHandle*>(block.data());
    if (size == 0 || LcvInitDataHandle("Zoom", path.c_str(), "Zoom", handle) != 1) return "no handle";
    int32_t last_cell = 0;
    std::memcpy(&last_cell, reinterpret_cast<const char*>(handle->DataPos) + 2 * sizeof last_cell, sizeof last_cell);
    if (std::string problem = r.value(kCell, std::to_string(last_cell)); !problem.empty()) return problem;
    if (handle->MinLogData != 100 || handle->MaxLogData != last_cell) return "limits of the table";
    if (std::string_view(handle->DataName) != "Zoom" || std::string_view(handle->DataUnit) != "x") {
        return "name or unit";
    }
    return LcvLogToPhy(150, handle) == 50 ? "" : "LcvLogToPhy(150)";
}

struct Lookup {
    const char* name;
    std::string (*check)(Reader&);
};

const std::vector<Lookup>& lookups() {
    static const std::vector<Lookup> all{
        {"GetQelPort", [](Reader& r) { return r.value(kPort, text_of(GetQelPort, "Focus")); }},
        {"GetQelMode", [](Reader& r) { return r.value(kMode, std::to_string(GetQelMode("Focus"))); }},
        {"GetQelImagePathCount",
         [](Reader& r) { return r.value(kPathCount, std::to_string(GetQelImagePathCount())); }},
        {"GetQelStand",
         [](Reader&) {
             char buffer[40] = {};
             return GetQelStand(buffer, sizeof buffer) == 1 ? expect_equal(buffer, "Axial400") : "failed";
         }},
        {"GetQelServer",
         [](Reader& r) { return expect_equal(text_of(GetQelServer, "Focus"), r.files.root + "\\bin\\qelfocus.exe"); }},
        {"GetQelStandComp", [](Reader&) { return GetQelStandComp("Focus") == 1 ? "" : std::string("not 1"); }},
        {"GetPsiServerData",
         [](Reader& r) {
             const std::string seen = text_of(GetPsiServerData, "Focus");
             if (!seen.starts_with(r.files.root + "\\")) return "read \"" + seen + "\"";
             return r.value(kServerData, std::string_view(seen).substr(r.files.root.size() + 1));
         }},
        {"GetPsiServer",
         [](Reader& r) {
             return expect_equal(text_of(GetPsiServer, "Focus"), r.files.root + "\\servers\\focus.exe");
         }},
        {"GetPsiGlobalDataSection",
         [](Reader&) { return expect_equal(text_of(GetPsiGlobalDataSection, "Focus"), "FocusGlobal"); }},
        {"GetNamedString",
         [](Reader& r) {
             return r.value(kServerData, named_string(r.path("physical.ini"), "FocusServer", "ServerData"));
         }},
        {"GetNamedData 1", [](Reader& r) { return r.value(kData1, data_field(r.path("logical.ini"), kData1)); }},
        {"GetNamedData 2", [](Reader& r) { return r.value(kData2, data_field(r.path("logical.ini"), kData2)); }},
        {"GetNamedInt",
         [](Reader& r) {
             const int32_t count = GetNamedInt("OpticalPath", "ImagePathCount", r.path("logical.ini").c_str());
             return r.value(kPathCount, std::to_string(count));
         }},
        {"GetNamedArrayElement",
         [](Reader& r) {
             const int32_t cell = GetNamedArrayElement("Zoom", "%Pos", 3, 2, r.path("table.ini").c_str());
             return r.value(kCell, std::to_string(cell));
         }},
        {"LcvGetNamedInt",
         [](Reader& r) {
             return r.value(kLastPos, std::to_string(LcvGetNamedInt("Zoom", "LastPos", r.path("table.ini").c_str())));
         }},
        {"LcvInitDataHandle", table_check},
        {"GetNamedString own",
         [](Reader& r) {
             const int writer = r.next_own++ % kWriters + 1;
             const std::string seen = named_string(r.path("table.ini"), "Writers", own_entry(writer).c_str());
             return r.value(kOwn + static_cast<std::size_t>(writer) - 1, seen);
         }},
    };
    return all;
}

// ---- One thread, one process ----------------------------------------------------

struct Tally {
    long writes = 0;
    long lookups = 0;
    std::vector<std::string> failures;
    std::map<std::size_t, int> last;  // field: this writer's last sequence number in it
};

void run_thread(const Files& files, int writer, std::chrono::steady_clock::time_point deadline, Tally& tally) {
    std::vector<std::size_t> mine;
    for (std::size_t k = 0; k < fields().size(); ++k) {
        if (fields()[k].written_by(writer)) mine.push_back(k);
    }
    Reader reader{files, {}, writer};
    int seq = 0;
    for (int i = 0; i < kCallsPerThread && std::chrono::steady_clock::now() < deadline; ++i) {
        std::string problem;
        if (i % kWriteEvery == 0) {
            const std::size_t field = mine[static_cast<std::size_t>(tally.writes++) % mine.size()];
            if (write(files, fields()[field], writer, ++seq)) {
                tally.last[field] = seq;
            } else {
                problem = "writing " + fields()[field].entry + " failed";
            }
        } else {
            const Lookup& lookup = lookups()[static_cast<std::size_t>(tally.lookups++ + writer) % lookups().size()];
            problem = lookup.check(reader);
            if (!problem.empty()) problem = std::string(lookup.name) + ": " + problem;
        }
        if (!problem.empty() && tally.failures.size() < 5) tally.failures.push_back(problem);
    }
}

// The report: "calls <writes> <lookups>", "last <field> <writer> <seq>" and
// "failure <text>" lines. True when nothing failed.
bool run_process(const Files& files, int p, std::string& report) {
    // The overrides are process-wide: set once, before any thread looks up.
    if (VOKSDKChangeRoot(files.root.c_str()) != 1 || VOKSDKChangeLogConfFile("logical.ini") != 1 ||
        VOKSDKChangePhyConfFile("physical.ini") != 1) {
        report = "failure overrides refused\n";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    std::vector<Tally> tallies(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(
            [&, t] { run_thread(files, writer_of(p, t), deadline, tallies[static_cast<std::size_t>(t)]); });
    }
    for (std::thread& thread : threads) thread.join();
    std::ostringstream out;
    bool ok = true;
    for (int t = 0; t < kThreads; ++t) {
        const Tally& tally = tallies[static_cast<std::size_t>(t)];
        out << "calls " << tally.writes << ' ' << tally.lookups << '\n';
        for (const auto& [field, seq] : tally.last) {
            out << "last " << field << ' ' << writer_of(p, t) << ' ' << seq << '\n';
        }
        for (const std::string& failure : tally.failures) out << "failure " << failure << '\n';
        ok = ok && tally.failures.empty();
    }
    report = out.str();
    return ok;
}

TEST(Soak, MixedCallsInProcessesAndThreadsKeepEveryFileWhole) {
    xq::test::TempDirectory dir;
    const Files files{dir.path().string()};
    const std::map<std::string, std::string> before = original_files();
    for (const auto& [name, text] : before) write_bytes(files.path(name), text);

    const auto start = std::chrono::steady_clock::now();
    const xq::test::ChildReports run = xq::test::in_processes_reporting(
        kProcesses, [&](int p, std::string& report) { return run_process(files, p, report); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    long writes = 0;
    long lookups_made = 0;
    std::map<std::size_t, std::map<int, int>> last;  // field: writer: last seq
    std::string failures;
    for (const std::string& report : run.reports) {
        std::istringstream in(report);
        for (std::string word; in >> word;) {
            if (word == "calls") {
                long w = 0, l = 0;
                in >> w >> l;
                writes += w;
                lookups_made += l;
            } else if (word == "last") {
                std::size_t field = 0;
                int writer = 0, seq = 0;
                in >> field >> writer >> seq;
                last[field][writer] = seq;
            } else {
                std::string rest;
                std::getline(in, rest);
                failures += rest + "\n";
            }
        }
    }
    EXPECT_TRUE(run.ok) << "a call failed or read a value nobody wrote:\n" << failures;
    std::printf("[   soak   ] %ld calls (%ld writes, %ld lookups) by %d threads in %d processes in %.1f s\n",
                writes + lookups_made, writes, lookups_made, kWriters, kProcesses, seconds);
    EXPECT_GE(writes + lookups_made, 1000) << "the run made hardly any calls";

    for (const auto& [name, text] : before) {
        const std::string after = read_bytes(files.path(name));
        EXPECT_EQ(masked(name, after), masked(name, text)) << name << ": a byte outside the values changed";
        // Every entry still reads as the file holds it.
        std::string section;
        for (const std::string& line : lines_of(after)) {
            if (line.starts_with("[")) section = line.substr(1, line.find(']') - 1);
            const std::size_t equals = line.find('=');
            if (line.starts_with(";") || equals == std::string::npos) continue;
            const std::string entry = line.substr(0, equals);
            EXPECT_EQ(named_string(files.path(name), section.c_str(), entry.c_str()),
                      trimmed(std::string_view(line).substr(equals + 1)))
                << name << " [" << section << "] " << entry;
        }
    }
    for (std::size_t k = 0; k < fields().size(); ++k) {
        const Field& f = fields()[k];
        const std::string final_text = part_of(f, read_bytes(files.path(f.file)));
        const std::optional<Stamp> stamp = f.stamp(final_text);
        ASSERT_TRUE(stamp.has_value()) << f.entry << " holds \"" << final_text << "\", which nobody wrote";
        const std::map<int, int>& written = last[k];
        if (stamp->writer == 0) {
            EXPECT_TRUE(written.empty()) << f.entry << " part " << f.part << " lost every write";
        } else {
            const auto it = written.find(stamp->writer);
            EXPECT_TRUE(it != written.end() && it->second == stamp->seq)
                << f.entry << " part " << f.part << " holds write " << stamp->seq << " of writer " << stamp->writer
                << ", not that writer's last";
        }
    }
    EXPECT_EQ(dir.names(), (std::set<std::string>{"logical.ini", "physical.ini", "table.ini"}))
        << "no temporary file left";
}

}  // namespace
