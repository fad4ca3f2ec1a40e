// The files of examples/pestpp work as an external run manager uses them:
// its template values.tpl, filled with a trial value, gives the replacement
// values file the project reads; the command of its control file runs the
// model; its instruction file reads every observation of the control file
// from the six-decimal hydrograph. The run manager's side is done here by a
// small filler and reader of the template and instruction conventions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;
namespace fs = std::filesystem;

namespace
{

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

std::string trim(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The lines of one "* section" of the control file.
std::vector<std::string> section(const std::vector<std::string>& pst, const std::string& name)
{
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& l : pst) {
        if (!l.empty() && l[0] == '*') {
            in = trim(l.substr(1)) == name;
            continue;
        }
        if (in && !trim(l).empty()) out.push_back(l);
    }
    return out;
}

// Fills each field of a template (delimited by the marker of its "ptf"
// line) with the parameter's value, right-aligned in the field's width.
std::string fill_template(const std::string& tpl, const std::map<std::string, double>& values)
{
    const std::vector<std::string> lines = lines_of(tpl);
    EXPECT_EQ(lines.at(0).rfind("ptf ", 0), 0u);
    const char marker = lines.at(0).at(4);
    std::string out;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string l = lines[i];
        for (std::size_t a = l.find(marker); a != std::string::npos; a = l.find(marker, a + 1)) {
            const std::size_t b = l.find(marker, a + 1);
            if (b == std::string::npos) {
                ADD_FAILURE() << "unclosed field: " << l;
                break;
            }
            const std::string name = trim(l.substr(a + 1, b - a - 1));
            const int width = static_cast<int>(b - a + 1);
            EXPECT_TRUE(values.count(name)) << name;
            std::ostringstream v;
            v << std::setw(width) << std::setprecision(width - 7) << values.at(name);
            const std::string text = v.str();
            EXPECT_EQ(static_cast<int>(text.size()), width);
            l.replace(a, b - a + 1, text);
            a += text.size() - 1;
        }
        out += l + "\n";
    }
    return out;
}

// Reads a model output file through an instruction file: "lN" moves down N
// lines, "w" moves past the next run of blanks, "!name!" reads the number
// at the cursor.
std::map<std::string, double> read_by_instructions(const std::string& ins, const std::string& output)
{
    const std::vector<std::string> ilines = lines_of(ins);
    EXPECT_EQ(ilines.at(0).rfind("pif ", 0), 0u);
    const std::vector<std::string> out = lines_of(output);
    std::map<std::string, double> read;
    long line = -1;
    std::size_t pos = 0;
    for (std::size_t i = 1; i < ilines.size(); ++i) {
        std::istringstream words(ilines[i]);
        for (std::string w; words >> w;) {
            if (w[0] == 'l') {
                line += std::stol(w.substr(1));
                pos = 0;
                EXPECT_LT(line, static_cast<long>(out.size())) << ilines[i];
            } else if (w == "w") {
                const std::string& l = out.at(static_cast<std::size_t>(line));
                while (pos < l.size() && l[pos] != ' ') ++pos;
                while (pos < l.size() && l[pos] == ' ') ++pos;
            } else if (w.front() == '!' && w.back() == '!') {
                const std::string& l = out.at(static_cast<std::size_t>(line));
                std::size_t used = 0;
                read[w.substr(1, w.size() - 2)] = std::stod(l.substr(pos), &used);
                pos += used;
            } else {
                ADD_FAILURE() << "instruction not used by the example: " << w;
            }
        }
    }
    return read;
}

struct trial {
    std::map<std::string, double> observed; // from the control file
    std::map<std::string, double> simulated; // read through the instructions
    std::string hydrograph;
};

// One trial as a run manager's agent makes it, in a folder of its own.
trial run_trial(double n)
{
    trial t;
    scratch_dir dir("pestpp_agent");
    for (const auto& f : fs::directory_iterator(std::string(TORVA_EXAMPLES) + "/pestpp"))
        fs::copy(f.path(), fs::path(dir.path()) / f.path().filename());
    const std::vector<std::string> pst = lines_of(read_file(dir.file("case.pst")));
    EXPECT_EQ(pst.at(0), "pcf");

    for (const std::string& l : section(pst, "observation data")) {
        std::istringstream w(l);
        std::string name;
        double v = 0.0;
        w >> name >> v;
        t.observed[name] = v;
    }
    const std::vector<std::string> io = section(pst, "model input/output");
    EXPECT_EQ(io.size(), 2u);
    std::string tpl, input, ins, output;
    std::istringstream(io.at(0)) >> tpl >> input;
    std::istringstream(io.at(1)) >> ins >> output;
    write_file(dir.file(input), fill_template(read_file(dir.file(tpl)), {{"n", n}}));

    const std::vector<std::string> command = section(pst, "model command line");
    EXPECT_EQ(command.size(), 1u);
    const std::string bin = fs::path(torva_exe()).parent_path().string();
    std::string log;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && PATH='" + bin + "':\"$PATH\" OMP_NUM_THREADS=1 " +
                              command.at(0) + " 2>&1",
                          log),
              0)
        << log;
    t.hydrograph = read_file(dir.file(output));
    t.simulated = read_by_instructions(read_file(dir.file(ins)), t.hydrograph);
    return t;
}

} // namespace

// The control file's observations were made with n = 0.05: a trial at that
// value reads every one of them back to the hydrograph's six decimals.
TEST(PestppExample, TemplateAndInstructionsRoundTripThroughTheModel)
{
    const trial t = run_trial(0.05);
    ASSERT_EQ(t.observed.size(), 12u);
    ASSERT_EQ(t.simulated.size(), t.observed.size());
    for (const auto& [name, value] : t.observed) {
        ASSERT_TRUE(t.simulated.count(name)) << name;
        EXPECT_NEAR(t.simulated.at(name), value, 5e-7) << name;
    }
    // Q20 is the fifth row of the hydrograph: time 20.00 and six decimals.
    const std::vector<std::string> rows = lines_of(t.hydrograph);
    ASSERT_EQ(rows.size(), 13u);
    double minute = 0.0, q = 0.0;
    ASSERT_EQ(std::sscanf(rows[4].c_str(), "%lf %lf", &minute, &q), 2);
    EXPECT_EQ(minute, 20.0);
    EXPECT_EQ(t.simulated.at("Q20"), q);
    EXPECT_NE(rows[4].find('.'), std::string::npos);
    EXPECT_EQ(rows[4].size() - rows[4].rfind('.') - 1, 6u) << rows[4];
}

// The trial value reaches the model: a rougher plane delays the rising limb.
TEST(PestppExample, TheTrialValueReachesTheModel)
{
    const trial smooth = run_trial(0.05);
    const trial rough = run_trial(0.1);
    EXPECT_LT(rough.simulated.at("Q10"), 0.7 * smooth.simulated.at("Q10"));
}
