// The tool's frame: usage errors, help, and the message catalogue.
#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"
#include "tool_test.h"

namespace xqutil::test {
namespace {

const std::vector<std::string> kCommands = {"settings", "get", "pos", "set", "copy", "message"};

using CliTest = ToolTest;

// The JSON report of message `code` in `language`.
std::string message_json(int code, const std::string& language, const std::string& text) {
    return "{\n  \"origin\": 0,\n  \"class\": 3,\n  \"code\": " + std::to_string(code) + ",\n  \"language\": \"" +
           language + "\",\n  \"text\": \"" + text + "\"\n}\n";
}

TEST_F(CliTest, UsageErrorsSayWhatIsWrong) {
    const std::string cases = "@DIR/cases.ini";
    const Expected rows[] = {
        {{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
        {{"help", "frobnicate"}, 2, "", "unknown command 'frobnicate'"},
        {{"get", cases, "Main"}, 2, "", "missing arguments: expected FILE SECTION ENTRY"},
        {{"pos", cases, "Main", "Plain", "extra"}, 2, "", "too many arguments"},
        {{"message", "13", "a", "b", "c", "d"}, 2, "", "at most 4 arguments"},
        {{"get", cases, "Main", "Plain", "--bogus"}, 2, "", "unknown option '--bogus'"},
        {{"get", cases, "Main", "Plain", "--word"}, 2, "", "--word needs a value"},
        {{"get", cases, "Main", "Plain", "--word=x"}, 2, "", "--word needs a whole number, not 'x'"},
        {{"get", cases, "Main", "Plain", "--word", "0"}, 2, "", "--word must be 1 or more"},
        {{"get", cases, "Main", "Plain", "--word", "99999999999"}, 2, "", "--word is out of range"},
        {{"get", cases, "Main", "Plain", "--word", "1", "--int"}, 2, "", "give only one of"},
        {{"get", cases, "Main", "Plain", "--word", "1", "--word", "2"}, 2, "", "--word is given twice"},
        {{"settings", "--json=yes"}, 2, "", "--json takes no value"},
        {{"settings", "--lang", "fr"}, 2, "", "--lang takes ENG or GER, not 'fr'", Wine::run},
        {{"settings", "--root", std::string(260, 'r')}, 2, "", "--root takes at most 259 characters; this one has 260"},
        {{"message", "x"}, 2, "", "CODE needs a whole number"},
        {{"message", "65536"}, 2, "", "CODE must be from 0 to 65535"},
        {{"set", cases, "Main", "Speed", "1.5", "--int"}, 2, "", "VALUE needs a whole number"},
        {{"set", cases, "Main", "List", "a b", "--word", "1"}, 2, "", "may not be empty or hold blanks"},
        {{"set", cases, "Main", "List", "a", "--force"}, 2, "", "--force goes with --field"},
    };
    for (const Expected& row : rows) expect(row);
    if (!runs_here(Wine::skip)) return;
    const ToolResult bare = run({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("usage: xqutil COMMAND"), std::string::npos);
}

// With --json every failure is one object on standard output, a report made
// before the failure included, and the text on standard error.
TEST_F(CliTest, FailuresAreJsonForScripts) {
    const auto error = [](int code, const std::string& message, const std::string& command) {
        return "  \"error\": {\n    \"code\": " + std::to_string(code) + ",\n    \"message\": \"" + message + "\"" +
               (command.empty() ? "" : ",\n    \"command\": \"" + command + "\"") + "\n  }\n}\n";
    };
    const std::string gone = "no value for entry 'Plain' in section [Other] of '@DIR/cases.ini' (missing or empty)";
    const Expected rows[] = {
        {{"--json", "settings"}, 2, "{\n" + error(2, "options come after the command: '--json'", ""),
         "options come after the command: '--json'"},
        {{"get", "@DIR/cases.ini", "Other", "Plain", "--json"},
         1,
         "{\n" + error(1, json_text(expand(gone)), "get"),
         gone,
         Wine::run},
        {{"get", "@DIR/cases.ini", "Main", "Plain", "--word", "0", "--json"}, 2,
         "{\n" + error(2, "--word must be 1 or more, not '0'", "get"), "--word must be 1 or more"},
        {{"message", "34", "--lang", "ENG", "--json"}, 1,
         "{\n  \"origin\": 0,\n  \"class\": 3,\n  \"code\": 34,\n  \"language\": \"ENG\",\n  \"text\": \"No error "
         "text found.\",\n" + error(1, "the catalogue has no text for code 34; the text above stands in", "message"),
         "no text for code 34"},
    };
    for (const Expected& row : rows) expect(row);
}

TEST_F(CliTest, EveryCommandHasHelp) {
    const ToolResult overview = run({"--help"});
    EXPECT_EQ(overview.status, 0);
    for (const std::string& command : kCommands) {
        SCOPED_TRACE(command);
        EXPECT_NE(overview.out.find("\n  " + command + " "), std::string::npos);
        if (!runs_here(Wine::skip)) continue;
        const ToolResult help = run({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with("usage: xqutil " + command)) << help.out;
        EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
        EXPECT_NE(help.out.find("--json"), std::string::npos);
        EXPECT_EQ(run({"help", command}).out, help.out);
        // Help comes before every other check of the command line.
        EXPECT_EQ(run({command, "-h", "too", "many", "arguments", "for", "any"}).status, 0);
    }
}

TEST_F(CliTest, MessagesAsSetErrorFormatsThem) {
    const Expected rows[] = {
        {{"message", "18", "foo.ini"}, 0, "File foo.ini could not be found.\n", ""},
        {{"message", "13", "E", "S", "F"}, 0, "Could not find entry E in section S of file F.\n", ""},
        {{"message", "13"}, 0, "Could not find entry %s in section %s of file %s.\n", ""},
        {{"message", "13", "E"}, 0, "Could not find entry E in section  of file .\n", ""},
        {{"message", "60000"}, 0, "No error text found.\n", ""},
        {{"message", "34"}, 1, "No error text found.\n", "no text for code 34", Wine::run},
        {{"message", "0", "--lang", "ENG", "--json"}, 0, message_json(0, "ENG", "There was no error detected."), ""},
    };
    for (const Expected& row : rows) expect(row);
}

TEST_F(CliTest, GermanTextsAreValidJson) {
#ifdef _WIN32
    const std::string text = "Nicht gen\xC3\xBCgend Arbeitsspeicher.";  // the ANSI byte as UTF-8
#else
    const std::string text = "Nicht gen\xC3\xBCgend Arbeitsspeicher.";  // UTF-8, as it stands
#endif
    // Language codes in any letter case; with the module there, no warning.
    expect({{"message", "1", "--lang", "ger", "--json"}, 0, message_json(1, "GER", text), "", Wine::run});
}

#ifndef _WIN32
// The library looks for a language module beside itself: a copy of it alone
// in a directory, loaded first through LD_LIBRARY_PATH, finds none, gives
// English, and the tool says so.
TEST_F(CliTest, MissingLanguageModuleIsReported) {
    namespace fs = std::filesystem;
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const xq::test::TempDirectory lone;
    fs::copy_file(bin / "libxq_utils.so.4", lone.path() / "libxq_utils.so.4");
    const char* saved = std::getenv("LD_LIBRARY_PATH");
    const std::string before = saved != nullptr ? saved : "";
    setenv("LD_LIBRARY_PATH", lone.path().c_str(), 1);
    const ToolResult result = run_tool({"message", "1", "--lang", "GER"});
    if (saved != nullptr)
        setenv("LD_LIBRARY_PATH", before.c_str(), 1);
    else
        unsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Not enough memory.\n");
    EXPECT_NE(result.err.find("the language module of GER is missing"), std::string::npos) << result.err;
    // With the module beside the library, no warning.
    EXPECT_EQ(run_tool({"message", "1", "--lang", "GER"}).err, "");
}
#endif

}  // namespace
}  // namespace xqutil::test
