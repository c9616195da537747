// GetNamedStringIndirect over fuzzed files, against GetNamedString and a
// plain word split done here: the result is 1 exactly when the reference's
// two words (and, with a second file, the first word of the entry they name
// there) exist and fit their buffers with one byte to spare; a failed first
// step writes nothing, a failed second step keeps the first pair of words;
// nothing is written past a delivered word's terminator or outside a buffer.
// Input: section and entry names first, the capacities and the second-file
// mode in the last bytes, the rest the file; a form feed splits off the
// second file's contents.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_files.h"
#include "xq_utils.h"

namespace {

using xq::fuzz::check;

constexpr std::size_t kGuard = 16;
constexpr char kFill = '\x5A';

std::string c_text(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// Word n (from 1) of a value: runs of characters other than blank, tab, CR, LF.
std::optional<std::string> word(std::string_view value, int n) {
    constexpr std::string_view kBlanks = " \t\r\n";
    std::size_t at = 0;
    for (int k = 1;; ++k) {
        at = value.find_first_not_of(kBlanks, at);
        if (at == std::string_view::npos) return std::nullopt;
        const std::size_t end = std::min(value.find_first_of(kBlanks, at), value.size());
        if (k == n) return std::string(value.substr(at, end - at));
        at = end;
    }
}

// The value GetNamedString delivers with the working capacity of 256.
std::optional<std::string> named_value(const std::string& section, const std::string& entry, const char* file) {
    std::array<char, 256> buffer{};
    if (GetNamedString(section.c_str(), entry.c_str(), buffer.data(), buffer.size(), file) == nullptr)
        return std::nullopt;
    return std::string(buffer.data());
}

bool fits(const std::string& w, std::uint32_t capacity) { return w.size() + 1 < capacity; }

// A caller's buffer between guard bytes.
class Buffer {
public:
    explicit Buffer(std::uint32_t capacity) : bytes_(capacity + 2 * kGuard, kFill), capacity_(capacity) {}
    char* data() { return bytes_.data() + kGuard; }

    // Holds `text` terminated, and nothing past the longest text ever put
    // there (`written` characters) was touched.
    void holds(const std::string& text, std::size_t written) const {
        const char* out = bytes_.data() + kGuard;
        check(text.size() < capacity_ && std::string_view(out, text.size()) == text && out[text.size()] == '\0');
        for (std::size_t i = written + 1; i < capacity_; ++i) check(out[i] == kFill);
        untouched_guards();
    }
    void untouched() const {
        for (const char c : bytes_) check(c == kFill);
    }

private:
    void untouched_guards() const {
        for (std::size_t i = 0; i < kGuard; ++i) check(bytes_[i] == kFill && bytes_[bytes_.size() - 1 - i] == kFill);
    }
    std::vector<char> bytes_;
    std::uint32_t capacity_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = c_text(in.ConsumeRandomLengthString(40));
    const std::string entry = c_text(in.ConsumeRandomLengthString(40));
    const auto section_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    const auto entry_capacity = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    enum Mode { none, same, other, missing };
    const auto mode = static_cast<Mode>(in.ConsumeIntegralInRange<int>(0, 3));
    const std::string contents = in.ConsumeRemainingBytesAsString();

    static const xq::fuzz::Scratch scratch;
    static const std::string first = scratch.file("first.ini");
    static const std::string second = scratch.file("second.ini");
    static const std::string absent = scratch.file("absent.ini");
    const std::size_t split = contents.find('\f');
    xq::fuzz::put_file(first, std::string_view(contents).substr(0, split));
    xq::fuzz::put_file(second, split == std::string::npos ? "" : std::string_view(contents).substr(split + 1));
    const char* second_file = mode == none ? nullptr : mode == same ? first.c_str() : mode == other ? second.c_str()
                                                                                                    : absent.c_str();

    Buffer section_out(section_capacity);
    Buffer entry_out(entry_capacity);
    const std::int32_t result = GetNamedStringIndirect(section.c_str(), entry.c_str(), first.c_str(), second_file,
                                                       section_out.data(), section_capacity, entry_out.data(),
                                                       entry_capacity);
    check(result == 0 || result == 1);

    const auto value = named_value(section, entry, first.c_str());
    const auto w1 = value ? word(*value, 1) : std::nullopt;
    const auto w2 = value ? word(*value, 2) : std::nullopt;
    if (!w1 || !w2 || !fits(*w1, section_capacity) || !fits(*w2, entry_capacity)) {
        check(result == 0);
        section_out.untouched();
        entry_out.untouched();
        return 0;
    }
    section_out.holds(*w1, w1->size());
    if (second_file == nullptr) {
        check(result == 1);
        entry_out.holds(*w2, w2->size());
        return 0;
    }
    const auto target = named_value(*w1, *w2, second_file);
    const auto w3 = target ? word(*target, 1) : std::nullopt;
    if (!w3 || !fits(*w3, entry_capacity)) {
        check(result == 0);
        entry_out.holds(*w2, w2->size());
        return 0;
    }
    check(result == 1);
    entry_out.holds(*w3, std::max(w2->size(), w3->size()));
    // Without the second file the same call stops at the pair of words.
    Buffer pair_section(section_capacity);
    Buffer pair_entry(entry_capacity);
    check(GetNamedStringIndirect(section.c_str(), entry.c_str(), first.c_str(), nullptr, pair_section.data(),
                                 section_capacity, pair_entry.data(), entry_capacity) == 1);
    pair_entry.holds(*w2, w2->size());
    return 0;
}
