// The settings store for tests on Linux: a registry file of this process,
// named through XQ_UTILS_REGISTRY, rewritten whole by each call here.
#include "support/test_registry.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/posix/regfile_export.h"
#include "platform/regfile/regfile.h"
#include "support/file_bytes.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
namespace rf = xq::regfile;

constexpr const char* kMakerKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik";
constexpr const char* kProductKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK";

// The file of this process; removed when the test program ends.
class StoreFile {
public:
    StoreFile()
        : path_(fs::temp_directory_path() / ("xq_utils_registry_" + std::to_string(::getpid()) + ".reg")) {}
    ~StoreFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // Points the library at the file (again: a test may have pointed it elsewhere).
    const fs::path& use() const {
        ::setenv("XQ_UTILS_REGISTRY", path_.c_str(), 1);
        return path_;
    }

private:
    fs::path path_;
};

const fs::path& store_path() {
    static const StoreFile file;
    return file.use();
}

// A missing file reads as "<missing>": no registry file, no keys.
rf::Registry load() { return rf::parse(read_bytes(store_path().string())).registry; }

void save(const rf::Registry& registry) {
    const std::string bytes = rf::export_file(registry, rf::Format::version5);
    std::ofstream out(store_path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write the test registry");
}

std::string sz(const std::string& text) { return rf::to_le_bytes(rf::utf8_to_utf16(text) + u'\0'); }

std::string ini_key(const std::string& version) { return std::string(kProductKey) + "\\" + version + "\\Ini"; }

void set_strings(rf::Key& key, const Values& values) {
    for (const auto& [name, text] : values) key.set(name, rf::kRegSz, sz(text));
}

}  // namespace

void registry_clear() {
    rf::Registry registry = load();
    registry.remove(kMakerKey);
    save(registry);
}

void registry_install(const std::string& version, const Values& ini) {
    rf::Registry registry = load();
    registry.remove(kMakerKey);
    set_strings(registry.create(kProductKey), {{"CurrentVersion", version}});
    set_strings(registry.create(ini_key(version)), ini);
    save(registry);
}

void registry_install_product_only(const Values& values) {
    rf::Registry registry = load();
    registry.remove(kMakerKey);
    set_strings(registry.create(kProductKey), values);
    save(registry);
}

void registry_set_raw(const std::string& version, const std::string& name, const std::string& bytes) {
    rf::Registry registry = load();
    registry.create(ini_key(version)).set(name, rf::kRegBinary, bytes);
    save(registry);
}

std::optional<std::string> registry_get(const std::string& version, const std::string& name) {
    const rf::Registry registry = load();
    const rf::Key* key = registry.find(ini_key(version));
    const rf::Value* value = key != nullptr ? key->find(name) : nullptr;
    if (value == nullptr) return std::nullopt;
    const std::string bytes = rf::query_bytes(*value);
    return bytes.substr(0, bytes.find('\0'));
}

}  // namespace xq::test
