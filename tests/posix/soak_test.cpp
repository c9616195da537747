// Soak: four processes of four threads each rewrite and read values of one
// shared file at once, through the in-place rewrites (whole value, number,
// one word of a value) and the line rewrite of RplNamedData. Each written
// value names its writer and sequence number and carries a check digit, so a
// torn value reads as nobody's. Reads may see only written values, never an
// older write of a writer than one seen before; afterwards each value is its
// last writer's last write (none lost, also where writers share one line) and
// no temporary file is left. Bounded in calls and in time. (Bytes outside the
// values: every value keeps its width, so no interleaving can move them; the
// rewrite tests hold them byte for byte.)
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "support/temp_dir.h"  // also strings and sets
#include "xq_utils.h"

namespace {

constexpr int kProcesses = 4;
constexpr int kThreads = 4;  // per process; thread t of process p is writer p * kThreads + t + 1
constexpr int kWriters = kProcesses * kThreads;
constexpr int kFields = 5 + kWriters;
constexpr long kCalls = 3000;  // per thread; one in three writes

enum class Via { string, number, word, data };

// part: the word or comma field; writers: bit w set where writer w writes it.
struct Field { std::string entry; Via via; int part; std::string original; unsigned writers; };

// Two words of one value, and two fields of one data value, each written by
// a different half of the writers: neither half may lose the other's writes.
// Masks of writers: odd or even numbers (threads 0, 2 or 1, 3 of each
// process), processes 0 and 2 or 1 and 3, all; then one value per writer.
std::vector<Field> make_fields() {
    std::vector<Field> out{{"Words", Via::word, 2, "0", 0xAAAAU}, {"Words", Via::word, 3, "0", 0x15554U},
                           {"Data", Via::data, 1, "00000000", 0x1E1EU}, {"Data", Via::data, 2, "00000000", 0x1E1E0U},
                           {"Count", Via::number, 0, "0", 0x1FFFEU}};
    for (int w = 1; w <= kWriters; ++w) out.push_back({"W" + std::to_string(w), Via::string, 0, "-", 1U << w});
    return out;
}
const std::vector<Field> kFieldList = make_fields();

// Write `seq` of `writer`: the two, then a check digit.
long long value_of(int writer, int seq) { return (writer * 100000LL + seq) * 10 + (writer * 100000LL + seq) % 7; }

// {writer, seq} of a value of the field, {0, 0} for the original, nullopt for
// a value nobody wrote.
std::optional<std::pair<int, int>> stamp(const Field& f, const std::string& text) {
    if (text == f.original) return std::pair{0, 0};
    if (text.empty() || text.size() > 8 || text.find_first_not_of("0123456789") != std::string::npos) return {};
    const long long value = std::stoll(text);
    const auto writer = static_cast<int>(value / 1000000), seq = static_cast<int>(value / 10 % 100000);
    if (value != value_of(writer, seq) || writer < 1 || writer > kWriters || (f.writers >> writer & 1U) == 0 || seq < 1)
        return {};
    return std::pair{writer, seq};
}

// Writes value `n` into the field, or with none reads it: the text read,
// "<failed>" for a call that failed, "" for a write made.
std::string call(const std::string& path, const Field& f, std::optional<long long> n = {}) {
    char text[64] = {};
    if (n) std::snprintf(text, sizeof text, f.via == Via::data ? "%08lld" : "%lld", *n);  // data: one width, one line length
    const char *e = f.entry.c_str(), *file = path.c_str();
    int32_t flag = 0;
    StatusRecord status{};
    const bool ok = n ? f.via == Via::string ? RplNamedString("S", e, text, file) == 1
                        : f.via == Via::number ? RplNamedInt("S", e, static_cast<int32_t>(*n), file) == 1
                        : f.via == Via::word ? RplNamedSubstringString("S", e, f.part, text, file) == 1
                        : RplNamedData("S", e, f.part, text, file, 0, &flag, &status) == 1 && flag == 0
                      : f.via == Via::string ? GetNamedString("S", e, text, sizeof text, file) != 0
                      : f.via == Via::number ? std::snprintf(text, sizeof text, "%d", GetNamedInt("S", e, file)) > 0
                      : f.via == Via::word ? GetNamedSubstringString("S", e, f.part, text, sizeof text, file) != 0
                      : GetNamedData("S", e, f.part, text, sizeof text, file, 0, &flag, &status) == 1;
    return !ok ? "<failed>" : n ? "" : text;
}

// What the threads of all processes report, in memory shared with the parent.
struct Shared {
    int last[kWriters + 1][kFields];  // each writer's last sequence number in each field
    char failure[kWriters + 1][160];
};

void run_thread(const std::string& path, int writer, Shared& shared, std::chrono::steady_clock::time_point deadline) {
    int highest[kFields][kWriters + 1] = {};
    std::string problem;
    std::size_t next_write = 0, next_read = static_cast<std::size_t>(writer);
    for (long calls = 0, seq = 1; calls < kCalls && problem.empty() && std::chrono::steady_clock::now() < deadline;
         ++calls) {
        if (calls % 3 == 0) {
            std::size_t k = next_write++ % kFields;
            while ((kFieldList[k].writers >> writer & 1U) == 0) k = next_write++ % kFields;
            if (call(path, kFieldList[k], value_of(writer, static_cast<int>(seq))).empty())
                shared.last[writer][k] = static_cast<int>(seq++);
            else problem = "writing " + kFieldList[k].entry + " failed";
            continue;
        }
        const std::size_t k = next_read++ % kFields;
        const std::string seen = call(path, kFieldList[k]);
        const auto s = stamp(kFieldList[k], seen);
        if (!s) problem = kFieldList[k].entry + " read \"" + seen + "\"";
        else if (s->second < highest[k][s->first]) problem = kFieldList[k].entry + " went back to an older write";
        else highest[k][s->first] = s->second;
    }
    std::snprintf(shared.failure[writer], sizeof shared.failure[writer], "%s", problem.c_str());
}

TEST(Soak, ProcessesAndThreadsLoseOrTearNoValue) {
    xq::test::TempDirectory dir;
    std::string original = "; soak\r\n[S]\r\nWords=Drive          0          0\r\n"
                           "Data=00000000,00000000,end\r\nCount=          0\r\n";
    for (int w = 1; w <= kWriters; ++w) original += "W" + std::to_string(w) + "=         -\r\n";
    const std::string path = dir.write("soak.ini", original);
    // Anonymous shared memory starts zeroed: no writes, no failures.
    void* memory = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    Shared& shared = *static_cast<Shared*>(memory);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(::fork());
        ASSERT_GE(children.back(), 0);
        if (children.back() > 0) continue;
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back(run_thread, std::cref(path), p * kThreads + t + 1, std::ref(shared), deadline);
        for (std::thread& thread : threads) thread.join();
        ::_exit(0);
    }
    for (int status = 0; const pid_t pid : children)
        EXPECT_TRUE(::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int w = 1; w <= kWriters; ++w) EXPECT_STREQ(shared.failure[w], "") << "writer " << w;
    // Every field was written in the run, and holds the last write of its last writer.
    for (std::size_t k = 0; k < kFields; ++k) {
        const auto s = stamp(kFieldList[k], call(path, kFieldList[k]));
        ASSERT_TRUE(s && s->first != 0) << kFieldList[k].entry << " part " << kFieldList[k].part << ": no write";
        EXPECT_EQ(s->second, shared.last[s->first][k]) << kFieldList[k].entry << " part " << kFieldList[k].part;
    }
    EXPECT_EQ(dir.names(), std::set<std::string>{"soak.ini"}) << "no temporary file left";
    ::munmap(memory, sizeof(Shared));
}

}  // namespace
