// Message modules on Linux: the module file format, the library's own
// catalogue under the name "xq_utils.dll", and module files found beside the
// library (here: beside the test program, which has the library linked in).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "status/catalogue.h"
#include "support/reset.h"
#include "support/test_registry.h"
#include "xq_utils.h"

namespace {

namespace fs = std::filesystem;
using xq::resources::parse_messages;
using xq::resources::parse_module;

struct Free {
    void operator()(xq::os::Module* module) const { xq::os::module_free(module); }
};
using Module = std::unique_ptr<xq::os::Module, Free>;

Module load(const std::string& name) { return Module(xq::os::module_load(name.c_str())); }

// String `id` of `module` read into `capacity` bytes; "" for 0 characters.
std::string string_of(const Module& module, unsigned id, std::size_t capacity = 261) {
    std::string out(capacity, 'z');
    const std::size_t length = xq::os::module_string(module.get(), id, out);
    // At `capacity` the index would read the string's own terminator.
    EXPECT_EQ(length < capacity ? out[length] : 'z', '\0') << "unterminated within " << capacity;
    return out.substr(0, length);
}

fs::path program_directory() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// A file beside the test program for the length of one test.
class FileBesideProgram {
public:
    FileBesideProgram(const std::string& name, const std::string& bytes) : path_(program_directory() / name) {
        xq::test::write_bytes(path_.string(), bytes);
    }
    ~FileBesideProgram() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    FileBesideProgram(const FileBesideProgram&) = delete;
    FileBesideProgram& operator=(const FileBesideProgram&) = delete;

private:
    fs::path path_;
};

std::string module_bytes(const std::string& lines) { return std::string(xq::resources::kModuleMagic) + "\n" + lines; }

// A name no other test program running at the same time uses.
std::string unique(const std::string& stem) { return stem + std::to_string(::getpid()) + ".dll"; }

TEST(MessageFile, ParsesCodesTextsAndEscapes) {
    const auto messages = parse_messages(
        "# comment\n\n18\tFile %s.\r\n7\ta\\\\b\\tc\\nd\n00009\t\n65535\tlast # not a comment\n60000\tno final LF");
    ASSERT_TRUE(messages.has_value());
    const std::pair<unsigned, std::string> expected[] = {
        {7, "a\\b\tc\nd"}, {9, ""}, {18, "File %s."}, {60000, "no final LF"}, {65535, "last # not a comment"}};
    ASSERT_EQ(messages->size(), std::size(expected));
    for (std::size_t i = 0; i < messages->size(); ++i) {
        EXPECT_EQ((*messages)[i].code, expected[i].first);
        EXPECT_EQ((*messages)[i].text, expected[i].second);
    }
    EXPECT_EQ(xq::resources::find_message(*messages, 8), nullptr);
}

TEST(MessageFile, RefusesMalformedInput) {
    const std::string cases[] = {
        "18 no tab",         "\tno code",     "65536\ttoo big", "123456\tsix digits", "-1\tsigned",
        "+1\tsigned",        " 1\tblank",     "1a\tletters",    "1\tbad \\x escape",  "1\tlone \\",
        "1\ta\n1\trepeated", "1\tok\n \n",    "1\ta\rb",        "1\ta\r\r\n",         std::string("1\ta\0b", 5),
    };
    for (const auto& bytes : cases) EXPECT_FALSE(parse_messages(bytes).has_value()) << bytes;
    EXPECT_TRUE(parse_module(std::string(xq::resources::kModuleMagic) + "\r\n1\ta\r\n").has_value());
    for (const std::string bytes : {"1\ta\n", "", "XQ_UTILS MESSAGES 2\n1\ta\n", "# XQ_UTILS MESSAGES 1\n"}) {
        EXPECT_FALSE(parse_module(bytes).has_value()) << "no magic line: " << bytes;
    }
}

// Names that Linux refuses besides those in modules_test.cpp.
TEST(Modules, OnlyNamesInTheLibraryDirectory) {
    const std::string beside = (program_directory() / "xq_utGER.DLL").string();
    for (const std::string name : {"xq_utils.dl", "../bin/xq_utGER.DLL", beside.c_str()}) {
        EXPECT_EQ(load(name).get(), nullptr) << name;
    }
}

TEST(Modules, ModuleFilesMatchInAnyCaseAndMustBeWellFormed) {
    const std::string name = unique("Xq_UtCase");
    const FileBesideProgram file(name, module_bytes("18\tDatei %s fehlt.\n"));
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(string_of(load(upper), 18), "Datei %s fehlt.");

    struct Case {
        const char* label;
        std::string bytes;
    } refused[] = {
        {"no magic line", "18\tx\n"},
        {"malformed line", module_bytes("18\tx\nnonsense\n")},
        {"larger than 1 MiB", module_bytes(std::string(std::size_t{1} << 20, '\n'))},
    };
    for (const auto& c : refused) {
        const std::string bad = unique("xq_utbad");
        const FileBesideProgram bad_file(bad, c.bytes);
        EXPECT_EQ(load(bad).get(), nullptr) << c.label;
    }
    const std::string directory = unique("xq_utdir");
    fs::create_directory(program_directory() / directory);
    EXPECT_EQ(load(directory).get(), nullptr) << "a directory";
    fs::remove(program_directory() / directory);
}

// The whole chain with modules of made-up languages beside the library.
TEST(LanguageModuleFiles, UsedAsTheyAreOrReplacedByTheOwnCatalogue) {
    xq::test::reset_library_state();
    const FileBesideProgram good("xq_utQ1X.DLL", module_bytes("18\tfichier %s absent\n"));
    const FileBesideProgram bad("xq_utQ2X.DLL", "18\tfichier %s absent\n");
    const auto report = [](const char* lang, int32_t code) {
        xq::test::registry_install("4.1", {{"Lang", lang}});
        int32_t flag = 0;
        StatusRecord record{};
        SetError(&flag, 0, 3, code, "f", nullptr, nullptr, &record);
        return std::string(record.Text);
    };
    EXPECT_EQ(report("Q1X", 18), "fichier f absent");
    EXPECT_EQ(report("Q1X", 15), "") << "a loaded module without the text nor 60000 gives the empty text";
    EXPECT_EQ(report("Q2X", 18), "File f could not be found.") << "a module that does not parse";
}

}  // namespace
