#include "installation_test.h"

#include <filesystem>

#include "support/file_bytes.h"
#include "support/test_registry.h"

namespace xqutil::test {

void InstallationTest::SetUp() {
    ToolTest::SetUp();
    restore();
}

void InstallationTest::restore() const {
    std::filesystem::copy(std::filesystem::path(XQ_EXAMPLES_DIR) / "installation", dir(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    xq::test::registry_install(
        "4.1",
        {{"VortaRoot", dir()}, {"Lang", "ENG"}, {"LogConfFile", "logical.ini"}, {"PhyConfFile", "physical.ini"}});
}

void InstallationTest::edit(const std::vector<Edit>& edits) const {
    for (const Edit& e : edits) {
        std::string bytes = xq::test::read_bytes(file(e.file));
        const std::size_t at = bytes.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.from << " in " << e.file;
        write(e.file, bytes.replace(at, e.from.size(), e.to));
    }
}

void InstallationTest::remove(const std::string& name) const { std::filesystem::remove(file(name)); }

std::string lines(const std::vector<std::string>& each) {
    std::string out;
    for (const std::string& line : each) out += line + "\n";
    return out;
}

}  // namespace xqutil::test
