// Our profile reader side by side with the system's GetPrivateProfileStringA,
// on the reference vectors and on a few hundred generated files.
//
// The system here is Wine's kernel32. Where Wine is known to read files
// differently from Windows, our reader must give the Windows answer and
// Wine's answer is only counted as a known difference; everywhere else the
// two must agree byte for byte: the result and the buffer up to the result's
// terminator.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile.h"
#include "support/buffer.h"
#include "support/profile_vectors.h"
#include "support/temp_dir.h"

namespace {

using xq::test::GuardedBuffer;
using xq::test::ProfileVector;
using xq::test::Wine;
using xq::test::TempDirectory;

constexpr std::uint32_t kMax = xq::test::kProfileMax;

// One call's outcome: the result and every byte of the capacity.
struct Outcome {
    std::uint32_t result = 0;
    std::string bytes;
    bool guards_intact = true;
};

struct Query {
    const char* section;
    const char* entry;
    const char* fallback;
    std::uint32_t capacity;
};

Outcome ours(const std::string& path, const Query& q) {
    GuardedBuffer buffer(q.capacity);
    const std::uint32_t result =
        xq::profile::read_string(q.section, q.entry, q.fallback, buffer.data(), q.capacity, path.c_str());
    return {result, buffer.raw(), buffer.guards_intact()};
}

Outcome system(const std::string& path, const Query& q) {
    GuardedBuffer buffer(q.capacity);
    const DWORD result = GetPrivateProfileStringA(q.section, q.entry, q.fallback, buffer.data(), q.capacity,
                                                  path.c_str());
    return {static_cast<std::uint32_t>(result), buffer.raw(), buffer.guards_intact()};
}

// Same result, same bytes up to and including the result's terminator.
bool agree(const Outcome& a, const Outcome& b, std::uint32_t capacity) {
    if (a.result != b.result) return false;
    const std::size_t n = std::min<std::size_t>(capacity, std::size_t{a.result} + 1);
    return a.bytes.compare(0, n, b.bytes, 0, n) == 0;
}

// Printable form of a buffer prefix, for failure messages.
std::string show(const Outcome& o, std::size_t n) {
    std::string out = std::to_string(o.result) + " \"";
    for (const char c : o.bytes.substr(0, std::min(n, o.bytes.size()))) {
        if (c == '\0') {
            out += "\\0";
        } else if (c == GuardedBuffer::kFill) {
            out += "~";
        } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// ---- Reference vectors -------------------------------------------------------

// Counts the known differences by kind and prints them at the end.
class KnownDifferences {
public:
    void add(const std::string& kind) { ++counts_[kind]; }
    int total() const {
        int n = 0;
        for (const auto& [kind, count] : counts_) n += count;
        return n;
    }
    void print(const char* title) const {
        std::printf("[ KNOWN    ] %s: %d differences where Wine reads unlike Windows\n", title, total());
        for (const auto& [kind, count] : counts_) std::printf("[ KNOWN    ]   %5d  %s\n", count, kind.c_str());
    }

private:
    std::map<std::string, int> counts_;
};

TEST(ProfileDifferential, ReferenceVectors) {
    TempDirectory dir;
    KnownDifferences known;
    int index = 0;
    for (const ProfileVector& v : xq::test::profile_vectors()) {
        SCOPED_TRACE(v.label);
        const std::string name = "v" + std::to_string(++index) + ".ini";
        if (v.file) dir.write(name, *v.file);
        const Query query{v.section, v.entry, v.fallback, v.capacity};
        GuardedBuffer buffer(v.capacity);
        expect_vector(v, xq::profile::read_string(v.section, v.entry, v.fallback, buffer.data(), v.capacity,
                                                  dir.file(name).c_str()),
                      buffer);
        if (v.wine == Wine::unchecked) continue;
        const Outcome wine = system(dir.file(name), query);
        if (wine.result == v.result && wine.bytes.compare(0, v.written.size(), v.written) == 0) continue;
        if (v.wine == Wine::differs) {
            known.add(v.label);
        } else {
            ADD_FAILURE() << "Wine: " << show(wine, v.written.size() + 1);
        }
    }
    known.print("reference vectors");
}

// A file name without a directory is looked up in the Windows directory; a
// file of that name in the current directory is not read.
TEST(ProfileDifferential, BareNameIgnoresTheCurrentDirectory) {
    TempDirectory dir;
    char previous[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    const char* name = "xq_differential_bare.ini";
    dir.write(name, "[section1]\r\nname1=val1\r\n");
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().string().c_str()));
    const Query q{"section1", "name1", "default", kMax};
    const Outcome mine = ours(name, q);
    const Outcome wine = system(name, q);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(show(mine, 8), "7 \"default\\0\"");
    EXPECT_EQ(show(wine, 8), "7 \"default\\0\"");
}

// ---- Generated files ---------------------------------------------------------

// A small deterministic generator (64-bit LCG, high bits), the same on every
// platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t n) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>((state_ >> 33) % n);
    }
    bool chance(std::uint32_t percent) { return below(100) < percent; }
    template <class T, std::size_t N>
    const T& pick(const std::array<T, N>& from) {
        return from[below(static_cast<std::uint32_t>(N))];
    }

private:
    std::uint64_t state_;
};

// Constructs in a generated file for which Wine is known to read unlike
// Windows.
struct FileTraits {
    bool utf8_mark = false;
    bool header_two_brackets = false;  // "]" more than once after "["
    bool header_unclosed = false;
    bool comment_with_equals = false;
    bool entries_before_header = false;
    bool empty_entry_name = false;
    bool quoted_value = false;
    // Windows is not established here: Wine trims a value before a NUL cuts
    // it, and keeps the blanks before the NUL; our reader cuts, then trims.
    bool blank_before_nul = false;
};

struct GeneratedFile {
    std::string bytes;
    FileTraits traits;
    std::vector<std::string> sections;  // names written into headers
    std::vector<std::string> entries;   // names written into entry lines
};

constexpr std::array<const char*, 8> kSectionNames = {"s", "sec", "Alpha", "my section", "Data1", "x", "#h", "t"};
constexpr std::array<const char*, 8> kEntryNames = {"k", "key", "Name1", "my key", "v2", "#c", "a", "Key"};
constexpr std::array<const char*, 12> kValues = {"1",     "val",    "two words", "a=b",  "x;y", "#z",
                                                 "[q]",   "C:\\dir", "",          "0x1F", "-5",  "end "};
constexpr std::array<const char*, 4> kBlanks = {"", " ", "\t", "  \v"};

std::string flip_case(Random& rng, std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (rng.chance(50)) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string quoted(Random& rng, std::string_view value, FileTraits& traits) {
    switch (rng.below(8)) {
        case 0: traits.quoted_value = true; return "\"" + std::string(value) + "\"";
        case 1: traits.quoted_value = true; return "'" + std::string(value) + "'";
        case 2: return "\"" + std::string(value) + "'";
        case 3: return "\"" + std::string(value);
        default: return std::string(value);
    }
}

std::string header_line(Random& rng, GeneratedFile& f) {
    const std::string name = rng.pick(kSectionNames);
    f.sections.push_back(name);
    std::string line = std::string(rng.pick(kBlanks)) + "[" + rng.pick(kBlanks) + name + rng.pick(kBlanks);
    switch (rng.below(40)) {
        case 0: f.traits.header_unclosed = true; return line;
        case 1: f.traits.header_two_brackets = true; return line + "]x]";
        case 2: case 3: case 4: return line + "] junk";
        default: return line + "]" + rng.pick(kBlanks);
    }
}

std::string entry_line(Random& rng, GeneratedFile& f) {
    std::string name = rng.chance(3) ? "" : rng.pick(kEntryNames);
    if (name.empty()) f.traits.empty_entry_name = true;
    f.entries.push_back(name);
    std::string value = quoted(rng, rng.pick(kValues), f.traits);
    if (rng.chance(2)) {
        const std::size_t at = value.size() / 2;
        f.traits.blank_before_nul |= at > 0 && (value[at - 1] == ' ' || value[at - 1] == '\t');
        value.insert(at, 1, '\0');
    }
    return std::string(rng.pick(kBlanks)) + name + rng.pick(kBlanks) + "=" + rng.pick(kBlanks) + value +
           rng.pick(kBlanks);
}

std::string any_line(Random& rng, GeneratedFile& f) {
    const std::uint32_t kind = rng.below(20);
    if (kind < 4) return header_line(rng, f);
    if (kind < 13) return entry_line(rng, f);
    if (kind < 15) {
        const bool equals = rng.chance(10);
        f.traits.comment_with_equals |= equals;
        return std::string(rng.pick(kBlanks)) + ";" + (equals ? "k=1" : "note");
    }
    if (kind < 17) return rng.pick(kBlanks);
    return "plain text line";
}

GeneratedFile generate_file(Random& rng) {
    GeneratedFile f;
    std::vector<std::string> lines;
    if (rng.chance(25)) {
        f.traits.entries_before_header = true;
        lines.push_back(entry_line(rng, f));
    }
    lines.push_back(header_line(rng, f));
    const std::uint32_t count = 2 + rng.below(14);
    for (std::uint32_t i = 0; i < count; ++i) lines.push_back(any_line(rng, f));

    constexpr std::array<const char*, 3> kBreaks = {"\r\n", "\n", "\r"};
    const std::uint32_t style = rng.below(4);  // one kind of break, or mixed
    for (std::size_t i = 0; i < lines.size(); ++i) {
        f.bytes += lines[i];
        const bool last = i + 1 == lines.size();
        if (!last || rng.chance(70)) f.bytes += kBreaks[style < 3 ? style : rng.below(3)];
    }
    if (rng.chance(4)) {
        f.traits.utf8_mark = true;
        f.bytes.insert(0, "\xEF\xBB\xBF");
    } else if (rng.chance(5) && f.bytes.find('\0') == std::string::npos) {
        f.bytes = xq::test::utf16_bytes(std::u16string(f.bytes.begin(), f.bytes.end()));
    }
    return f;
}

struct GeneratedQuery {
    std::string section;
    std::string entry;
    bool section_null = false;
    bool entry_null = false;
    const char* fallback = nullptr;
};

GeneratedQuery generate_query(Random& rng, const GeneratedFile& f) {
    GeneratedQuery q;
    const std::uint32_t s = rng.below(20);
    if (s < 2) {
        q.section_null = true;
    } else if (s < 14) {
        q.section = flip_case(rng, f.sections[rng.below(static_cast<std::uint32_t>(f.sections.size()))]);
    } else if (s < 16) {
        q.section = "nosuch";
    } else if (s < 17) {
        q.section = "";
    } else if (s < 19) {
        q.section = " " + f.sections.front() + "  ";
    } else {
        q.section = std::string(rng.pick(kBlanks)) + f.sections.front() + rng.pick(kBlanks);
    }
    const std::uint32_t e = rng.below(20);
    if (e < 4 || f.entries.empty()) {
        q.entry_null = true;
    } else if (e < 15) {
        q.entry = flip_case(rng, f.entries[rng.below(static_cast<std::uint32_t>(f.entries.size()))]);
    } else if (e < 17) {
        q.entry = "missing";
    } else if (e < 18) {
        q.entry = ";k";
    } else if (e < 19) {
        q.entry = "  " + f.entries.front() + " ";
    } else {
        q.entry = std::string(rng.pick(kBlanks)) + f.entries.front() + rng.pick(kBlanks);
    }
    constexpr std::array<const char*, 12> kDefaults = {nullptr, nullptr, "", "",     "dflt", "dflt",
                                                       "d  ",   "  d ",  "x", "\"q\"", "'q'",  "long default"};
    q.fallback = rng.pick(kDefaults);
    return q;
}

bool has_other_blank_at_ends(std::string_view text) {
    const auto other = [](char c) { return c == '\t' || c == '\v' || c == '\r' || c == '\n'; };
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return b < e && (other(text[b]) || other(text[e - 1]));
}

std::string_view trimmed_spaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Whether `o` is the default copied as a value, its trailing spaces kept.
bool delivered_default(const Outcome& o, const Query& q) {
    const std::string_view fallback = q.fallback != nullptr ? q.fallback : "";
    if (q.capacity == 0) return false;
    const std::size_t n = std::min<std::size_t>(fallback.size(), q.capacity - 1);
    return o.result == n && o.bytes.compare(0, n, fallback.substr(0, n)) == 0 && o.bytes[n] == '\0';
}

// Why Wine may read this case unlike Windows, or nothing when it must not.
std::optional<std::string> known_difference(const FileTraits& t, const GeneratedQuery& g, const Query& q,
                                            const Outcome& wine) {
    const bool entry_list = !g.section_null && g.entry_null;
    if (t.utf8_mark) return "UTF-8 byte-order mark";
    if (t.header_two_brackets) return "\"]\" twice in a header";
    if (t.header_unclosed) return "\"[\" without \"]\"";
    if (t.comment_with_equals) return "comment line with \"=\"";
    if (t.blank_before_nul) return "blank before a NUL in a value (Windows not established)";
    if (t.entries_before_header && !g.section_null && trimmed_spaces(g.section).empty())
        return "entries before the first section";
    if ((!g.section_null && has_other_blank_at_ends(g.section)) || (!g.entry_null && has_other_blank_at_ends(g.entry)))
        return "tabs in arguments";
    if (entry_list && q.capacity == 2) return "entry list with capacity 2";
    if (entry_list && t.empty_entry_name) return "empty entry name in a list";
    if (!g.section_null && !g.entry_null && t.quoted_value && q.capacity < kMax) return "quoted value cut";
    if (q.fallback != nullptr && (q.fallback[0] == '"' || q.fallback[0] == '\'')) return "quoted default";
    if (entry_list && delivered_default(wine, q)) return "default in place of an empty entry list";
    if (g.section_null && q.capacity >= 2 && wine.result == q.capacity - 2) return "section list cut";
    return std::nullopt;
}

// Checks that hold for our reader whatever Wine does: nothing written outside
// the capacity, results terminated, lists ending in two terminators.
void expect_well_formed(const Outcome& mine, const Query& q, bool list) {
    EXPECT_TRUE(mine.guards_intact);
    if (q.capacity == 0) {
        EXPECT_EQ(mine.result, 0u);
        return;
    }
    ASSERT_LT(mine.result, q.capacity);
    EXPECT_EQ(mine.bytes[mine.result], '\0');
    // A list ends in two terminators: its last name's and one more, or two
    // after a name cut short.
    if (list && mine.result > 0) {
        const bool complete = mine.bytes[mine.result - 1] == '\0';
        const bool cut = mine.result + 1 < q.capacity && mine.bytes[mine.result + 1] == '\0';
        EXPECT_TRUE(complete || cut) << show(mine, q.capacity);
    }
}

TEST(ProfileDifferential, GeneratedFiles) {
    constexpr int kFiles = 240;
    constexpr std::array<std::uint32_t, 7> kCapacities = {0, 1, 2, 3, 5, 16, kMax};
    TempDirectory dir;
    Random rng(0x5eed0f11e5ull);
    KnownDifferences known;
    int compared = 0;
    int failures = 0;
    for (int file_no = 0; file_no < kFiles && failures < 20; ++file_no) {
        const GeneratedFile f = generate_file(rng);
        const std::string path = dir.write("g" + std::to_string(file_no) + ".ini", f.bytes);
        for (int query_no = 0; query_no < 6; ++query_no) {
            const GeneratedQuery g = generate_query(rng, f);
            for (const std::uint32_t capacity : kCapacities) {
                const Query q{g.section_null ? nullptr : g.section.c_str(), g.entry_null ? nullptr : g.entry.c_str(),
                              g.fallback, capacity};
                const Outcome mine = ours(path, q);
                const Outcome wine = system(path, q);
                expect_well_formed(mine, q, q.entry == nullptr);
                GuardedBuffer direct(capacity);
                EXPECT_EQ(xq::profile::get_string(f.bytes, q.section, q.entry, q.fallback, direct.data(), capacity),
                          mine.result);
                EXPECT_EQ(direct.raw(), mine.bytes) << "the file and its bytes read alike";
                ++compared;
                if (agree(mine, wine, capacity)) continue;
                if (const auto why = known_difference(f.traits, g, q, wine)) {
                    known.add(*why);
                    continue;
                }
                ++failures;
                ADD_FAILURE() << "file g" << file_no << ".ini, section "
                              << (q.section ? "\"" + g.section + "\"" : "NULL") << ", entry "
                              << (q.entry ? "\"" + g.entry + "\"" : "NULL") << ", default "
                              << (q.fallback ? "\"" + std::string(q.fallback) + "\"" : "NULL") << ", capacity "
                              << capacity << "\n  ours: " << show(mine, capacity) << "\n  Wine: " << show(wine, capacity)
                              << "\n  file: " << show(Outcome{0, f.bytes, true}, f.bytes.size());
            }
        }
    }
    std::printf("[ COMPARED ] %d reads of %d generated files\n", compared, kFiles);
    known.print("generated files");
}

}  // namespace
