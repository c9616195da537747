#include "install_check.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "config_access.h"
#include "ini_names.h"
#include "output.h"

namespace xqutil {
namespace {

constexpr std::string_view kConfiguration = "Configuration";
constexpr std::string_view kOpticalPath = "OpticalPath";
constexpr std::string_view kPathCount = "ImagePathCount";
constexpr std::string_view kDeviceCount = "ImagePathDeviceCount";
constexpr uint32_t kTextBuffer = 260;

// Where the settings live: the registry (on Linux its file) and the key of
// the installation's version.
struct RegistryPlace {
    std::string file;
    std::string product_key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";
    std::string ini_key;
};

RegistryPlace registry_place() {
    RegistryPlace place;
#ifdef _WIN32
    place.file = "registry";
#else
    const char* named = std::getenv("XQ_UTILS_REGISTRY");
    place.file = named != nullptr && *named != '\0' ? named : "/etc/xq_utils/registry.reg";
#endif
    std::array<char, kTextBuffer + 1> version{};
    const bool known = GetVortaSDKVersion(version.data(), kTextBuffer) != 0;
    place.ini_key = place.product_key + "\\" + (known ? std::string(version.data()) : "<CurrentVersion>") + "\\Ini";
    return place;
}

// The text of an argument-free lookup into a buffer.
std::string buffer_text(int32_t(XQ_CALL* lookup)(char*, uint32_t), int32_t* result = nullptr) {
    std::array<char, kTextBuffer + 1> buffer{};
    const int32_t r = lookup(buffer.data(), kTextBuffer);
    if (result != nullptr) *result = r;
    return buffer.data();
}

// The lookup of a file that an entry of a server section or next layer names.
struct FileLookup {
    const char* entry;
    NameLookup lookup;
    bool data;  // a data file, searched for conversion tables
};

class Checker {
public:
    InstallationCheck run();
    // The links of one component only (see component_links).
    std::vector<Problem> links_of(const std::string& component);

private:
    void add(const std::string& file, std::string_view section, std::string_view entry, std::string text) {
        result_.problems.push_back({file, std::string(section), std::string(entry), std::move(text)});
    }
    bool check_settings();
    bool check_file_exists(const std::optional<std::string>& path);
    void check_component(const std::string& component);
    void check_physical(const std::string& component, const std::string& entry);
    void check_server_section(const std::string& component, const std::string& section);
    void check_next_layer(const std::string& server_section, const std::string& layer);
    // Reports the file a lookup names unless it exists; keeps existing data files.
    void check_named_file(const std::string& file, std::string_view section, std::string_view entry,
                          const std::optional<std::string>& path, bool data);
    void check_stand(const std::vector<std::string>& members);
    void check_optical_path();

    ConfigFiles files_ = config_files();
    std::string logical_, physical_;
    bool has_physical_ = false;
    bool links_only_ = false;  // leave the files the sections name alone
    std::vector<std::string> physical_sections_;
    std::vector<std::string> checked_sections_;  // server sections and next layers, each checked once
    std::vector<std::string> stand_members_;
    InstallationCheck result_;
};

InstallationCheck Checker::run() {
    if (!check_settings()) return result_;
    has_physical_ = check_file_exists(files_.physical);
    if (has_physical_) physical_ = *files_.physical;
    if (!check_file_exists(files_.logical)) return result_;
    logical_ = *files_.logical;
    if (has_physical_) physical_sections_ = section_names(physical_).value_or(std::vector<std::string>{});
    const std::vector<std::string> components =
        entry_names(logical_, kConfiguration).value_or(std::vector<std::string>{});
    if (components.empty()) add(logical_, kConfiguration, "", "lists no components");
    for (const std::string& component : components) check_component(component);
    check_stand(stand_members_);
    check_optical_path();
    return result_;
}

std::vector<Problem> Checker::links_of(const std::string& component) {
    links_only_ = true;
    logical_ = files_.logical.value_or("");
    has_physical_ = check_file_exists(files_.physical);
    if (!files_.physical) add("", "", "", "the physical configuration file is not set (PhyConfFile, or --phy-conf)");
    if (has_physical_) {
        physical_ = *files_.physical;
        physical_sections_ = section_names(physical_).value_or(std::vector<std::string>{});
    }
    check_component(component);
    return result_.problems;
}

bool Checker::check_settings() {
    const RegistryPlace place = registry_place();
    const auto missing = [&](const char* value, const char* option, const char* what) {
        add(place.file, place.ini_key, value, std::string("not set: ") + what + " (or " + option + ")");
    };
    if (!files_.root) {
        if (buffer_text(GetVortaSDKVersion).empty()) {
            add(place.file, place.product_key, "CurrentVersion", "not set: the kit's settings are not installed");
        }
        missing("VortaRoot", "--root", "no root directory");
    }
    const auto name_missing = [&](int32_t(XQ_CALL * getter)(char*, uint32_t)) {
        const std::string name = buffer_text(getter);
        return name.empty() || name == "None";
    };
    if (name_missing(GetVortaLogConfFile)) missing("LogConfFile", "--log-conf", "no logical configuration file");
    if (name_missing(GetVortaPhyConfFile)) missing("PhyConfFile", "--phy-conf", "no physical configuration file");
    return files_.root.has_value();
}

bool Checker::check_file_exists(const std::optional<std::string>& path) {
    if (!path) return false;
    if (ExistFile(path->c_str()) != 0) return true;
    add(*path, "", "", "cannot be opened");
    return false;
}

void Checker::check_named_file(const std::string& file, std::string_view section, std::string_view entry,
                               const std::optional<std::string>& path, bool data) {
    if (!path || links_only_) return;
    const std::string shown = shown_path(*path);
    if (path->ends_with('\\')) {
        add(file, section, entry, "is empty: it names no file");
    } else if (ExistFile(path->c_str()) == 0) {
        const std::string prefix = shown_path(*files_.root + '\\');
        add(file, section, entry,
            shown.starts_with(prefix) ? "'" + shown.substr(prefix.size()) + "' does not exist under the root directory"
                                      : "'" + shown + "' does not exist");
    } else if (data &&
               std::find(result_.data_files.begin(), result_.data_files.end(), shown) == result_.data_files.end()) {
        result_.data_files.push_back(shown);
    }
}

void Checker::check_component(const std::string& component) {
    if (GetQelServerEnabled(component.c_str()) == 0) return;  // not fitted
    check_named_file(logical_, component, "Server", configured(lookup_text(GetQelServer, component)), false);
    check_named_file(logical_, component, "ServerApi", configured(lookup_text(GetQelServerApi, component)), false);
    if (GetQelStandComp(component.c_str()) != 0) stand_members_.push_back(component);
    if (!has_physical_) return;
    const std::string entry = config_word(named_value(logical_, kConfiguration, component).value_or(""), 1);
    const std::vector<std::string> entries = entry_names(physical_, component).value_or(std::vector<std::string>{});
    if (!has_name(entries, entry)) {
        add(logical_, kConfiguration, component,
            "its physical entry '" + entry + "' is not in section [" + component + "] of '" + physical_ + "'");
        return;
    }
    check_physical(component, entry);
}

void Checker::check_physical(const std::string& component, const std::string& entry) {
    const std::string server = config_word(named_value(physical_, component, entry).value_or(""), 4);
    if (server.empty()) {
        add(physical_, component, entry, "names no server section (word 4; NO when the component has none)");
    } else if (server != "NO" && !has_name(physical_sections_, server)) {
        add(physical_, component, entry, "its server section '" + server + "' is not a section of this file");
    } else if (server != "NO" && !has_name(checked_sections_, server)) {
        checked_sections_.push_back(server);
        check_server_section(component, server);
    }
}

void Checker::check_server_section(const std::string& component, const std::string& section) {
    const FileLookup lookups[] = {{"Server", GetPsiServer, false},
                                  {"ServerApi", GetPsiServerApi, false},
                                  {"ServerData", GetPsiServerData, true},
                                  {"GlobalData", GetPsiGlobalData, true},
                                  {"OperData", GetPsiOperData, true}};
    for (const auto& l : lookups) {
        check_named_file(physical_, section, l.entry, configured(lookup_text(l.lookup, component)), l.data);
    }
    if (const auto layer = configured(lookup_text(GetPsiNextLayer, component))) check_next_layer(section, *layer);
}

void Checker::check_next_layer(const std::string& server_section, const std::string& layer) {
    if (!has_name(physical_sections_, layer)) {
        add(physical_, server_section, "NextLayer", "the next layer '" + layer + "' is not a section of this file");
        return;
    }
    if (has_name(checked_sections_, layer)) return;
    checked_sections_.push_back(layer);
    const FileLookup lookups[] = {{"Server", GetPsiNextLayerServer, false},
                                  {"ServerApi", GetPsiNextLayerServerApi, false},
                                  {"ServerData", GetPsiNextLayerServerData, true}};
    for (const auto& l : lookups) {
        check_named_file(physical_, layer, l.entry, configured(lookup_text(l.lookup, layer)), l.data);
    }
}

void Checker::check_stand(const std::vector<std::string>& members) {
    int32_t configured_stand = 0;
    const std::string stand = buffer_text(GetQelStand, &configured_stand);
    const std::string entry = config_word(named_value(logical_, "MicStand", "Stand").value_or(""), 1);
    if (configured_stand == 0) {
        for (const std::string& member : members) {
            add(logical_, kConfiguration, member,
                "is a stand component (word 3 \"M\" of its physical entry), but no stand is configured "
                "([MicStand] Stand)");
        }
    } else if (has_physical_ && stand == "None") {
        add(logical_, "MicStand", "Stand",
            "the stand entry '" + entry + "' is not in section [Stand] of '" + physical_ + "'");
    }
}

// The devices of the image paths: the distinct words of their values, as
// the library reads the values.
std::vector<std::string> path_devices(const std::vector<int32_t>& indexes) {
    std::vector<std::string> devices;
    for (const int32_t index : indexes) {
        std::array<char, kTextBuffer + 1> buffer{};
        GetQelOpticalPath(index, buffer.data(), kTextBuffer);
        const std::string value = buffer.data();
        for (std::size_t n = 1; !config_word(value, n).empty(); ++n) {
            const std::string device = config_word(value, n);
            if (std::find(devices.begin(), devices.end(), device) == devices.end()) devices.push_back(device);
        }
    }
    return devices;
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : ", ") + word;
    return out;
}

void Checker::check_optical_path() {
    const std::vector<std::string> names = entry_names(logical_, kOpticalPath).value_or(std::vector<std::string>{});
    std::vector<std::string> paths;
    std::vector<int32_t> indexes;  // GetQelOpticalPath's index of each path: its position - 2
    for (std::size_t position = 1; position <= names.size(); ++position) {
        const std::string& name = names[position - 1];
        if (has_name({std::string(kPathCount), std::string(kDeviceCount)}, name)) continue;
        paths.push_back(name);
        indexes.push_back(static_cast<int32_t>(position) - 2);
        if (position <= 2) {
            add(logical_, kOpticalPath, name,
                "stands before the counts: image paths follow ImagePathCount and ImagePathDeviceCount, so that "
                "the library reads them at the indexes 1, 2, ...");
        }
    }
    const int32_t count = GetQelImagePathCount();
    if (count != static_cast<int32_t>(paths.size())) {
        add(logical_, kOpticalPath, kPathCount,
            "is " + std::to_string(count) + ", but the section has " + std::to_string(paths.size()) + " image paths" +
                (paths.empty() ? "" : " (" + joined(paths) + ")"));
    }
    const std::vector<std::string> devices = path_devices(indexes);
    const int32_t device_count = GetQelImagePathDeviceCount();
    if (device_count != static_cast<int32_t>(devices.size())) {
        add(logical_, kOpticalPath, kDeviceCount,
            "is " + std::to_string(device_count) + ", but the image paths name " + std::to_string(devices.size()) +
                " devices" + (devices.empty() ? "" : " (" + joined(devices) + ")"));
    }
}

}  // namespace

std::string problem_line(const Problem& problem) {
    std::string line = problem.file;
    if (!problem.section.empty()) line += " [" + problem.section + "]";
    if (!problem.entry.empty()) line += " " + problem.entry;
    return line + ": " + problem.text;
}

InstallationCheck check_installation() { return Checker().run(); }

std::vector<Problem> component_links(const std::string& component) { return Checker().links_of(component); }

}  // namespace xqutil
