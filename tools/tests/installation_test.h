// The frame of the tests of the configuration and table commands: a copy of
// the whole sample installation (configuration files, data files and the
// stand-ins of its programs) under the scratch directory, which the registry
// names as the installation's root.
#pragma once

#include <string>
#include <vector>

#include "tool_test.h"

namespace xqutil::test {

// A change to one file of the installation: `from` (which must occur in it)
// becomes `to`.
struct Edit {
    std::string file;
    std::string from;
    std::string to;
};

class InstallationTest : public ToolTest {
protected:
    void SetUp() override;

    // The sample installation again, as shipped, with the registry naming it.
    void restore() const;
    // Applies the edits to the installation's files, in order.
    void edit(const std::vector<Edit>& edits) const;
    // Removes a file of the installation.
    void remove(const std::string& name) const;
};

// The lines joined, each ended by a line break.
std::string lines(const std::vector<std::string>& each);

}  // namespace xqutil::test
