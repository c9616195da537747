// settings: the installation settings as the library sees them in this run.
#include <array>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>

#include "command.h"
#include "ini_names.h"
#include "local_name.h"
#include "xq_utils.h"

namespace xqutil {
namespace {

constexpr const char* kRegistryKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";
// The library joins the root directory and a file name with a backslash on
// every platform.
constexpr char kSeparator = '\\';
// Every setting fits 259 characters; a buffer of 260 bytes always suffices.
constexpr uint32_t kSettingCapacity = 260;

using Getter = int32_t(XQ_CALL*)(char*, uint32_t);

// The getter's text; nullopt when it is one of `unset`, the getter's way of
// saying "not set".
std::optional<std::string> setting(Getter getter, std::initializer_list<std::string_view> unset) {
    std::array<char, kSettingCapacity + 1> buffer{};  // the last byte stays zero whatever the getter writes
    getter(buffer.data(), kSettingCapacity);
    std::string text(buffer.data());
    for (const std::string_view u : unset) {
        if (text == u) return std::nullopt;
    }
    return text;
}

std::optional<std::string> kit_version() {
    std::array<char, kSettingCapacity + 1> buffer{};
    if (GetVortaSDKVersion(buffer.data(), kSettingCapacity) == 0) return std::nullopt;
    return std::string(buffer.data());
}

std::optional<std::string> joined(const std::optional<std::string>& root, const std::optional<std::string>& name) {
    if (!root || !name) return std::nullopt;
    return shown_path(*root + kSeparator + *name);
}

// Marks the last field of `record` as given on the command line.
void note_override(Record& record, const Arguments& arguments, std::string_view option) {
    if (arguments.has(option)) record.note("from " + std::string(option));
}

#ifndef _WIN32
// Where the settings come from on Linux: the registry file.
void add_registry_file(Record& record) {
    const char* named = std::getenv("XQ_UTILS_REGISTRY");
    const bool from_environment = named != nullptr && *named != '\0';
    const std::string file = from_environment ? named : "/etc/xq_utils/registry.reg";
    std::error_code error;
    const bool exists = std::filesystem::is_regular_file(local_name(file), error);
    record.text("registry_file", "Registry file", file)
        .note(std::string(from_environment ? "from XQ_UTILS_REGISTRY" : "default location") +
              (exists ? "" : "; does not exist"));
    record.text("registry_file_source", "", from_environment ? "XQ_UTILS_REGISTRY" : "default").json_only();
    record.flag("registry_file_exists", "", exists).json_only();
}
#endif

// The first-setup flag: yes or no (a JSON boolean) when it reads TRUE or
// FALSE, whatever the letter case; any other text as it reads.
void add_first_setup(Record& record) {
    const std::optional<std::string> text = setting(GetVortaFirstSetup, {});
    for (const bool flag : {true, false}) {
        if (text && has_name({flag ? "TRUE" : "FALSE"}, *text)) {
            record.flag("first_setup", "First setup", flag);
            return;
        }
    }
    record.text("first_setup", "First setup", text);
}

Exit run_settings(const Arguments& arguments, Output& output) {
    const auto root = setting(GetVortaRootDir, {"0"});
    const auto log_file = setting(GetVortaLogConfFile, {"None", ""});
    const auto phy_file = setting(GetVortaPhyConfFile, {"None", ""});
    Record record;
    record.text("root", "Root directory", root);
    note_override(record, arguments, kRoot);
    record.text("language", "Language", setting(GetVortaLang, {"0"}));
    note_override(record, arguments, kLang);
    add_first_setup(record);
    record.text("logical_file", "Logical config file", log_file);
    note_override(record, arguments, kLogConf);
    record.text("physical_file", "Physical config file", phy_file);
    note_override(record, arguments, kPhyConf);
    record.text("logical_path", "Logical config path", joined(root, log_file));
    record.text("physical_path", "Physical config path", joined(root, phy_file));
    record.text("kit_version", "Kit version", kit_version());
    record.text("registry_key", "Registry key", kRegistryKey);
#ifndef _WIN32
    add_registry_file(record);
#endif
    output.report(record);
    if (!root) not_found("no root directory is configured (registry value VortaRoot, or --root)");
    return Exit::ok;
}

constexpr std::string_view kDetails = R"(Shows the installation settings as the library sees them in this run: the
root directory, the language, the first-setup flag, the logical and physical
configuration file names and their full paths (root, a backslash, the name, as
the library joins them on every platform) and the kit version. Settings that
are missing show as "not set" (null in JSON); a value given with --root,
--lang, --log-conf or --phy-conf is marked as such.

The settings live in the registry under
HKEY_LOCAL_MACHINE\SOFTWARE\Brenvik\Vorta XQ SDK\<CurrentVersion>\Ini. On
Linux that registry is a file: the one named by the environment variable
XQ_UTILS_REGISTRY, else /etc/xq_utils/registry.reg; the report names it and
says when it does not exist.

Exit status: 0 when a root directory is configured; 1 when it is not (the
report is printed all the same); 2 usage error.
)";

constexpr std::array<Command, 1> kCommands = {{
    {"settings",
     "",
     "",
     "Show the installation settings and where the configuration files are.",
     kDetails,
     {},
     0,
     0,
     run_settings},
}};

}  // namespace

std::span<const Command> settings_commands() { return kCommands; }

}  // namespace xqutil
