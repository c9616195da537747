// One reading of a named-entry file that answers for the entries of one
// section as reading each of them from the file would, so a conversion table
// of n rows costs one read and one pass over the section instead of n reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "convert/entry_source.h"
#include "platform/platform.h"

namespace xq::convert {

class SectionSnapshot final : public EntrySource {
public:
    // Reads `file` once (a file that cannot be opened reads as such for
    // every entry). `section` must outlive the snapshot.
    SectionSnapshot(const char* section, const char* file);
    // Over file contents already in memory, for tests and fuzzing.
    SectionSnapshot(const char* section, std::string_view contents);
    SectionSnapshot(const SectionSnapshot&) = delete;
    SectionSnapshot& operator=(const SectionSnapshot&) = delete;

    named::NamedValue read(const char* entry, std::span<char> buffer) const override;
    named::NamedValue read_row(std::int32_t k, std::span<char> buffer) const override;

private:
    struct Entry {
        std::string_view name;
        std::string_view value;  // trimmed, quotes kept, as the line holds it
    };
    struct Row {
        std::int32_t number;
        std::string_view value;
    };

    void index();
    std::optional<std::string_view> find(std::string_view name) const;
    std::optional<std::string_view> find_row(std::int32_t number) const;

    const char* section_;
    os::FileBytes bytes_;
    std::string_view contents_;
    bool opened_ = false;
    bool wide_ = false;         // UTF-16 file: each read goes through the reader
    std::vector<Entry> others_; // entries that are no row, in file order
    std::vector<Row> rows_;     // by number when rows_dense_, else sorted, first of each number
    bool rows_dense_ = true;    // rows_[k - 1] is row k
};

}  // namespace xq::convert
