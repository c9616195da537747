// xqutil: the microscope kit's installation settings and configuration files
// at a glance, through the library's public interface only. This file finds
// the subcommand, parses its command line, applies the per-run overrides and
// turns failures into messages and exit statuses.
#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "suggest.h"
#include "xq_utils.h"

namespace xqutil {
namespace {

using Group = std::span<const Command> (*)();
constexpr std::array<Group, 7> kGroups = {settings_commands, microscope_commands, lookup_commands, rewrite_commands,
                                          table_commands,    message_commands,    check_commands};

constexpr std::string_view kCommonHelp = R"(Options of every command:
  --json            write one JSON object for scripts instead of text; a
                    failure adds "error": {"code", "message", "command"}
                    (messages still go to standard error as text)
  --root DIR        take DIR as the installation's root directory for this run
  --lang ENG|GER    take this language for this run
  --log-conf NAME   take NAME as the logical configuration file for this run
  --phy-conf NAME   take NAME as the physical configuration file for this run
  --raw             show paths exactly as the library gives them (on Linux
                    they are shown with '/' in place of its '\\')
  -h, --help        show this help
)";

constexpr std::string_view kExitHelp =
    "Exit status: 0 done, 1 not configured, not found or not possible, 2 usage error.\n";

const Command* find_command(std::string_view name) {
    for (const Group group : kGroups) {
        for (const Command& command : group()) {
            if (command.name == name) return &command;
        }
    }
    return nullptr;
}

std::vector<std::string> command_names() {
    std::vector<std::string> names;
    for (const Group group : kGroups) {
        for (const Command& command : group()) names.emplace_back(command.name);
    }
    return names;
}

void print_overview(std::ostream& out) {
    out << "usage: xqutil COMMAND [ARGUMENTS] [OPTIONS]\n\n"
           "Shows, checks and edits the microscope kit's installation: its settings,\n"
           "configuration, conversion tables and named-entry (INI) files, through the\n"
           "xq_utils library.\n\nCommands:\n";
    std::size_t width = 0;
    for (const Group group : kGroups) {
        for (const Command& command : group()) width = std::max(width, command.name.size());
    }
    for (const Group group : kGroups) {
        for (const Command& command : group()) {
            out << "  " << command.name << std::string(width + 2 - command.name.size(), ' ') << command.summary << '\n';
        }
    }
    out << '\n' << kCommonHelp << '\n' << kExitHelp << "Run 'xqutil COMMAND --help' for a command's arguments.\n";
}

void print_help(std::ostream& out, const Command& command) {
    out << "usage: xqutil " << command.name;
    for (const std::string_view part : {command.arguments, command.synopsis}) {
        if (!part.empty()) out << ' ' << part;
    }
    out << "\n\n" << command.summary << "\n\n" << command.details << '\n' << kCommonHelp;
}

// Applies --root, --log-conf, --phy-conf and --lang for this run.
void apply_overrides(const Arguments& arguments) {
    using Change = int32_t(XQ_CALL*)(const char*);
    const struct {
        std::string_view option;
        Change change;
    } slots[] = {{kRoot, VOKSDKChangeRoot},
                 {kLogConf, VOKSDKChangeLogConfFile},
                 {kPhyConf, VOKSDKChangePhyConfFile},
                 {kLang, VOKSDKChangeLang}};
    for (const auto& slot : slots) {
        std::optional<std::string> text = arguments.value(slot.option);
        // Language codes are upper case; "ger" means GER.
        if (text && slot.option == kLang) {
            std::transform(text->begin(), text->end(), text->begin(),
                           [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
        }
        if (!text || slot.change(text->c_str()) != 0) continue;
        if (slot.option == kLang) usage_error("--lang takes ENG or GER, not '" + *arguments.value(kLang) + "'");
        usage_error(std::string(slot.option) + " takes at most 259 characters; this one has " +
                    std::to_string(text->size()));
    }
}

void check_count(const Command& command, std::size_t count) {
    if (count >= command.min_arguments && count <= command.max_arguments) return;
    std::string expected = "expected " + std::string(command.arguments.empty() ? "none" : command.arguments);
    if (command.max_arguments > command.min_arguments)
        expected += ", at most " + std::to_string(command.max_arguments) + " arguments";
    usage_error((count < command.min_arguments ? "missing arguments: " : "too many arguments: ") + expected);
}

// Reports a failure on standard error, and with --json on standard output.
Exit fail(Output& output, std::string_view command, const ToolError& error) {
    output.fail(static_cast<int>(error.status()), error.what(), command);
    std::cerr << "xqutil" << (command.empty() ? "" : " ") << command << ": " << error.what() << '\n';
    if (error.status() == Exit::usage) {
        std::cerr << "see 'xqutil" << (command.empty() ? "" : " ") << command << " --help'\n";
    }
    return error.status();
}

Exit run_command(const Command& command, std::span<const std::string> words, Output& output) {
    const Arguments arguments = parse_arguments(words, command.options);
    output.use_json(arguments.has(kJson));  // "--json" after "--" is an argument
    if (arguments.has(kHelp)) {
        print_help(std::cout, command);
        return Exit::ok;
    }
    check_count(command, arguments.positional.size());
    apply_overrides(arguments);
    set_raw_paths(arguments.has(kRaw));
    const Exit status = command.run(arguments, output);
    output.finish();
    return status;
}

Exit run(std::span<const std::string> words) {
    if (words.empty()) {
        print_overview(std::cerr);
        return Exit::usage;
    }
    const std::string& first = words.front();
    const bool asks_help = first == "help" || first == kHelp || first == "-h";
    if (asks_help && words.size() == 1) {
        print_overview(std::cout);
        return Exit::ok;
    }
    const std::string& name = asks_help ? words[1] : first;
    // Known before the command line is parsed, so that a refused one is
    // reported in JSON too.
    Output output(std::cout, std::find(words.begin(), words.end(), kJson) != words.end());
    const Command* command = find_command(name);
    if (command == nullptr) {
        return fail(output, "",
                    ToolError(Exit::usage, (name.starts_with('-') ? "options come after the command: '"
                                                                  : "unknown command '") +
                                               name + "'" + suggestion(command_names(), name)));
    }
    if (asks_help) {
        print_help(std::cout, *command);
        return Exit::ok;
    }
    try {
        return run_command(*command, words.subspan(1), output);
    } catch (const ToolError& error) {
        return fail(output, command->name, error);
    }
}

}  // namespace
}  // namespace xqutil

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
        return static_cast<int>(xqutil::run(words));
    } catch (const std::exception& error) {
        std::cerr << "xqutil: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "xqutil: unexpected failure\n";
    }
    return static_cast<int>(xqutil::Exit::not_found);
}
