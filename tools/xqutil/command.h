// What a subcommand of xqutil is: its name, its help, the options it takes
// beyond the common ones, and the function that runs it. Each group of
// subcommands lives in a cmd_*.cpp file and hands its table to main.cpp.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "args.h"
#include "output.h"

namespace xqutil {

// Exit status of the tool.
enum class Exit : int {
    ok = 0,         // done
    not_found = 1,  // what was asked is not configured, not found or could not be done
    usage = 2,      // the command line is wrong
};

// A failure that ends the subcommand: the message goes to standard error.
class ToolError : public std::runtime_error {
public:
    ToolError(Exit status, const std::string& message) : std::runtime_error(message), status_(status) {}
    Exit status() const { return status_; }

private:
    Exit status_;
};

[[noreturn]] inline void usage_error(const std::string& message) { throw ToolError(Exit::usage, message); }
[[noreturn]] inline void not_found(const std::string& message) { throw ToolError(Exit::not_found, message); }

struct Command {
    std::string_view name;
    std::string_view arguments;  // the positional arguments, e.g. "FILE SECTION ENTRY"
    std::string_view synopsis;   // the options, for the usage line
    std::string_view summary;    // one line for the overview
    std::string_view details;    // the rest of the help: what it does, its options, its exit status
    std::span<const OptionSpec> options;
    std::size_t min_arguments;
    std::size_t max_arguments;
    // Runs the subcommand on parsed arguments; returns its exit status or
    // throws ToolError.
    Exit (*run)(const Arguments& arguments, Output& output);
};

// The subcommand groups, one file each.
std::span<const Command> settings_commands();
std::span<const Command> lookup_commands();
std::span<const Command> rewrite_commands();
std::span<const Command> message_commands();
std::span<const Command> microscope_commands();
std::span<const Command> table_commands();
std::span<const Command> check_commands();

}  // namespace xqutil
