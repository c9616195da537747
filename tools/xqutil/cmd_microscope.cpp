// stand, components, component and optical-path: the microscope as its
// configuration files describe it, through the configuration lookups.
#include <array>
#include <vector>

#include "command.h"
#include "config_access.h"
#include "ini_names.h"
#include "install_check.h"
#include "suggest.h"
#include "text_columns.h"

namespace xqutil {
namespace {

constexpr std::string_view kMicStand = "MicStand";
constexpr std::string_view kConfiguration = "Configuration";
constexpr std::string_view kOpticalPath = "OpticalPath";

// Every text of the stand lookups fits 259 characters.
constexpr uint32_t kStandCapacity = 260;

using Lookup = int32_t(XQ_CALL*)(char*, uint32_t);

// The text of a stand lookup; nullopt when it reports no stand configured.
std::optional<std::string> stand_text(Lookup lookup) {
    std::array<char, kStandCapacity + 1> buffer{};
    if (lookup(buffer.data(), kStandCapacity) == 0) return std::nullopt;
    return std::string(buffer.data());
}

// The components of section "Configuration", in file order; fails (exit 1)
// when the section lists none.
std::vector<std::string> component_names(const std::string& logical) {
    std::vector<std::string> names = entry_names(logical, kConfiguration).value_or(std::vector<std::string>{});
    if (names.empty()) not_found("section [Configuration] of '" + logical + "' lists no components");
    return names;
}

std::vector<std::string> stand_components(const std::vector<std::string>& components) {
    std::vector<std::string> members;
    for (const std::string& name : components) {
        if (GetQelStandComp(name.c_str()) != 0) members.push_back(name);
    }
    return members;
}

Exit run_stand(const Arguments&, Output& output) {
    const ConfigFiles files = config_files();
    const std::string logical = require_logical(files);
    const std::optional<std::string> name = stand_text(GetQelStand);
    if (!name) not_found("no stand is configured: " + where(logical, kMicStand, "Stand") + " is missing or None");
    const std::string entry = config_word(named_value(logical, kMicStand, "Stand").value_or(""), 1);
    std::vector<Record> members;
    for (const std::string& component : stand_components(component_names(logical))) {
        members.push_back(Record().text("component", "Component", component).bare());
    }
    Record record;
    record.text("stand", "Stand", configured(*name));
    record.text("port", "Port", configured(stand_text(GetQelStandPort).value_or("None")));
    record.text("stand_entry", "Stand entry", entry);
    record.list("stand_components", "Stand components", std::move(members));
    output.report(record);
    if (*name == "None") {
        not_found("the stand entry '" + entry + "' is not in section [Stand] of the physical configuration file" +
                  (files.physical ? " '" + *files.physical + "'" : ""));
    }
    return Exit::ok;
}

// "-" in text listings for what is not configured.
std::string shown(const std::optional<std::string>& text) { return text ? *text : "-"; }

// `path` without the root directory and its backslash, when it begins so.
std::string below_root(const std::optional<std::string>& path, const std::string& root) {
    const std::string prefix = shown_path(root + '\\');
    if (path && path->starts_with(prefix)) return path->substr(prefix.size());
    return shown(path);
}

struct ComponentSummary {
    std::string name;
    bool enabled;
    std::optional<std::string> port;
    int32_t mode;
    bool stand;
    std::optional<std::string> server, api, next_layer;
};

ComponentSummary summary_of(const std::string& name) {
    return {name,
            GetQelServerEnabled(name.c_str()) != 0,
            configured(lookup_text(GetQelPort, name)),
            GetQelMode(name.c_str()),
            GetQelStandComp(name.c_str()) != 0,
            shown_path(configured(lookup_text(GetQelServer, name))),
            shown_path(configured(lookup_text(GetQelServerApi, name))),
            configured(lookup_text(GetPsiNextLayer, name))};
}

// The component's settings; with `next_layer` its next layer too.
Record summary_record(const ComponentSummary& c, bool next_layer) {
    Record record;
    record.text("name", "Component", c.name);
    record.flag("enabled", "Enabled", c.enabled);
    record.text("port", "Port", c.port);
    if (c.enabled) {
        record.number("mode", "Mode", c.mode);
    } else {
        record.text("mode", "Mode", std::nullopt);
    }
    record.flag("stand_component", "Stand component", c.stand);
    record.text("server", "Server", c.server);
    record.text("interface", "Interface", c.api);
    if (next_layer) record.text("next_layer", "Next layer", c.next_layer);
    return record;
}

Exit run_components(const Arguments&, Output& output) {
    const ConfigFiles files = config_files();
    const std::string logical = require_logical(files);
    std::vector<ComponentSummary> components;
    for (const std::string& name : component_names(logical)) components.push_back(summary_of(name));
    Record record;
    record.text("root", "Root directory", *files.root).note("the paths below are relative to it");
    record.text("logical_file", "Logical config file", logical).json_only();
    if (output.json()) {
        std::vector<Record> list;
        for (const ComponentSummary& c : components) list.push_back(summary_record(c, true));
        record.list("components", "Components", std::move(list));
        output.report(record);
        return Exit::ok;
    }
    std::vector<std::vector<std::string>> rows = {
        {"Component", "Enabled", "Port", "Mode", "Stand", "Server", "Interface", "Next layer"}};
    for (const ComponentSummary& c : components) {
        rows.push_back({c.name, c.enabled ? "yes" : "no", shown(c.port), c.enabled ? std::to_string(c.mode) : "-",
                        c.stand ? "yes" : "no", below_root(c.server, *files.root), below_root(c.api, *files.root),
                        shown(c.next_layer)});
    }
    output.report(record);
    output.report(Record().text("table", "", "\n" + text_columns(rows)).bare());
    return Exit::ok;
}

// A lookup and where its text goes in a report.
struct LabelledLookup {
    const char* key;
    const char* label;
    NameLookup lookup;
};

// The physical server interface of a component: its server section's
// entries and data sections, and those of its next layer.
void add_physical(Record& record, const std::string& name, const std::string& logical,
                  const std::optional<std::string>& physical) {
    const std::optional<std::string> entry =
        configured(config_word(named_value(logical, kConfiguration, name).value_or("None"), 1));
    std::optional<std::string> server_section;
    if (entry && physical) {
        if (const auto value = named_value(*physical, name, *entry)) server_section = config_word(*value, 4);
    }
    record.text("physical_entry", "Physical entry", entry);
    record.text("server_section", "Server section", server_section);
    const LabelledLookup component_lookups[] = {
        {"physical_server", "Physical server", GetPsiServer},
        {"physical_interface", "Physical interface", GetPsiServerApi},
        {"server_data", "Server data", GetPsiServerData},
        {"global_data", "Global data file", GetPsiGlobalData},
        {"operational_data", "Operational data file", GetPsiOperData},
        {"global_data_section", "Global data section", GetPsiGlobalDataSection},
        {"operational_data_section", "Operational data section", GetPsiOperationalDataSection},
        {"next_layer", "Next layer", GetPsiNextLayer},
    };
    // Paths, and names of sections, which hold no backslashes.
    for (const auto& l : component_lookups) {
        record.text(l.key, l.label, shown_path(configured(lookup_text(l.lookup, name))));
    }
    const std::optional<std::string> layer = configured(lookup_text(GetPsiNextLayer, name));
    const LabelledLookup layer_lookups[] = {
        {"next_layer_server", "Next layer server", GetPsiNextLayerServer},
        {"next_layer_interface", "Next layer interface", GetPsiNextLayerServerApi},
        {"next_layer_server_data", "Next layer server data", GetPsiNextLayerServerData},
        {"next_layer_global_data_section", "Next layer global data", GetPsiNextLayerGlobalDataSection},
        {"next_layer_operational_data_section", "Next layer oper. data", GetPsiNextLayerOperationalDataSection},
    };
    for (const auto& l : layer_lookups) {
        record.text(l.key, l.label, layer ? shown_path(configured(lookup_text(l.lookup, *layer))) : std::nullopt);
        if (!layer) record.json_only();
    }
}

Exit run_component(const Arguments& arguments, Output& output) {
    const std::string& name = arguments.positional[0];
    const ConfigFiles files = config_files();
    const std::string logical = require_logical(files);
    if (!has_name(component_names(logical), name)) {
        not_found("no component '" + name + "' in section [Configuration] of '" + logical + "'" +
                  suggestion(component_names(logical), name));
    }
    const ComponentSummary c = summary_of(name);
    Record record = summary_record(c, false);
    add_physical(record, name, logical, files.physical);
    output.report(record);
    if (!c.enabled) not_found("component '" + name + "' is not fitted: its entry in [Configuration] is None or empty");
    std::string broken;
    for (const Problem& problem : component_links(name)) broken += "\n  " + problem_line(problem);
    if (!broken.empty()) not_found("component '" + name + "' does not resolve:" + broken);
    return Exit::ok;
}

Exit run_optical_path(const Arguments&, Output& output) {
    const ConfigFiles files = config_files();
    const std::string logical = require_logical(files);
    const std::vector<std::string> names = entry_names(logical, kOpticalPath).value_or(std::vector<std::string>{});
    std::vector<Record> entries;
    std::vector<std::vector<std::string>> rows = {{"Index", "Entry", "Value"}};
    int32_t index = -1;
    for (const std::string& name : names) {
        std::array<char, kStandCapacity + 1> buffer{};
        if (GetQelOpticalPath(index, buffer.data(), kStandCapacity) == 0) {
            not_found("the library could not read the optical path (no scratch memory)");
        }
        const std::optional<std::string> value = configured(buffer.data());
        entries.push_back(
            Record().number("index", "Index", index).text("entry", "Entry", name).text("value", "Value", value));
        rows.push_back({std::to_string(index), name, shown(value)});
        ++index;
    }
    Record record;
    record.number("image_path_count", "Image paths", GetQelImagePathCount());
    record.number("image_path_device_count", "Image path devices", GetQelImagePathDeviceCount());
    if (output.json()) {
        record.list("entries", "Entries", std::move(entries));
        output.report(record);
    } else {
        output.report(record);
        if (!names.empty()) output.report(Record().text("table", "", "\n" + text_columns(rows, {true})).bare());
    }
    if (names.empty()) not_found("'" + logical + "' has no section [OpticalPath] or it is empty");
    return Exit::ok;
}

constexpr std::string_view kStandDetails =
    R"(Shows the microscope's stand: its name (from section [Stand] of the physical
configuration file), its port, the stand entry that section [MicStand] of the
logical configuration file names, and the components of section
[Configuration] that are stand components (word 3 "M" of their physical entry).

Exit status: 0 shown; 1 no stand is configured, its entry is missing from the
physical file, or the logical configuration file is not configured or cannot
be opened; 2 usage error.
)";

constexpr std::string_view kComponentsDetails =
    R"(Lists every component of section [Configuration] of the logical configuration
file, in file order: whether it is enabled (fitted), its port and mode, whether
it is a stand component, its server and server interface (in the text form
relative to the root directory; full paths in JSON) and its next layer. "-"
(null in JSON) stands for what is not configured.

Exit status: 0 listed; 1 the logical configuration file is not configured or
cannot be opened, or lists no components; 2 usage error.
)";

constexpr std::string_view kComponentDetails =
    R"(Shows everything the library can say about component NAME (as named in
section [Configuration] of the logical configuration file): its settings, its
server and server interface, and its physical server interface: the physical
entry and server section, the physical server, interface, server data, global
and operational data files and data sections, and the next layer with its
server, interface, server data and data sections. "not set" (null in JSON)
stands for what is not configured.

Exit status: 0 shown; 1 no such component, the component is not fitted, its
physical entry, server section or next layer is missing (the report is
printed all the same, and the missing link named), or the logical
configuration file is not configured or cannot be opened; 2 usage error.
)";

constexpr std::string_view kOpticalPathDetails =
    R"(Shows section [OpticalPath] of the logical configuration file: the image path
count, the image path device count, and every entry of the section with the
index by which the library reads it (the first entry has index -1, so that the
image paths that follow the two counts have the indexes 1, 2, ...). Values
are cut to 78 characters, as the library reads them.

Exit status: 0 shown; 1 the section is missing or empty, or the logical
configuration file is not configured or cannot be opened; 2 usage error.
)";

constexpr std::array<Command, 4> kCommands = {{
    {"stand", "", "", "Show the microscope's stand and its components.", kStandDetails, {}, 0, 0, run_stand},
    {"components", "", "", "List the components of the configuration.", kComponentsDetails, {}, 0, 0, run_components},
    {"component",
     "NAME",
     "",
     "Show one component, its physical server interface included.",
     kComponentDetails,
     {},
     1,
     1,
     run_component},
    {"optical-path",
     "",
     "",
     "Show the optical path: image path counts and entries.",
     kOpticalPathDetails,
     {},
     0,
     0,
     run_optical_path},
}};

}  // namespace

std::span<const Command> microscope_commands() { return kCommands; }

}  // namespace xqutil
