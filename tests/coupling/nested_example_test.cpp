// Whole runs of the nested example: the parent plane writes the overland
// depths at the inset's boundary cells; the inset, reading them, follows the
// parent's outlet hydrograph and inner depths, while the inset alone drains
// only its own half of the plane.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const example_files[] = {"parent.prj", "parent.msk", "parent.ele", "parent.loc",
                                     "inset.prj",  "inset.msk",  "inset.ele",  "inset.loc"};

void run(const scratch_dir& dir, const std::string& project)
{
    std::string out;
    EXPECT_EQ(
        run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' " + project + " 2>&1",
                    out),
        0)
        << out;
}

// Rows of numbers of a text file.
std::vector<std::vector<double>> rows_of(const std::string& text)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<double> row;
        double v;
        while (words >> v)
            row.push_back(v);
        if (!row.empty())
            rows.push_back(row);
    }
    return rows;
}

double peak(const std::vector<std::vector<double>>& hyd)
{
    double p = 0.0;
    for (const auto& r : hyd)
        p = std::max(p, r[1]);
    return p;
}

} // namespace

TEST(NestedExample, InsetFollowsTheParentThroughItsBoundaryDepths)
{
    scratch_dir dir("nested");
    for (const char* f : example_files)
        write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/nested/" + f));
    run(dir, "parent.prj");
    const std::string xy = read_file(dir.file("parent_ov.xy"));
    // The ring of the 3 x 20 inset: 20 + 2 + 20 cells, numbered as the inset numbers them.
    EXPECT_EQ(xy.substr(0, 15), "XY_OV_DEPTH\n42\n");
    EXPECT_NE(xy.find("DATE       TIME \t         1         2"), std::string::npos);
    EXPECT_NE(xy.find("        20        21        40        41"), std::string::npos);
    EXPECT_EQ(xy.substr(xy.size() - 7), "END_TS\n");
    run(dir, "inset.prj");

    const auto parent = rows_of(read_file(dir.file("parent.otl")));
    const auto inset = rows_of(read_file(dir.file("inset.otl")));
    ASSERT_EQ(parent.size(), inset.size());
    // The plateau is rain rate times the parent's area, 0.1667 m3/s.
    EXPECT_NEAR(peak(parent), 50e-3 / 3600.0 * 400.0 * 30.0, 0.003);
    EXPECT_NEAR(peak(inset), peak(parent), 0.02 * peak(parent));
    double vp = 0.0, vi = 0.0;
    for (size_t k = 0; k < parent.size(); ++k) {
        vp += parent[k][1];
        vi += inset[k][1];
    }
    EXPECT_NEAR(vi, vp, 0.02 * vp);

    // Depths at three inner cells of the inset (shared with the parent) on
    // the plateau, 45 to 90 minutes.
    const auto dp = rows_of(read_file(dir.file("parent.dep")));
    const auto di = rows_of(read_file(dir.file("inset.dep")));
    ASSERT_EQ(dp.size(), di.size());
    for (size_t k = 0; k < dp.size(); ++k) {
        if (dp[k][0] < 45.0 || dp[k][0] > 90.0)
            continue;
        for (int c = 1; c <= 3; ++c)
            EXPECT_NEAR(di[k][static_cast<size_t>(c)], dp[k][static_cast<size_t>(c)],
                        0.03 * dp[k][static_cast<size_t>(c)])
                << "minute " << dp[k][0] << " point " << c;
    }

    // Alone, the inset drains its own half of the plane.
    write_file(dir.file("alone.prj"), [&] {
        std::string p = read_file(dir.file("inset.prj"));
        p.erase(p.find("XYBDYINPUT_OVDEP"));
        return p + "SUMMARY alone.sum\nOUTLET_HYDRO alone.otl\n";
    }());
    run(dir, "alone.prj");
    const auto alone = rows_of(read_file(dir.file("alone.otl")));
    EXPECT_NEAR(peak(alone), 0.5 * peak(parent), 0.05 * peak(parent));
}
