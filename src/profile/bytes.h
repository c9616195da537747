// The reader's and writer's dealings with bytes: the file's encoding, name
// arguments as they are matched, and results delivered into caller buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The two encodings of profile files: 8-bit text, or UTF-16LE text after the
// byte-order mark FF FE. No other mark is recognised: a UTF-8 mark is read as
// three ordinary characters.
namespace xq::profile {

inline constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// True when the file text starts with the UTF-16LE byte-order mark.
bool is_utf16(std::string_view bytes);

// UTF-16LE bytes (mark removed) as code units; an odd last byte becomes a
// unit of its own.
std::u16string decode_utf16(std::string_view bytes);

// Code units as UTF-16LE bytes, without a mark.
std::string encode_utf16(std::u16string_view text);

}  // namespace xq::profile

// Name arguments of the reader and writer, as they are matched.
namespace xq::profile {

// A name argument trimmed of spaces (0x20 only); nullopt for a null pointer.
std::optional<std::string_view> argument(const char* text);

// An argument in UTF-16, for matching in a UTF-16 file.
std::optional<std::u16string> widen(std::optional<std::string_view> text);

}  // namespace xq::profile

// Delivering results into the caller's buffer: a value cut to the capacity,
// or a list of names each ended by NUL, the list ended by one more NUL.
namespace xq::profile {

// Copies at most out.size() - 1 characters of `text` and a NUL; returns the
// number copied. An empty `out` receives nothing.
std::uint32_t deliver_value(std::string_view text, std::span<char> out);

// Builds a list of names in `out`. When the list and its final NUL do not
// fit, the first out.size() - 2 characters are kept and two NULs follow.
class ListWriter {
public:
    explicit ListWriter(std::span<char> out) : out_(out) {}

    // Appends `name` and its NUL (as far as they fit).
    void add(std::string_view name);

    // Ends the list; returns the characters delivered, final NUL not counted.
    std::uint32_t finish();

private:
    void put(std::string_view bytes);

    std::span<char> out_;
    std::size_t total_ = 0;  // length of the whole list, fitting or not
};

}  // namespace xq::profile
