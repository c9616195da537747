#include "args.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "command.h"

namespace xqutil {
namespace {

constexpr std::array<OptionSpec, 7> kCommonOptions = {{
    {kHelp, Takes::nothing},
    {kJson, Takes::nothing},
    {kRoot, Takes::value},
    {kLang, Takes::value},
    {kLogConf, Takes::value},
    {kPhyConf, Takes::value},
    {kRaw, Takes::nothing},
}};

const OptionSpec* find_option(std::string_view name, std::span<const OptionSpec> options) {
    for (const auto set : {options, std::span<const OptionSpec>(kCommonOptions)}) {
        const auto found = std::find_if(set.begin(), set.end(), [&](const OptionSpec& o) { return o.name == name; });
        if (found != set.end()) return &*found;
    }
    return nullptr;
}

// "-" alone and negative numbers are arguments, not options.
bool is_option(std::string_view word) {
    if (word.size() < 2 || word[0] != '-') return false;
    return !(word[1] >= '0' && word[1] <= '9');
}

}  // namespace

bool Arguments::has(std::string_view option) const {
    return std::any_of(options_.begin(), options_.end(), [&](const auto& o) { return o.first == option; });
}

std::optional<std::string> Arguments::value(std::string_view option) const {
    for (const auto& [name, value] : options_) {
        if (name == option) return value;
    }
    return std::nullopt;
}

std::optional<std::int32_t> Arguments::number(std::string_view option, std::int32_t minimum,
                                              std::int32_t maximum) const {
    const std::optional<std::string> text = value(option);
    if (!text) return std::nullopt;
    return parse_number(*text, option, minimum, maximum);
}

void Arguments::add(std::string name, std::optional<std::string> value) {
    if (has(name)) usage_error(name + " is given twice");
    options_.emplace_back(std::move(name), std::move(value));
}

Arguments parse_arguments(std::span<const std::string> words, std::span<const OptionSpec> options) {
    Arguments parsed;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--") {
            parsed.positional.insert(parsed.positional.end(), words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                     words.end());
            break;
        }
        if (!is_option(word)) {
            parsed.positional.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        std::string name = word.substr(0, equals);
        if (name == "-h") name = kHelp;
        const OptionSpec* known = find_option(name, options);
        if (known == nullptr) usage_error("unknown option '" + name + "'");
        std::optional<std::string> value;
        if (equals != std::string::npos) {
            if (known->takes == Takes::nothing) usage_error(name + " takes no value");
            value = word.substr(equals + 1);
        } else if (known->takes == Takes::value) {
            if (i + 1 == words.size()) usage_error(name + " needs a value");
            value = words[++i];
        } else if (known->takes == Takes::optional_value && i + 1 < words.size() && !is_option(words[i + 1])) {
            value = words[++i];
        }
        parsed.add(std::move(name), std::move(value));
    }
    return parsed;
}

std::int32_t parse_number(std::string_view text, std::string_view what, std::int32_t minimum, std::int32_t maximum) {
    std::int32_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    const std::string quoted = "'" + std::string(text) + "'";
    if (error == std::errc::result_out_of_range) usage_error(std::string(what) + " is out of range: " + quoted);
    if (error != std::errc{} || stop != end) usage_error(std::string(what) + " needs a whole number, not " + quoted);
    if (number < minimum || number > maximum) {
        usage_error(std::string(what) + " must be " +
                    (maximum == INT32_MAX ? std::to_string(minimum) + " or more"
                                          : "from " + std::to_string(minimum) + " to " + std::to_string(maximum)) +
                    ", not " + quoted);
    }
    return number;
}

}  // namespace xqutil
