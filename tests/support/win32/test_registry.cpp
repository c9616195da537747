// The test registry on Windows: the real HKEY_LOCAL_MACHINE of the run's
// throw-away Wine prefix.
#include "support/test_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace xq::test {
namespace {

const std::string kMakerKey = "SOFTWARE\\Brenvik", kProductKey = kMakerKey + "\\Vorta XQ SDK";

std::string ini_key(const std::string& version) { return kProductKey + "\\" + version + "\\Ini"; }

// Creates (or opens) `path` below HKEY_LOCAL_MACHINE and sets `values` there:
// strings as the library writes them (text plus terminator).
void set_values(const std::string& path, const Values& values) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS) << "creating HKLM\\" << path;
    for (const auto& [name, text] : values) {
        const DWORD size = static_cast<DWORD>(text.size() + 1);
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), size),
                  ERROR_SUCCESS) << "setting " << name;
    }
    RegCloseKey(key);
}

}  // namespace

void registry_clear() {
    const LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMakerKey.c_str());
    EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << "clearing HKLM\\" << kMakerKey << ": " << status;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMakerKey.c_str());  // in case the tree call kept the key
}

void registry_install(const std::string& version, const Values& ini) {
    registry_install_product_only({{"CurrentVersion", version}});
    set_values(ini_key(version), ini);
}

void registry_install_product_only(const Values& values) {
    registry_clear();
    set_values(kProductKey, values);
}

std::optional<std::string> registry_get(const std::string& version, const std::string& name) {
    char bytes[4096];
    DWORD size = sizeof bytes;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, ini_key(version).c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                     bytes, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(bytes, size > 0 && bytes[size - 1] == '\0' ? size - 1 : size);
}

}  // namespace xq::test
