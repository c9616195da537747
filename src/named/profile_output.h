// Delivering results into the caller's buffer: a value cut to the capacity,
// or a list of names each ended by NUL, the list ended by one more NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

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
