// Command-line parsing of one subcommand: positional arguments, the
// subcommand's own options and the options every subcommand takes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xqutil {

enum class Takes {
    nothing,         // --flag
    value,           // --name VALUE or --name=VALUE
    optional_value,  // --name, --name=VALUE, or --name VALUE when VALUE does not start with "-"
};

struct OptionSpec {
    std::string_view name;  // with its leading "--"
    Takes takes;
};

// The options every subcommand takes.
inline constexpr std::string_view kHelp = "--help";
inline constexpr std::string_view kJson = "--json";
inline constexpr std::string_view kRoot = "--root";
inline constexpr std::string_view kLang = "--lang";
inline constexpr std::string_view kLogConf = "--log-conf";
inline constexpr std::string_view kPhyConf = "--phy-conf";
inline constexpr std::string_view kRaw = "--raw";

class Arguments {
public:
    std::vector<std::string> positional;

    // True when the option was given.
    bool has(std::string_view option) const;
    // The option's value; nullopt when the option or its value is absent.
    std::optional<std::string> value(std::string_view option) const;
    // The option's value as a whole number within [minimum, maximum];
    // nullopt when the option is absent, a usage error when it is malformed.
    std::optional<std::int32_t> number(std::string_view option, std::int32_t minimum, std::int32_t maximum) const;

    void add(std::string name, std::optional<std::string> value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> options_;
};

// Splits `words` (the command line after the subcommand's name) by `options`
// and the common options. Throws a usage error for an unknown option, a
// missing or unexpected value or an option given twice. "--" ends the
// options; "-" and negative numbers are arguments.
Arguments parse_arguments(std::span<const std::string> words, std::span<const OptionSpec> options);

// `text` as a whole decimal number within [minimum, maximum]; a usage error
// naming `what` otherwise.
std::int32_t parse_number(std::string_view text, std::string_view what, std::int32_t minimum, std::int32_t maximum);

}  // namespace xqutil
