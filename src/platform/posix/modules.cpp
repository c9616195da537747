// Message modules on Linux. The name "xq_utils.dll" stands for the catalogue
// compiled into the library; any other name is a message file of that name
// (letter case aside) in the directory the library was loaded from, or the
// program's directory when the library is linked into the program. Only that
// directory is searched, so a name can never lead anywhere else.
#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/posix/fd.h"
#include "status/catalogue.h"

namespace xq::os {

struct Module {
    bool own = false;                             // the library's own catalogue
    std::vector<resources::MessageText> texts;    // else a module file's texts
};

namespace {

constexpr std::string_view kOwnCatalogue = "xq_utils.dll";
// A message file larger than this is not a message module.
constexpr std::size_t kMaxModuleBytes = std::size_t{1} << 20;
constexpr unsigned kMaxStringId = 0xFFFF;

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal names, ASCII letters compared without regard to case.
bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

std::string directory_of(std::string_view file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string_view::npos) return ".";
    return slash == 0 ? std::string("/") : std::string(file.substr(0, slash));
}

// The directory of the file this code was loaded from.
std::optional<std::string> library_directory() {
    Dl_info info{};
    link_map* map = nullptr;
    const auto* self = reinterpret_cast<const void*>(&library_directory);
    if (dladdr1(self, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map == nullptr) {
        return std::nullopt;
    }
    if (map->l_name != nullptr && map->l_name[0] != '\0') return directory_of(map->l_name);
    // The program itself: its link map has no name.
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof program) return std::nullopt;
    return directory_of(std::string_view(program, static_cast<std::size_t>(length)));
}

// The entry of `directory` named `name` without regard to case; an entry of
// exactly that name wins, else the first match in byte order.
std::optional<std::string> find_entry(const std::string& directory, std::string_view name) {
    DIR* listing = ::opendir(directory.c_str());
    if (listing == nullptr) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view candidate = entry->d_name;
        if (!same_name(candidate, name)) continue;
        if (candidate == name) {
            best = std::string(candidate);
            break;
        }
        if (!best || candidate < *best) best = std::string(candidate);
    }
    ::closedir(listing);
    if (!best) return std::nullopt;
    return directory + "/" + *best;
}

// A regular file of at most kMaxModuleBytes, read whole.
std::optional<std::string> read_module_file(const std::string& path) {
    posix::Fd fd = posix::open_for_reading(path);
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::size_t>(status.st_size) > kMaxModuleBytes) {
        return std::nullopt;
    }
    std::string bytes;
    if (!posix::read_all(fd.get(), bytes) || bytes.size() > kMaxModuleBytes) return std::nullopt;
    return bytes;
}

Module* load_module_file(std::string_view name) {
    const auto directory = library_directory();
    const auto path = directory ? find_entry(*directory, name) : std::nullopt;
    const auto bytes = path ? read_module_file(*path) : std::nullopt;
    auto texts = bytes ? resources::parse_module(*bytes) : std::nullopt;
    if (!texts) return nullptr;
    return new Module{false, std::move(*texts)};
}

std::optional<std::string_view> text_of(const Module& module, unsigned id) {
    if (module.own) {
        const auto* message = resources::find_own_message(id);
        return message != nullptr ? std::optional(message->text) : std::nullopt;
    }
    const auto* message = resources::find_message(module.texts, id);
    return message != nullptr ? std::optional<std::string_view>(message->text) : std::nullopt;
}

}  // namespace

Module* module_load(const char* name) {
    if (fault_point(Op::module_load)) return nullptr;
    if (name == nullptr) return nullptr;
    try {
        if (same_name(name, kOwnCatalogue)) return new Module{true, {}};
        return load_module_file(name);
    } catch (...) {
        return nullptr;
    }
}

std::size_t module_string(Module* module, unsigned id, std::span<char> out) {
    const bool fail = fault_point(Op::module_string);
    if (out.empty()) return 0;
    out[0] = '\0';
    // A null module is the program's own resources, which a Linux program has none of.
    if (fail || module == nullptr || id > kMaxStringId) return 0;
    const auto text = text_of(*module, id);
    if (!text) return 0;
    const std::size_t n = std::min(text->size(), out.size() - 1);
    std::memcpy(out.data(), text->data(), n);
    out[n] = '\0';
    return n;
}

void module_free(Module* module) { delete module; }

}  // namespace xq::os
