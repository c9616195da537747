#include "config_access.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <vector>

#include "command.h"
#include "entry_access.h"

namespace xqutil {
namespace {

// Every setting and configuration text fits 259 characters.
constexpr uint32_t kConfigCapacity = 260;

// The setting's text; nullopt when it is empty or one of the getter's words
// for "not set".
std::optional<std::string> setting_text(int32_t(XQ_CALL* getter)(char*, uint32_t), std::string_view unset) {
    std::array<char, kConfigCapacity + 1> buffer{};  // the last byte stays zero
    getter(buffer.data(), kConfigCapacity);
    std::string text(buffer.data());
    if (text.empty() || text == unset) return std::nullopt;
    return text;
}

std::string require_file_of(const std::optional<std::string>& path, const ConfigFiles& files, std::string_view kind,
                            std::string_view setting, std::string_view option) {
    const std::string what = "the " + std::string(kind) + " configuration file";
    if (!files.root) {
        not_found("no " + what + " is configured: the root directory is not set (registry value VortaRoot, or --root)");
    }
    if (!path) {
        not_found("no " + what + " is configured: its name is not set (registry value " + std::string(setting) +
                  ", or " + std::string(option) + ")");
    }
    if (ExistFile(path->c_str()) == 0) not_found("cannot open " + what + " '" + *path + "'");
    return *path;
}

}  // namespace

ConfigFiles config_files() {
    ConfigFiles files;
    files.root = setting_text(GetVortaRootDir, "0");
    if (!files.root) return files;
    const auto joined = [&](const std::optional<std::string>& name) -> std::optional<std::string> {
        if (!name) return std::nullopt;
        return shown_path(*files.root + '\\' + *name);
    };
    files.logical = joined(setting_text(GetVortaLogConfFile, "None"));
    files.physical = joined(setting_text(GetVortaPhyConfFile, "None"));
    return files;
}

std::string find_file(const std::string& name) {
    if (name.find_first_of("/\\") != std::string::npos) return name;
    if (ExistFile(name.c_str()) != 0) {
        std::cerr << "xqutil: using '" << name << "' of the current directory\n";
        return name;
    }
    const std::optional<std::string> root = setting_text(GetVortaRootDir, "0");
    if (!root) return name;
    const std::string under_root = *root + '\\' + name;
    if (ExistFile(under_root.c_str()) == 0) return name;
    std::cerr << "xqutil: '" << name << "' is not in the current directory; using '" << shown_path(under_root)
              << "' under the installation root\n";
    return under_root;
}

std::string require_logical(const ConfigFiles& files) {
    return require_file_of(files.logical, files, "logical", "LogConfFile", "--log-conf");
}

std::string require_physical(const ConfigFiles& files) {
    return require_file_of(files.physical, files, "physical", "PhyConfFile", "--phy-conf");
}

std::string where(const std::string& file, std::string_view section, std::string_view entry) {
    return place({file, std::string(section), std::string(entry)});
}

std::string lookup_text(NameLookup lookup, const std::string& name) {
    std::array<char, kConfigCapacity + 1> buffer{};
    lookup(name.c_str(), buffer.data(), kConfigCapacity);
    return buffer.data();
}

std::optional<std::string> configured(std::string text) {
    if (text == "None") return std::nullopt;
    return text;
}

std::string config_word(std::string_view value, std::size_t index) {
    for (std::size_t n = 1;; ++n) {
        const std::size_t begin = value.find_first_not_of(' ');
        if (begin == std::string_view::npos) return {};
        value.remove_prefix(begin);
        const std::size_t end = std::min(value.find(' '), value.size());
        if (n == index) return std::string(value.substr(0, end));
        value.remove_prefix(end);
    }
}

std::optional<std::string> named_value(const std::string& file, std::string_view section, std::string_view entry) {
    std::vector<char> buffer(kTextCapacity, '\0');
    const std::string s(section), e(entry);
    if (GetNamedString(s.c_str(), e.c_str(), buffer.data(), kTextCapacity, file.c_str()) == nullptr)
        return std::nullopt;
    std::string text = delivered(buffer.data()).text;
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace xqutil
