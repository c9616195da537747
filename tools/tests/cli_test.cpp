// The tool's frame: command lines, help and manual page, messages, settings.
#include <cstdlib>
#include <set>

#include "tool_test.h"

namespace xqutil::test {
namespace {

using Cli = ToolTest;

TEST_F(Cli, BadCommandLinesExitWith2AndSayWhy) {
    const std::string c = "@DIR/cases.ini", t = "@DIR/data/focusglobal.ini";
    const Expected rows[] = {
        {{}, 2, "", "usage: xqutil COMMAND"},
        {{"tabel"}, 2, "", "unknown command 'tabel'; did you mean 'table'?"},
        {{"get", c, "Main"}, 2, "", "missing arguments: expected FILE SECTION ENTRY"},
        {{"message", "13", "a", "b", "c", "d"}, 2, "", "at most 4 arguments"},
        {{"get", c, "Main", "Plain", "--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"get", c, "Main", "Plain", "--word=x"}, 2, "", "--word needs a whole number, not 'x'"},
        {{"get", c, "Main", "Plain", "--word", "99999999999"}, 2, "", "--word is out of range"},
        {{"get", c, "Main", "Plain", "--word", "1", "--int"}, 2, "", "give only one of"},
        {{"get", c, "Table", "%" + std::string(39, 'P'), "--array", "1", "--column", "1"}, 2, "", "39 characters"},
        {{"settings", "--lang", "fr"}, 2, "", "--lang takes ENG or GER, not 'fr'", true},
        {{"settings", "--root", std::string(260, 'r')}, 2, "", "--root takes at most 259 characters; this one has 260"},
        {{"set", c, "Main", "List", "a b", "--word", "1"}, 2, "", "may not be empty or hold blanks"},
        {{"set", c, "Main", "List", "a", "--force"}, 2, "", "--force goes with --field"},
        {{"check", "--table", c}, 2, "", "--table needs FILE SECTION (pairs of them)"},
        {{"convert", t, "FocusGlobal", "Focus"}, 2, "", "give one of --to-phy VALUE and --to-log VALUE"},
        // With --json a failure is also one object on standard output.
        {{"get", c, "Main", "Plain", "--word", "0", "--json"}, 2, "{\n  \"error\": {\n    \"code\": 2,\n    \"message\": "
         "\"--word must be 1 or more, not '0'\",\n    \"command\": \"get\"\n  }\n}\n", "--word must be 1 or more"},
    };
    for (const Expected& row : rows) expect(row);
}

#ifndef _WIN32
// The names that follow `lead` in `text` (runs of lower-case letters and '-').
std::set<std::string> names_after(const std::string& text, const std::string& lead) {
    std::set<std::string> names;
    for (std::size_t at = text.find(lead); at != std::string::npos; at = text.find(lead, at + 1)) {
        const std::size_t start = at + lead.size(), end = text.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", start);
        if (end != start) names.insert(text.substr(start, end - start));
    }
    return names;
}

// Every command has help, reached before any other check of its command line;
// the manual page lists the same commands and options as the help, and the
// completion's options taking a value are options of the tool.
TEST_F(Cli, HelpManualAndCompletionAgree) {
    std::string help = run({"--help"}).out;
    const std::size_t list = help.find("Commands:");
    const std::set<std::string> commands = names_after(help.substr(list, help.find("\n\n", list) - list), "\n  ");
    ASSERT_EQ(commands.size(), 13u) << help;
    for (const std::string& command : commands) {
        const ToolResult own = run({command, "--help"});
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_EQ(own.out.substr(0, own.out.find_first_of(" \n", 14)), "usage: xqutil " + command);
        EXPECT_NE(own.out.find("\nExit status: 0"), std::string::npos) << own.out;
        EXPECT_EQ(run({"help", command}).out, own.out);
        EXPECT_EQ(run({command, "-h", "too", "many", "arguments", "for", "any"}).out, own.out);
        help += own.out;
    }
    std::string page = xq::test::read_bytes(XQUTIL_MAN_PAGE);
    for (std::size_t at = page.find("\\-"); at != std::string::npos; at = page.find("\\-", at)) page.erase(at, 1);
    const std::size_t start = page.find(".SH COMMANDS");
    const std::string section = page.substr(start, page.find(".SH OPTIONS") - start);
    std::set<std::string> listed = names_after(section, ".TP\n.B ");
    listed.merge(names_after(section, ".TP\n.BI "));
    EXPECT_EQ(listed, commands);
    EXPECT_EQ(names_after(page, "--"), names_after(help, "--"));
    const std::filesystem::path completion_file = std::filesystem::path(XQUTIL_MAN_PAGE).replace_filename("bash-completion");
    const std::string completion = xq::test::read_bytes((completion_file / "xqutil").string());
    const std::string valued = completion.substr(completion.find("_xqutil_valued='"), 200);
    for (const std::string& option : names_after(valued.substr(0, valued.find('\n')), "--"))
        EXPECT_TRUE(names_after(help, "--").contains(option)) << option;
}

// The library looks for its language module beside itself: a copy of it alone
// in a directory, loaded first, finds none and gives English, and the tool says so.
TEST_F(Cli, MissingLanguageModuleIsReported) {
    std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libxq_utils.so.4",
                               file("libxq_utils.so.4"));
    const std::string saved = std::getenv("LD_LIBRARY_PATH") != nullptr ? std::getenv("LD_LIBRARY_PATH") : "";
    ::setenv("LD_LIBRARY_PATH", dir().c_str(), 1);
    const ToolResult alone = run({"message", "1", "--lang", "GER"});
    ::setenv("LD_LIBRARY_PATH", saved.c_str(), 1);
    EXPECT_EQ(alone.status, 0);
    EXPECT_EQ(alone.out, "Not enough memory.\n");
    EXPECT_NE(alone.err.find("the language module of GER is missing"), std::string::npos) << alone.err;
}
#endif

TEST_F(Cli, MessagesAndSettingsAreShownAsTheLibraryGivesThem) {
    const std::string json = "{\n  \"origin\": 0,\n  \"class\": 3,\n  \"code\": ";
    const std::string key = "Registry key:          HKEY_LOCAL_MACHINE\\SOFTWARE\\Brenvik\\Vorta XQ SDK\n";
    const Expected rows[] = {
        {{"message", "13", "E", "S", "F"}, 0, "Could not find entry E in section S of file F.\n", ""},
        {{"message", "60000"}, 0, "No error text found.\n", ""},
        // Language codes in any letter case; German texts as valid UTF-8 JSON, also from ANSI on Windows.
        {{"message", "1", "--lang", "ger", "--json"}, 0,
         json + "1,\n  \"language\": \"GER\",\n  \"text\": \"Nicht gen\xC3\xBCgend Arbeitsspeicher.\"\n}\n", "", true},
        {{"message", "34", "--json"}, 1, json + "34,\n  \"language\": \"ENG\",\n  \"text\": \"No error text found.\",\n"
         "  \"error\": {\n    \"code\": 1,\n    \"message\": \"the catalogue has no text for code 34; the text above stands "
         "in\",\n    \"command\": \"message\"\n  }\n}\n", "no text for code 34", true},
        {{"settings"}, 0, "Root directory:        @DIR\nLanguage:              ENG\nFirst setup:           no\nLogical "
         "config file:   logical.ini\nPhysical config file:  physical.ini\nLogical config path:   @DIR@/logical.ini\n"
         "Physical config path:  @DIR@/physical.ini\nKit version:           4.1\n" + key, "", true, true},
        {{"settings", "--root", "@DIR/other", "--log-conf", "a.ini", "--lang", "GER"}, 0, "Root directory:        "
         "@DIR/other  (from --root)\nLanguage:              GER  (from --lang)\nFirst setup:           no\nLogical "
         "config file:   a.ini  (from --log-conf)\nPhysical config file:  physical.ini\nLogical config path:   "
         "@DIR/other@/a.ini\nPhysical config path:  @DIR/other@/physical.ini\n", "", false, true},
    };
    for (const Expected& row : rows) expect(row);
    xq::test::registry_install("4.1", {{"Lang", "GER"}, {"FirstSetup", "TRUE"}});
    expect({{"settings"}, 1, "Root directory:        not set\nLanguage:              GER\nFirst setup:           yes\n"
            "Logical config file:   not set\nPhysical config file:  not set\nLogical config path:   not set\nPhysical "
            "config path:  not set\nKit version:           4.1\n" + key, "no root directory is configured", true, true});
    expect({{"settings", "--json"}, 1, "{\n  \"root\": null,\n  \"language\": \"GER\",\n  \"first_setup\": true,\n",
            "no root directory", false, true});
#ifndef _WIN32
    ::setenv("XQ_UTILS_REGISTRY", file("missing.reg").c_str(), 1);
    expect({{"settings"}, 1, "Registry file:         @DIR/missing.reg  (from XQ_UTILS_REGISTRY; does not exist)\n",
            "no root directory", false, true});
    expect({{"settings", "--json"}, 1, "\"registry_file_exists\": false", "no root directory", false, true});
#endif
}

}  // namespace
}  // namespace xqutil::test
