// Every example named in the README's examples table exists and runs with
// the command the table gives, from a copy of the repository's layout with
// the program on PATH; what it writes is ignored by git, so that running the
// examples leaves the work tree clean.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;
namespace fs = std::filesystem;

namespace
{

struct readme_example {
    std::string folder;  // examples/NAME
    std::string command; // as the table gives it, run from the repository root
};

// Rows of the examples table: "| `examples/NAME` | what it shows | `command` |".
// Test names show the folder, not the record's bytes.
void PrintTo(const readme_example& e, std::ostream* os)
{
    *os << e.folder;
}

std::vector<readme_example> readme_examples()
{
    std::vector<readme_example> rows;
    std::istringstream in(read_file(std::string(TORVA_SOURCE_DIR) + "/README.md"));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| `examples/", 0) != 0) continue;
        readme_example e;
        const std::size_t f_end = line.find('`', 3);
        e.folder = line.substr(3, f_end - 3);
        const std::size_t last = line.rfind('`');
        const std::size_t first = line.rfind('`', last - 1);
        if (last == std::string::npos || first == std::string::npos || first <= f_end) continue;
        e.command = line.substr(first + 1, last - first - 1);
        rows.push_back(e);
    }
    return rows;
}

std::set<std::string> files_under(const fs::path& root)
{
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).string());
    return out;
}

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

class ReadmeExample : public ::testing::TestWithParam<readme_example>
{
};

} // namespace

TEST(ReadmeExamples, TheTableListsEveryExampleFolder)
{
    std::set<std::string> listed;
    for (const readme_example& e : readme_examples()) listed.insert(e.folder);
    ASSERT_FALSE(listed.empty()) << "no examples table in README.md";
    for (const auto& d : fs::directory_iterator(TORVA_EXAMPLES)) {
        if (d.is_directory()) {
            EXPECT_TRUE(listed.count("examples/" + d.path().filename().string()))
                << d.path().filename() << " has no line in the README's examples table";
        }
    }
}

TEST_P(ReadmeExample, RunsAsTheReadmeSaysAndLeavesOnlyIgnoredFiles)
{
    const readme_example& e = GetParam();
    const fs::path source = fs::path(TORVA_SOURCE_DIR) / e.folder;
    ASSERT_TRUE(fs::is_directory(source)) << e.folder << " does not exist";

    scratch_dir dir("readme_example");
    const fs::path copy = fs::path(dir.path()) / e.folder;
    fs::create_directories(copy);
    fs::copy(source, copy, fs::copy_options::recursive);
    const std::set<std::string> before = files_under(copy);

    const std::string bin = fs::path(torva_exe()).parent_path().string();
    std::string out;
    const int status = run_command("cd " + quoted(dir.path()) + " && PATH=" + quoted(bin) +
                                       ":\"$PATH\" OMP_NUM_THREADS=2 sh -c " + quoted(e.command) + " 2>&1",
                                   out);
    ASSERT_EQ(status, 0) << e.command << "\n" << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);

    // What the run wrote must be ignored by the repository's .gitignore.
    std::string git;
    if (run_command("git -C " + quoted(TORVA_SOURCE_DIR) + " rev-parse 2>/dev/null", git) != 0)
        GTEST_SKIP() << "the sources are not a git work tree";
    for (const std::string& f : files_under(copy)) {
        if (before.count(f)) continue;
        const std::string path = e.folder + "/" + f;
        EXPECT_EQ(run_command("git -C " + quoted(TORVA_SOURCE_DIR) + " check-ignore -q --no-index " +
                                  quoted(path),
                              git),
                  0)
            << path << " is written by the example but not ignored by .gitignore";
    }
}

INSTANTIATE_TEST_SUITE_P(Readme, ReadmeExample, ::testing::ValuesIn(readme_examples()),
                         [](const ::testing::TestParamInfo<readme_example>& info) {
                             std::string name = info.param.folder.substr(info.param.folder.find('/') + 1);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
