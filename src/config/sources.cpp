// The sources of one configuration lookup.
#include "config/sources.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <string_view>

#include "api/text_copy.h"
#include "named/values.h"
#include "platform/platform.h"
#include "profile/profile.h"

namespace xq::config {

std::string_view PathSettings::root() {
    if (!root_read_) {
        if (auto over = settings::override_text(settings::Slot::root)) new (&root_.text) PathText(*over);
        else new (&root_.text) PathText(registry_value("VortaRoot", 259).view());
        root_read_ = true;
    }
    return root_.text.view();
}

PathText PathSettings::file_name(settings::Slot slot, const char* value_name, std::size_t room) {
    if (auto over = settings::override_text(slot)) return PathText(over->substr(0, room));
    return registry_value(value_name, room);
}

PathText PathSettings::registry_value(const char* name, std::size_t capacity) {
    std::array<char, 260> working;  // a query that succeeds leaves a NUL within the capacity
    if (capacity > working.size()) capacity = working.size();
    if (capacity == 0) return PathText("");
    if (!key_) key_ = settings::open_ini_key(settings::Access::read);
    const std::span<char> out(working.data(), capacity);
    if (*key_ && os::reg_query_string(key_->get(), name, out)) return PathText(bounded_text(out.data(), capacity));
    return PathText(std::string_view("None").substr(0, capacity - 1));
}

namespace {

using settings::Slot;

bool unset(std::string_view text) { return text.empty() || text == "None"; }

}  // namespace

PathText log_conf_file_path(PathSettings& settings) {
    const std::string_view root = settings.root();
    if (unset(root)) return PathText("0");
    const PathText name = settings.file_name(Slot::log_conf_file, "LogConfFile", 259);
    return unset(name.view()) ? PathText("0") : PathText(root, name.view());
}

PathText phy_conf_file_path(PathSettings& settings) {
    const std::string_view root = settings.root();
    // The name gets what is left of 259 characters after root and separator;
    // a root that leaves no room yields the root and separator alone.
    const std::size_t room = 259 - std::min<std::size_t>(root.size() + 1, 259);
    return PathText(root, settings.file_name(Slot::phy_conf_file, "PhyConfFile", room).view());
}

void GetLogConfFilePath(char* path, std::uint32_t capacity) {
    PathSettings settings;
    copy_text(path, capacity, log_conf_file_path(settings).view());
}

void GetPhyConfFilePath(char* path, std::uint32_t capacity) {
    PathSettings settings;
    copy_text(path, capacity, phy_conf_file_path(settings).view());
}

std::string_view read_entry(std::string_view contents, const char* section, const char* entry, ConfValue& out) {
    // The reader would list names for a null section or entry.
    if (section == nullptr || entry == nullptr) return kNone;
    const std::uint32_t n = profile::get_string(contents, section, entry, "None", out.data(), 259);
    return {out.data(), n};
}

std::string_view word(std::string_view value, int index) {
    const auto piece = named::space_word_at(value, index);
    // A missing word is the empty text "", never a null view.
    return piece ? piece->text : std::string_view("");
}

void hand_over(char* buffer, std::uint32_t capacity, std::string_view text) {
    if (buffer != nullptr) copy_text(buffer, capacity, text);
}

namespace {

// Lookups hold a path in 260 bytes: a longer one is cut to 259 characters.
constexpr std::size_t kPathLength = 259;

// A configuration file's contents, read through the platform the way the
// profile reader reads a file (a bare name is looked for where profile files
// are); empty when the file cannot be read.
std::string_view read_contents(const PathText& path, os::FileBytes& bytes) {
    try {
        // A path of root and name, within the length, is used as it is: only
        // bare names are looked for elsewhere.
        const std::string_view text = path.view();
        const bool as_is = text.size() <= kPathLength && text.find_first_of("\\/") != std::string_view::npos;
        const std::string where = as_is ? std::string() : os::profile_file_path(std::string(text.substr(0, kPathLength)).c_str());
        if (os::file_read(as_is ? path.c_str() : where.c_str(), bytes) == os::ReadStatus::ok) return bytes.view();
    } catch (...) {
        // Out of memory: as for a file that cannot be read.
    }
    return {};
}

}  // namespace

std::string_view Sources::root() {
    if (!root_) root_ = settings_.root();
    return *root_;
}

std::string_view Sources::logical() {
    if (!logical_) logical_ = read_contents(log_conf_file_path(settings_), logical_bytes_);
    return *logical_;
}

std::string_view Sources::physical() {
    if (!physical_) physical_ = read_contents(phy_conf_file_path(settings_), physical_bytes_);
    return *physical_;
}

PathText rooted(Sources& sources, std::string_view value) { return PathText(sources.root(), value); }

std::string_view configuration_entry(Sources& sources, const char* component, ConfValue& out) {
    return read_entry(sources.logical(), "Configuration", component, out);
}

std::string physical_entry_name(Sources& sources, const char* component) {
    ConfValue value;
    return std::string(word(configuration_entry(sources, component, value), 1));
}

std::string_view physical_entry(Sources& sources, const char* component, const std::string& name, ConfValue& out) {
    return read_entry(sources.physical(), component, name.c_str(), out);
}

}  // namespace xq::config
