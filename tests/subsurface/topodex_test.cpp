// Topographic index and upslope area on tilted planes, flats, a nearly
// flat pit and a grid whose flow runs against the visiting order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "subsurface/lumped_models.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

// A grid of rows x cols cells, all in the watershed, numbered row by row,
// with elevation z(r, c).
template <class F> void grid(int rows, int cols, imat& mask, dvec& elev, F z)
{
    imatrix_alloc_zero(mask, rows, cols, "mask");
    dvector_alloc_zero(elev, rows * cols, "elev");
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            mask[r][c] = ++k;
            elev[k] = z(r, c);
        }
}

const double dx = 10.0;

} // namespace

TEST(Topodex, TiltedPlaneMatchesTheMultipleFlowDirectionForm)
{
    const int rows = 10, cols = 30;
    const double tanb = 0.05;
    imat mask;
    dvec elev, index;
    grid(rows, cols, mask, elev, [&](int r, int) { return 100.0 + (rows - r) * dx * tanb; });
    dvector_alloc_zero(index, rows * cols, "index");
    error_state_clear();
    ASSERT_TRUE(topodex(elev, mask, index, rows, cols, dx));
    // Away from the side edges (whose influence spreads one column a row),
    // row k carries k dx of upslope area per unit contour: ln(k dx / tan b).
    int checked = 0;
    for (int k = 1; k < rows; ++k)
        for (int c = k + 1; c <= cols - k; ++c) {
            EXPECT_NEAR(index[mask[k][c]], std::log(k * dx / tanb), 1e-6) << k << " " << c;
            ++checked;
        }
    EXPECT_GT(checked, 150);
}

TEST(UpslopeArea, AreaIsConservedAndTheDiagnosticFileIsWritten)
{
    scratch_dir dir("upslope_area");
    const int rows = 10, cols = 30;
    imat mask;
    dvec elev, area;
    // A plane tilted both ways, so the area spreads unevenly.
    grid(rows, cols, mask, elev, [&](int r, int c) { return 100.0 - 0.5 * r - 0.2 * c; });
    dvector_alloc_zero(area, rows * cols, "area");
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    error_state_clear();
    const bool ok = upslope_area(elev, mask, area, rows, cols, dx);
    const std::string written = read_file(dir.file("upslope.out"));
    ASSERT_EQ(chdir(here), 0);
    ASSERT_TRUE(ok);
    // Every cell's area ends at the outlet corner, the one cell without a
    // lower neighbour.
    EXPECT_NEAR(area[mask[rows][cols]], rows * cols * dx * dx, 1e-9 * rows * cols * dx * dx);
    EXPECT_DOUBLE_EQ(area[mask[1][1]], dx * dx);
    std::string expected = "north: 1000100.000000\nsouth: 1000000.000000\neast:  100300.000000\n"
                           "west:  100000.000000\nrows:  10\ncols:  30\n";
    expected += std::string(rows, '\n');
    EXPECT_EQ(written, expected);
}

TEST(Topodex, FlatsPitsAndSingleCells)
{
    imat mask;
    dvec elev, index;
    error_state_clear();
    // A flat grid, and a single cell, take 0.333.
    grid(4, 5, mask, elev, [](int, int) { return 100.0; });
    dvector_alloc_zero(index, 20, "index");
    ASSERT_TRUE(topodex(elev, mask, index, 4, 5, dx));
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(index[k], 0.333);
    grid(1, 1, mask, elev, [](int, int) { return 50.0; });
    dvector_alloc_zero(index, 1, "index");
    ASSERT_TRUE(topodex(elev, mask, index, 1, 1, dx));
    EXPECT_EQ(index[1], 0.333);

    // A nearly flat pit: the ring drains into the centre, whose mean slope
    // to its neighbours lies between 1e-8 and 1e-6.
    const double drop = 5e-7 * dx;
    grid(3, 3, mask, elev, [&](int r, int c) { return r == 2 && c == 2 ? 100.0 - drop : 100.0; });
    dvector_alloc_zero(index, 9, "index");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(topodex(elev, mask, index, 3, 3, dx));
    const std::string out = testing::internal::GetCapturedStdout();
    const double s = (4.0 * drop / dx + 4.0 * drop / (std::sqrt(2.0) * dx)) / 8.0;
    char line[128];
    std::snprintf(line, sizeof line, "sslope<1.0e-6 in read_sacramento : %.10lf\n", s);
    EXPECT_EQ(out, line);
    EXPECT_NEAR(index[5], std::log(9.0 * dx * dx / (2.0 * dx * s)), 1e-9);
}

TEST(Topodex, StopsAfterAThousandPasses)
{
    // A single column rising downwards: each pass finishes one cell.
    const int rows = 1002;
    imat mask;
    dvec elev, index;
    grid(rows, 1, mask, elev, [](int r, int) { return 100.0 + r; });
    dvector_alloc_zero(index, rows, "index");
    error_state_clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(topodex(elev, mask, index, rows, 1, dx));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(error_state.code, 4000);
    EXPECT_EQ(err, "You have specified TOPO_INDEX in your TORVA project file.\n"
                   "After 1000 iterative passes through the DEM to calculate\n"
                   "the topographic index map, the routine has not succeeded.\n"
                   "This is rediculous.  Your DEM must be of very poor quality.\n"
                   "Please make your DEM more representative of nature in terms\n"
                   "of flow paths, removing digital dams and pits.  If you do not\n"
                   "want to do this, you can remove the TOPO_INDEX card from your\n"
                   "TORVA project file, and the TORVA Sacramento Routine will the\n"
                   "simply put its output into the channels uniformly.\n"
                   "Program terminated.\n");
    error_state_clear();
    // A thousand cells still fit.
    grid(1000, 1, mask, elev, [](int r, int) { return 100.0 + r; });
    dvector_alloc_zero(index, 1000, "index");
    EXPECT_TRUE(topodex(elev, mask, index, 1000, 1, dx));
}
