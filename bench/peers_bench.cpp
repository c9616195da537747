// The peer parsers of bench_files.h, each used the way its own documentation
// shows for reading one value:
//   inih          ini_parse with a handler that keeps the first match; the
//                 packaged inih parses on to the end of the file whatever the
//                 handler returns
//   SimpleIni     CSimpleIniA::LoadFile, then GetValue
//   PropertyTree  boost::property_tree::read_ini, then get_optional
// Section and entry names match without regard to letter case in inih and
// SimpleIni, exactly in PropertyTree; the benchmark files spell them alike.
// SimpleIni compiled in from its header (the packaged header keeps the
// template bodies behind SI_IMPLEMENTATION), without character conversion.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <ini.h>
#include <strings.h>

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <string>

#include "bench_files.h"

namespace xq::bench {
namespace {

struct InihQuery {
    const std::string& section;
    const std::string& entry;
    std::string value;
    bool found = false;
};

int inih_handler(void* user, const char* section, const char* name, const char* value) {
    auto* q = static_cast<InihQuery*>(user);
    if (!q->found && strcasecmp(section, q->section.c_str()) == 0 && strcasecmp(name, q->entry.c_str()) == 0) {
        q->value = value;
        q->found = true;
    }
    return 1;
}

std::string inih_lookup(const std::string& path, const std::string& section, const std::string& entry) {
    InihQuery q{section, entry, {}};
    ini_parse(path.c_str(), inih_handler, &q);  // a line it cannot parse elsewhere does not matter here
    return q.value;
}

std::string simpleini_lookup(const std::string& path, const std::string& section, const std::string& entry) {
    CSimpleIniA ini;
    if (ini.LoadFile(path.c_str()) < 0) return {};
    return ini.GetValue(section.c_str(), entry.c_str(), "");
}

std::string ptree_lookup(const std::string& path, const std::string& section, const std::string& entry) {
    namespace pt = boost::property_tree;
    pt::ptree tree;
    try {
        pt::read_ini(path, tree);
    } catch (const pt::ini_parser_error&) {
        return {};
    }
    // Paths without separator, so that a '.' in a name is part of it.
    const auto found = tree.get_child_optional(pt::ptree::path_type(section, '\0'));
    if (!found) return {};
    return found->get_optional<std::string>(pt::ptree::path_type(entry, '\0')).value_or(std::string());
}

const Peer kPeers[] = {{"inih", inih_lookup}, {"SimpleIni", simpleini_lookup}, {"PropertyTree", ptree_lookup}};

}  // namespace

std::span<const Peer> peers() { return kPeers; }

}  // namespace xq::bench
