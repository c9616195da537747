// Token streams from arbitrary bytes. Two streams over the same text, driven
// in turns with delimiter sets switched at random, must each deliver exactly
// the tokens of a simple model (skip a run of delimiters, take a run of other
// characters, consume the run of delimiters after it); once a stream has
// ended it stays ended; tokens handed out earlier stay intact until the
// stream is closed; the caller's text is never changed.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_files.h"
#include "xq_utils.h"

namespace {

using xq::fuzz::check;

// The text up to its first NUL, as the exports see it.
std::string c_text(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// The expected tokens of one stream, by offsets into the text.
class Model {
public:
    Model(std::string_view text, std::string_view delimiters) : text_(text), set_(delimiters) {}

    // The next token; empty once the stream has ended.
    std::string_view next(const std::string* delimiters) {
        if (delimiters != nullptr) set_ = *delimiters;
        if (ended_) return {};
        while (at_ < text_.size() && is_delimiter(text_[at_])) ++at_;
        if (at_ == text_.size()) {
            ended_ = true;
            return {};
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && !is_delimiter(text_[at_])) ++at_;
        const std::string_view token = text_.substr(start, at_ - start);
        while (at_ < text_.size() && is_delimiter(text_[at_])) ++at_;
        return token;
    }

private:
    bool is_delimiter(char c) const { return set_.substr(0, set_.find('\0')).find(c) != std::string_view::npos; }

    std::string_view text_;
    std::string_view set_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

struct Stream {
    TokenStream* handle;
    Model model;
    std::vector<std::pair<const char*, std::string>> handed_out;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::array<std::string, 4> sets;
    for (std::string& set : sets) set = in.ConsumeRandomLengthString(8);
    const std::string raw = in.ConsumeRandomLengthString(512);
    const std::string text = c_text(raw);
    const std::string original = raw;

    std::array<Stream, 2> streams{{{CreateStrTokEx(raw.c_str(), sets[0].c_str()), Model(text, sets[0]), {}},
                                   {CreateStrTokEx(raw.c_str(), sets[1].c_str()), Model(text, sets[1]), {}}}};
    for (const Stream& s : streams) check(s.handle != nullptr);
    for (int call = 0; call < 96 && in.remaining_bytes() > 0; ++call) {
        Stream& s = streams[in.ConsumeBool() ? 1 : 0];
        const std::size_t pick = in.ConsumeIntegralInRange<std::size_t>(0, sets.size());
        const std::string* delimiters = pick < sets.size() ? &sets[pick] : nullptr;
        const char* token = GetStrTokEx(s.handle, delimiters != nullptr ? delimiters->c_str() : nullptr);
        const std::string_view expected = s.model.next(delimiters);
        if (expected.empty()) {
            check(token == nullptr);
            continue;
        }
        check(token != nullptr && std::string_view(token) == expected);
        s.handed_out.emplace_back(token, expected);
    }
    for (Stream& s : streams) {
        for (const auto& [token, expected] : s.handed_out) check(std::string_view(token) == expected);
        check(CloseStrTokEx(s.handle) == 1);
    }
    check(raw == original);
    check(GetStrTokEx(nullptr, sets[0].c_str()) == nullptr && CloseStrTokEx(nullptr) == 0);
    return 0;
}
