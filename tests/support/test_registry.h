// Test control over the settings store the library reads: a registry file on
// Linux, the run's throw-away Wine registry on Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace xq::test {

using Values = std::vector<std::pair<std::string, std::string>>;

// Removes the maker's key ("SOFTWARE\Brenvik") and everything below it.
void registry_clear();

// registry_clear(), then creates the product key with "CurrentVersion" =
// `version`, the version key and its "Ini" key holding `ini` as string values.
void registry_install(const std::string& version, const Values& ini);

// registry_clear(), then creates only the product key, with `values`
// (for a missing "CurrentVersion" or a version key that does not exist).
void registry_install_product_only(const Values& values);

// The Ini key's string value `name` of `version`, or nullopt when absent.
std::optional<std::string> registry_get(const std::string& version, const std::string& name);

}  // namespace xq::test
