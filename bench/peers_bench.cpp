// The peer parsers of bench_files.h, each used the way its own documentation
// shows for reading one value:
//   inih          ini_parse with a handler that keeps the first match; the
//                 packaged inih parses on to the end of the file whatever the
//                 handler returns
//   SimpleIni     CSimpleIniA::LoadFile, then GetValue
//   PropertyTree  boost::property_tree::read_ini, then get_optional
// Section and entry names match without regard to letter case in inih and
// SimpleIni, exactly in PropertyTree; the benchmark files spell them alike.
// Each peer is compiled in only when the build found it (XQ_HAVE_<PEER>);
// a missing one keeps its column, marked as not built.
// SimpleIni compiled in from its header (the packaged header keeps the
// template bodies behind SI_IMPLEMENTATION), without character conversion.
#if XQ_HAVE_SIMPLEINI
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#endif
#if XQ_HAVE_INIH
#include <ini.h>
#include <strings.h>
#endif
#if XQ_HAVE_BOOST
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#endif
#include <string>

#include "bench_files.h"

namespace xq::bench {
namespace {

#if XQ_HAVE_INIH
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
#else
constexpr Peer::Lookup inih_lookup = nullptr;
#endif

#if XQ_HAVE_SIMPLEINI
std::string simpleini_lookup(const std::string& path, const std::string& section, const std::string& entry) {
    CSimpleIniA ini;
    if (ini.LoadFile(path.c_str()) < 0) return {};
    return ini.GetValue(section.c_str(), entry.c_str(), "");
}
#else
constexpr Peer::Lookup simpleini_lookup = nullptr;
#endif

#if XQ_HAVE_BOOST

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
#else
constexpr Peer::Lookup ptree_lookup = nullptr;
#endif

const Peer kPeers[] = {{"inih", inih_lookup, "libinih-dev"},
                       {"SimpleIni", simpleini_lookup, "libsimpleini-dev"},
                       {"PropertyTree", ptree_lookup, "libboost-dev"}};

}  // namespace

std::span<const Peer> peers() { return kPeers; }

}  // namespace xq::bench
