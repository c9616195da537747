// GetNamedStringIndirect: follows a reference of a section name and an entry
// name, optionally into a second file.
#include "named/named_indirect.h"

#include <cstring>
#include <span>

#include "frame/guard.h"
#include "named/named_value.h"
#include "named/words.h"
#include "xq_utils.h"

namespace xq::named {

std::optional<Reference> parse_reference(std::string_view value, std::uint32_t section_capacity,
                                         std::uint32_t entry_capacity) {
    const auto section = word_at(value, 1);
    const auto entry = word_at(value, 2);
    if (!section || !entry) return std::nullopt;
    if (!fits_reference_buffer(section->text, section_capacity) || !fits_reference_buffer(entry->text, entry_capacity))
        return std::nullopt;
    return Reference{section->text, entry->text};
}

}  // namespace xq::named

using namespace xq::named;

namespace {

// Copies `word` and a terminator to `out` (the caller made sure it fits).
void put_word(char* out, std::string_view word) {
    std::memcpy(out, word.data(), word.size());
    out[word.size()] = '\0';
}

// `piece`, a piece of the text held in `buffer`, as a terminated text: the
// byte after it (a separator or the text's own terminator) becomes a terminator.
const char* terminate_in_place(std::span<char> buffer, std::string_view piece) {
    const auto start = static_cast<std::size_t>(piece.data() - buffer.data());
    buffer[start + piece.size()] = '\0';
    return buffer.data() + start;
}

}  // namespace

extern "C" int32_t XQ_CALL GetNamedStringIndirect(const char* section, const char* entry, const char* file,
                                                  const char* secondFile, char* sectionBuffer,
                                                  uint32_t sectionCapacity, char* entryBuffer,
                                                  uint32_t entryCapacity) {
    return xq::guarded<int32_t>(0, [&]() -> int32_t {
        if (sectionBuffer == nullptr || entryBuffer == nullptr) return 0;
        ValueBuffer256 first{};
        const NamedValue reference = read_named_value(section, entry, first, file);
        if (reference.status != ValueStatus::found) return 0;
        const auto words = parse_reference(reference.text, sectionCapacity, entryCapacity);
        if (!words) return 0;
        put_word(sectionBuffer, words->section);
        put_word(entryBuffer, words->entry);
        if (secondFile == nullptr) return 1;

        // The two words become the names of the second lookup, terminated
        // inside the working buffer (so overlapping caller buffers are harmless).
        const char* second_section = terminate_in_place(first, words->section);
        const char* second_entry = terminate_in_place(first, words->entry);
        ValueBuffer256 second{};
        const NamedValue target = read_named_value(second_section, second_entry, second, secondFile);
        if (target.status != ValueStatus::found) return 0;
        const auto word = word_at(target.text, 1);
        if (!word || !fits_reference_buffer(word->text, entryCapacity)) return 0;
        put_word(entryBuffer, word->text);
        return 1;
    });
}
