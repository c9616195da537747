// The test registry on Windows: the real HKEY_LOCAL_MACHINE of the run's
// throw-away Wine prefix.
#include "support/test_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace xq::test {
namespace {

constexpr const char* kMakerKey = "SOFTWARE\\Brenvik";
constexpr const char* kProductKey = "SOFTWARE\\Brenvik\\Vorta XQ SDK";

std::string ini_key(const std::string& version) { return std::string(kProductKey) + "\\" + version + "\\Ini"; }

// Owns an open key.
class Key {
public:
    explicit Key(HKEY key) : key_(key) {}
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

// Creates (or opens) `path` below HKEY_LOCAL_MACHINE for writing.
Key create_key(const std::string& path) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &key, nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "creating HKLM\\" << path;
    return Key(status == ERROR_SUCCESS ? key : nullptr);
}

void set_value(const Key& key, const std::string& name, DWORD type, const std::string& bytes) {
    if (key.get() == nullptr) return;
    const LSTATUS status = RegSetValueExA(key.get(), name.c_str(), 0, type,
                                          reinterpret_cast<const BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()));
    EXPECT_EQ(status, ERROR_SUCCESS) << "setting " << name;
}

// A string value as the library writes it: text plus terminator.
void set_string(const Key& key, const std::string& name, const std::string& text) {
    set_value(key, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

}  // namespace

void registry_clear() {
    const LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMakerKey);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMakerKey);  // in case the tree call kept the key
        return;
    }
    ADD_FAILURE() << "clearing HKLM\\" << kMakerKey << ": error " << status;
}

void registry_install(const std::string& version, const Values& ini) {
    registry_clear();
    {
        const Key product = create_key(kProductKey);
        set_string(product, "CurrentVersion", version);
    }
    const Key settings = create_key(ini_key(version));
    for (const auto& [name, text] : ini) set_string(settings, name, text);
}

void registry_install_product_only(const Values& values) {
    registry_clear();
    const Key product = create_key(kProductKey);
    for (const auto& [name, text] : values) set_string(product, name, text);
}

void registry_set_raw(const std::string& version, const std::string& name, const std::string& bytes) {
    const Key settings = create_key(ini_key(version));
    set_value(settings, name, REG_BINARY, bytes);
}

std::optional<std::string> registry_get(const std::string& version, const std::string& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ini_key(version).c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const Key settings(raw);
    DWORD size = 0;
    if (RegQueryValueExA(settings.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    if (RegQueryValueExA(settings.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    return bytes;
}

}  // namespace xq::test
