// The XY boundary files of nested runs: what the outer model writes is what
// the inset's readers take back (points, dates, values), the weights of the
// output points, the inset mask's ring, the interpolated groundwater cells
// and the readers' refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error_state.h"
#include "core/julian.h"
#include "coupling/coupling_services.h"
#include "input/time_series.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct XyFiles : testing::Test {
    scratch_dir dir{"xyfiles"};
    void SetUp() override
    {
        error_state_clear();
        error_state.raised = 0;
    }
    void TearDown() override
    {
        ts_free_all();
        error_state_clear();
        error_state.raised = 0;
    }
};

// A 2 x 3 grid of 10 m cells, north 20, west 0, all active (cells 1..6).
struct small_grid {
    imat mask;
    dvec values;
    small_grid()
    {
        imatrix_alloc_zero(mask, 3, 4, "mask");
        int n = 0;
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 3; ++c)
                mask[r][c] = ++n;
        dvector_alloc_zero(values, 6, "values");
        for (int i = 1; i <= 6; ++i)
            values[i] = 0.1 * i;
    }
};

std::string capture(const std::function<void()>& f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

TEST_F(XyFiles, OverlandAndGroundwaterFilesReadBackWithTheirPointsDatesAndValues)
{
    small_grid g;
    dvec heads;
    dvector_alloc_zero(heads, 6, "heads");
    for (int i = 1; i <= 6; ++i)
        heads[i] = 100.0 + i;
    const std::string pts = dir.file("pts.txt");
    // One point on the centre of cell 2, one between cells 1, 2, 4 and 5.
    write_file(pts, "2\n15.0 15.0 7\n12.0,12.0\t9\n");
    xy_output out;
    xy_output_construct(out);
    out.mode = 0;
    out.points_file = pts;
    out.ov_depth_name = dir.file("ov.xy");
    out.gw_head_name = dir.file("gw.xy");
    xy_output_open(out, 20.0, 0.0, 2, 3, 10.0, g.mask, &g.values, &heads);
    ASSERT_EQ(out.points.size(), 2u);
    EXPECT_EQ(out.ov_on, 1);
    EXPECT_EQ(out.gw_on, 1);
    EXPECT_EQ(out.points[1].count, 4);

    // 0.01 s is added and the minute truncated: 12:29:59.995 is 12:30,
    // 13:00:59.9 is 13:00.
    const double t0 = julian_date(2000, 1, 1, 12, 29, 59.995);
    const double t1 = julian_date(2000, 1, 1, 13, 0, 59.9);
    xy_output_write(out, t0);
    for (int i = 1; i <= 6; ++i)
        g.values[i] += 1.0;
    xy_output_write(out, t1);
    xy_output_destroy(out);

    // The centre point is cell 2's value; the other the inverse-distance
    // mean of its four cells.
    const double d1 = std::hypot(12.0 - 5.0, 12.0 - 15.0), d2 = std::hypot(12.0 - 15.0, 12.0 - 15.0);
    const double d4 = std::hypot(12.0 - 5.0, 12.0 - 5.0), d5 = std::hypot(12.0 - 15.0, 12.0 - 5.0);
    const double w[4] = {1 / (d1 * d1), 1 / (d2 * d2), 1 / (d4 * d4), 1 / (d5 * d5)};
    const double mean = (w[0] * 0.1 + w[1] * 0.2 + w[2] * 0.4 + w[3] * 0.5) / (w[0] + w[1] + w[2] + w[3]);
    char row[200];
    std::snprintf(row, sizeof row, "2000 01 01 12 30\t  %8.3lf  %8.3lf\n2000 01 01 13 00\t  %8.3lf  %8.3lf\n",
                  0.2, mean, 1.2, mean + 1.0);
    EXPECT_EQ(read_file(dir.file("ov.xy")),
              std::string("XY_OV_DEPTH\n2\nDATE       TIME \t         7         9\n") + row + "END_TS\n");
    EXPECT_EQ(read_file(dir.file("gw.xy"))
                  .find("XY_GW_HEAD\n2\nDATE       TIME \t         7         9\n"
                        "2000 01 01 12 30\t   102.000"),
              0u);

    xy_input in;
    xy_input_construct(in);
    const std::string said = capture([&] {
        read_xy_bdy_file(in, dir.file("ov.xy"), "overland", "XY_OV_DEPTH", in.ov_series, in.ovpts,
                         in.num_ov_points, 1);
        read_xy_bdy_file(in, dir.file("gw.xy"), "groundwater", "XY_GW_HEAD", in.gw_series, in.gwpts,
                         in.num_gw_points, 1);
    });
    EXPECT_EQ(said, "");
    ASSERT_EQ(in.num_ov_points, 2);
    ASSERT_EQ(in.num_gw_points, 2);
    EXPECT_EQ(in.ovpts[0].cell, 7);
    EXPECT_EQ(in.ovpts[1].cell, 9);
    EXPECT_EQ(in.gwpts[1].cell, 9);
    EXPECT_EQ(in.ov_series, in.ovpts[0].series);
    EXPECT_EQ(in.ovpts[1].series->name, "XY_OV_DEPTH_0001");
    const double r0 = julian_date(2000, 1, 1, 12, 30, 0.0), r1 = julian_date(2000, 1, 1, 13, 0, 0.0);
    ASSERT_EQ(in.ovpts[0].series->count, 2);
    EXPECT_EQ(in.ovpts[0].series->times[0], r0);
    EXPECT_EQ(in.ovpts[0].series->times[1], r1);
    EXPECT_DOUBLE_EQ(ts_value_at(r0, in.ovpts[0].series), 0.2);
    EXPECT_DOUBLE_EQ(ts_value_at(r1, in.ovpts[0].series), 1.2);
    EXPECT_NEAR(ts_value_at(r1, in.ovpts[1].series), mean + 1.0, 5e-4);
    EXPECT_DOUBLE_EQ(ts_value_at(r0, in.gwpts[0].series), 102.0);
    EXPECT_NEAR(ts_value_at(r1, in.gwpts[1].series), 100.0 + 1 + (mean - 0.1) * 10.0, 5e-3);
    EXPECT_EQ(error_state.code, 0);
    xy_input_destroy(in);
}

TEST_F(XyFiles, APointAtTheEdgeOfTheActiveAreaUsesOnlyActiveCells)
{
    small_grid g;
    g.mask[1][1] = 0; // cells renumbered are not needed: the values are per number
    xy_output out;
    xy_output_construct(out);
    out.points.push_back({});
    out.points[0].x = 12.0; // lower-left quadrant of cell (1, 2): cells (1,1) inactive, (1,2), (2,1), (2,2)
    out.points[0].y = 12.0;
    out.points.push_back({});
    out.points[1].x = 28.0; // upper right of cell (1, 3): only (1, 3) is inside the grid
    out.points[1].y = 18.0;
    out.north = 20.0;
    out.rows = 2;
    out.cols = 3;
    out.cell_size = 10.0;
    out.mask = &g.mask;
    xy_points_weights(out);
    EXPECT_EQ(out.points[0].count, 3);
    EXPECT_EQ(out.points[1].count, 1);
    EXPECT_EQ(out.points[1].cells[0], 3);
    EXPECT_EQ(out.points[1].weight_sum, 1.0);

    // Outside the active area: the nearest active cell, with a warning.
    out.points.assign(1, {});
    out.points[0].x = 40.0;
    out.points[0].y = 1.0;
    const std::string said = capture([&] { xy_points_weights(out); });
    EXPECT_NE(
        said.find(
            "Warning... an XY output point (x=   40.00, y=    1.00) is not located in an active cell. \n"
            "    The result will be the value of the single nearest neighbor.\n"),
        std::string::npos);
    EXPECT_EQ(out.points[0].cells[0], 6);
    EXPECT_EQ(out.points[0].count, 1);
}

TEST_F(XyFiles, InsetMaskGivesItsBoundaryRingInRowOrder)
{
    struct ring_case {
        const char* grid;
        int rows, cols;
        std::vector<int> ids;
    };
    const ring_case cases[] = {
        {"1 1 1 1 1\n1 1 1 1 1\n1 1 1 1 1\n1 1 1 1 1\n",
         4,
         5,
         {1, 2, 3, 4, 5, 6, 10, 11, 15, 16, 17, 18, 19, 20}},
        {"0 0 0 0 0\n0 1 1 1 0\n0 1 1 1 0\n0 1 1 1 0\n0 0 0 0 0\n", 5, 5, {1, 2, 3, 4, 6, 7, 8, 9}},
        {"0 0 0\n0 2 0\n0 0 0\n", 3, 3, {1}},
    };
    for (const ring_case& c : cases) {
        char header[200];
        std::snprintf(header, sizeof header, "north: %d\nsouth: 0\neast: %d\nwest: 0\nrows: %d\ncols: %d\n",
                      10 * c.rows, 10 * c.cols, c.rows, c.cols);
        write_file(dir.file("inset.msk"), header + std::string(c.grid));
        xy_output out;
        xy_output_construct(out);
        out.points_file = dir.file("inset.msk");
        capture([&] { read_inset_mask(out); });
        ASSERT_EQ(out.points.size(), c.ids.size()) << c.grid;
        for (size_t k = 0; k < c.ids.size(); ++k)
            EXPECT_EQ(out.points[k].id, c.ids[k]) << c.grid << k;
        EXPECT_EQ(out.in_cell_size, 10.0);
        if (c.rows == 4) {
            EXPECT_EQ(out.points[7].x, 5.0); // row 3, column 1
            EXPECT_EQ(out.points[7].y, 15.0);
        }
    }
    xy_output out;
    xy_output_construct(out);
    out.points_file = dir.file("none.msk");
    EXPECT_NE(capture([&] { read_inset_mask(out); }).find("Error: unable to open the XY output mask file.\n"),
              std::string::npos);
    EXPECT_TRUE(out.points.empty());
}

TEST_F(XyFiles, PointsFileMessages)
{
    xy_output out;
    xy_output_construct(out);
    write_file(dir.file("short.txt"), "4\n1 2 5\n3,4,6\n");
    out.points_file = dir.file("short.txt");
    EXPECT_EQ(
        capture([&] { read_xy_points_file(out); }),
        "Warning!!! The number of points specified in the xy output file is more than the actual points in "
        "the file.\n");
    ASSERT_EQ(out.points.size(), 2u);
    EXPECT_EQ(out.points[1].id, 6);
    EXPECT_EQ(error_state.raised, 0);
    // Without its points the run would write no boundary: each stops it.
    write_file(dir.file("bad.txt"), "1\n1 2 5.5\n");
    write_file(dir.file("negative.txt"), "-2\n1 2 5\n");
    const struct {
        std::string file, message;
    } cases[] = {
        {"", "Error: filename for XY Output File not specified.\n"},
        {dir.file("none.txt"), "Error: unable to open the xy output file " + dir.file("none.txt") + ".\n"},
        {dir.file("bad.txt"), "line 2 of the xy output file"},
        {dir.file("negative.txt"),
         "Error: file " + dir.file("negative.txt") + ", line 1: the point count -2 lies outside 0 to 10000000.\n"},
    };
    for (const auto& c : cases) {
        out.points.clear();
        out.points_file = c.file;
        error_state_clear();
        error_state.raised = 0;
        EXPECT_NE(capture([&] { read_xy_points_file(out); }).find(c.message), std::string::npos) << c.message;
        EXPECT_EQ(error_state.raised, 1) << c.message;
        EXPECT_TRUE(out.points.empty());
    }
}

TEST_F(XyFiles, ReadersRefuseWrongHeadersMissingFilesAndEmptyFiles)
{
    const std::string interp = "XY_GW_HEAD_INTERP\n1\nX 10.0\nY 20.0\n2000 01 01 00 00\t 5.0\nEND_TS\n";
    const std::string by_cell = "XY_GW_HEAD\n1\nDATE TIME 3\n2000 01 01 00 00\t 5.0\nEND_TS\n";
    write_file(dir.file("interp.xy"), interp);
    write_file(dir.file("cell.xy"), by_cell);
    write_file(dir.file("empty.xy"), "XY_OV_DEPTH\n0\n");
    write_file(dir.file("bad.xy"), "XY_OV_DEPTH\n2\nDATE TIME 3 x4\n");
    xy_input in;
    xy_input_construct(in);
    struct refusal {
        std::string file, kind, header, message;
        bool stops;
    };
    const refusal cases[] = {
        // The whole first word must be the keyword (XY_GW_HEAD_INTERP is not
        // XY_GW_HEAD); the format's message comes first, then the file and
        // what was found.
        {"interp.xy", "groundwater", "XY_GW_HEAD",
         "Error: file used for groundwater xy boundary input file is not of appropriate type. File header "
         "does not match XY_GW_HEAD.\nError: line 1 of the xy boundary input file " +
             dir.file("interp.xy") + " begins with \"XY_GW_HEAD_INTERP\" where XY_GW_HEAD is expected.\n",
         true},
        {"cell.xy", "groundwater", "XY_GW_HEAD_INTERP",
         "Error: file used for groundwater xy boundary input file is not of appropriate type. File header "
         "does not match XY_GW_HEAD_INTERP.\n",
         true},
        {"none.xy", "overland", "XY_OV_DEPTH",
         "Error: unable to open overland xy boundary input file.\nError: the xy boundary input file " +
             dir.file("none.xy") + " cannot be opened; the run cannot go on without the boundary it gives.\n",
         true},
        // A count of 0 keeps the format's warning and the run goes on.
        {"empty.xy", "overland", "XY_OV_DEPTH", "Warning: No points in overland xy boundary input file.\n", false},
    };
    for (const refusal& c : cases) {
        error_state_clear();
        error_state.raised = 0;
        const std::string said = capture([&] {
            read_xy_bdy_file(in, dir.file(c.file), c.kind, c.header, in.gw_series, in.gwpts, in.num_gw_points,
                             c.header != "XY_GW_HEAD_INTERP");
        });
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_EQ(in.num_gw_points, 0);
        EXPECT_EQ(error_state.raised, c.stops ? 1 : 0) << c.file;
    }
    error_state_clear();
    error_state.raised = 0;
    EXPECT_NE(capture([&] {
                  read_xy_bdy_file(in, dir.file("bad.xy"), "overland", "XY_OV_DEPTH", in.ov_series, in.ovpts,
                                   in.num_ov_points, 1);
              }).find("value 2 of line 3 of the xy boundary file"),
              std::string::npos);
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(in.num_ov_points, 0);
    error_state_clear();
    error_state.raised = 0;

    // By X and Y: the sources of the interpolated cells.
    capture([&] {
        read_xy_bdy_file(in, dir.file("interp.xy"), "groundwater", "XY_GW_HEAD_INTERP", in.gw_series,
                         in.gw_interp_src, in.num_gw_src, 0);
    });
    ASSERT_EQ(in.num_gw_src, 1);
    EXPECT_EQ(in.gw_interp_src[0].x, 10.0);
    EXPECT_EQ(in.gw_interp_src[0].y, 20.0);
    EXPECT_EQ(in.gw_series->name, "XY_GW_HEAD_INTERP_0000");

    // A by-cell file naming a cell outside the watershed is refused once
    // the cells are known.
    capture([&] {
        read_xy_bdy_file(in, dir.file("cell.xy"), "groundwater", "XY_GW_HEAD", in.gw_series, in.gwpts,
                         in.num_gw_points, 1);
    });
    EXPECT_TRUE(check_xy_bdy_cells(in, 3));
    EXPECT_EQ(capture([&] { EXPECT_FALSE(check_xy_bdy_cells(in, 2)); }),
              "Error: point 1 of the xy boundary input file " + dir.file("cell.xy") +
                  " names cell 3; the watershed's cells are 1 to 2.\n");
    // Two series cannot both set one cell.
    write_file(dir.file("twice.xy"), "XY_OV_DEPTH\n3\nDATE TIME 1 2 1\n2000 01 01 00 00\t 5.0 5.0 5.0\nEND_TS\n");
    capture([&] {
        read_xy_bdy_file(in, dir.file("twice.xy"), "overland", "XY_OV_DEPTH", in.ov_series, in.ovpts,
                         in.num_ov_points, 1);
    });
    EXPECT_EQ(capture([&] { EXPECT_FALSE(check_xy_bdy_cells(in, 3)); }),
              "Error: points 1 and 3 of the xy boundary input file " + dir.file("twice.xy") + " both name cell 1.\n");
    xy_input_destroy(in);
}

TEST_F(XyFiles, InterpolatedCellsTakeTheFiveNearestSources)
{
    // Cells along a row, 10 m apart, centres (5 + 10 (i - 1), 5).
    checked_array<double> cx, cy;
    checked_array_grow(cx, 4);
    checked_array_grow(cy, 4);
    for (int i = 1; i <= 4; ++i) {
        cx[i] = 5.0 + 10.0 * (i - 1);
        cy[i] = 5.0;
    }
    std::vector<time_series> series(7);
    for (const int sources : {3, 7}) {
        xy_input in;
        xy_input_construct(in);
        xy_point_array_grow(in.gw_interp_src, sources);
        for (int j = 0; j < sources; ++j) {
            // Source j lies 10 j m east of cell 1's centre; source 0 on it.
            in.gw_interp_src[j].x = 5.0 + 10.0 * j;
            in.gw_interp_src[j].y = 5.0;
            in.gw_interp_src[j].series = &series[static_cast<size_t>(j)];
        }
        in.num_gw_src = sources;
        ivec gwbound;
        ivector_alloc_zero(gwbound, 4, "gwbound");
        gwbound[1] = 8;
        gwbound[4] = 8;
        gwbound[2] = 2;
        gw_interp_weights(in, gwbound, 4, cx, cy);
        ASSERT_EQ(in.num_gw_interp_points, 2);
        EXPECT_EQ(gwbound[1], 2);
        EXPECT_EQ(gwbound[4], 2);
        const xy_interp_cell& c1 = in.gwInterpPts[0];
        const xy_interp_cell& c4 = in.gwInterpPts[1];
        EXPECT_EQ(c1.cell, 1);
        EXPECT_EQ(c4.cell, 4);
        ASSERT_EQ(c1.count, std::min(sources, 5));
        // A source on the cell centre weighs 1e8.
        EXPECT_EQ(c1.series[0], &series[0]);
        EXPECT_DOUBLE_EQ(c1.weights[0], 1e8);
        if (sources == 7) {
            // Cell 4 (x = 35): sources at 35, 25 and 45, 15 and 55; 5 and 65 are left out.
            std::vector<time_series*> used;
            for (int m = 0; m < c4.count; ++m)
                used.push_back(c4.series[m]);
            for (const int j : {1, 2, 3, 4, 5})
                EXPECT_NE(std::find(used.begin(), used.end(), &series[static_cast<size_t>(j)]), used.end())
                    << j;
            EXPECT_DOUBLE_EQ(c4.weights[4], 1.0 / 400.0);
        }
        xy_input_destroy(in);
    }
}

TEST_F(XyFiles, OverlandPointsSetDepthsAndBookTheirVolumes)
{
    // (A negative depth is refused when the file is read.)
    write_file(dir.file("ov.xy"), "XY_OV_DEPTH\n2\nDATE TIME 1 2\n2000 01 01 00 00\t 0.5 0.0\n"
                                  "2000 01 01 01 00\t 1.5 0.0\nEND_TS\n");
    xy_input in;
    xy_input_construct(in);
    read_xy_bdy_file(in, dir.file("ov.xy"), "overland", "XY_OV_DEPTH", in.ov_series, in.ovpts,
                     in.num_ov_points, 1);
    dvec depth;
    dvector_alloc_zero(depth, 2, "depth");
    depth[1] = 0.25;
    depth[2] = 0.1;
    double vin = 0.0, vout = 0.0;
    apply_ov_xy_bdy(in, depth, 10.0, vin, vout, julian_date(2000, 1, 1, 0, 30, 0.0));
    EXPECT_NEAR(depth[1], 1.0, 1e-6);
    EXPECT_EQ(depth[2], 0.0);
    EXPECT_NEAR(vin, 75.0, 1e-4);
    EXPECT_DOUBLE_EQ(vout, 10.0);

    // Heads with storage: the same rule, weighted by the storage coefficient.
    write_file(dir.file("gw.xy"), "XY_GW_HEAD\n1\nDATE TIME 2\n2000 01 01 00 00\t 90.0\nEND_TS\n");
    read_xy_bdy_file(in, dir.file("gw.xy"), "groundwater", "XY_GW_HEAD", in.gw_series, in.gwpts,
                     in.num_gw_points, 1);
    dvec heads, storage;
    dvector_alloc_zero(heads, 2, "heads");
    dvector_alloc_zero(storage, 2, "storage");
    heads[2] = 92.0;
    storage[2] = 0.2;
    double gain = 1.0, loss = 1.0;
    apply_gw_xy_bdy(in, heads, storage, 10.0, gain, loss, julian_date(2000, 1, 1, 0, 0, 0.0));
    EXPECT_EQ(heads[2], 90.0);
    EXPECT_EQ(gain, 0.0);
    EXPECT_DOUBLE_EQ(loss, 40.0);
    xy_input_destroy(in);
}

} // namespace

namespace
{

TEST_F(XyFiles, StreamCrossingsKeepOneCrossingPerLinkAndReadBack)
{
    // A 2 x 2 inset of 10 m cells from (0, 0) to (20, 20).
    write_file(dir.file("inset.msk"), "north: 20\nsouth: 0\neast: 20\nwest: 0\nrows: 2\ncols: 2\n1 1\n1 1\n");
    // Link 1 enters from the west (node 2), leaves to the east (node 4):
    // the crossing of the larger node is kept. Link 2 starts on the outline
    // and leaves it (u = 0, not a crossing). Link 3 stays outside.
    write_file(dir.file("net.cif"), "LINK 1\nNODE 1\nX_Y -5 10\nNODE 2\nX_Y 5 10\nNODE 3\nX_Y 15 10\nNODE 4\n"
                                    "X_Y 25 10\n"
                                    "LINK 2\nNODE 1\nX_Y 10 20\nNODE 2\nX_Y 10 25\nNODE 3\nX_Y 10 30\n"
                                    "LINK 3\nNODE 1\nX_Y 30 30\nNODE 2\nX_Y 40 40\n");
    xy_output out;
    xy_output_construct(out);
    out.points_file = dir.file("inset.msk");
    out.stream_flow_name = dir.file("st.xy");
    capture([&] { read_inset_mask(out); });
    dnode_mat qp;
    qp.assign(5, 3, 0.0);
    qp[3][1] = 1.25;
    const std::string said = capture([&] { find_inset_stream_crossings(out, dir.file("net.cif"), &qp); });
    EXPECT_EQ(said, "TORVA identified 1 stream link/nodes as crossing the inset mask boundary.\n1,3\t\n");
    ASSERT_EQ(out.crossings.size(), 1u);
    EXPECT_EQ(out.crossings[0].x, 20.0);
    EXPECT_EQ(out.crossings[0].y, 10.0);
    xy_output_write(out, julian_date(2000, 1, 1, 6, 0, 0.0));
    xy_output_destroy(out);
    EXPECT_EQ(read_file(dir.file("st.xy")), "XY_STREAM_HYDROGRAPHS\n1\nX                 \t         20.000\n"
                                            "Y                 \t         10.000\n"
                                            "2000 01 01 06 00\t         1.2500\nEND_TS\n");
    xy_input in;
    xy_input_construct(in);
    EXPECT_EQ(capture([&] { read_xy_stream_bdy_file(in, dir.file("st.xy")); }), "");
    ASSERT_EQ(in.num_st_points, 1);
    EXPECT_EQ(in.stpts[0].x, 20.0);
    EXPECT_EQ(in.stpts[0].y, 10.0);
    EXPECT_EQ(in.stpts[0].explicit_point, 0);
    EXPECT_EQ(ts_value_at(julian_date(2000, 1, 1, 6, 0, 0.0), in.stpts[0].series), 1.25);

    // The time-series file adds its points by link and node and by name.
    write_file(dir.file("st.ts"), "TORVA_XY_ST_BDY_TS\ntorva_ts\nXY 1.5, 2.5\nLINKNODE 4 7\n"
                                  "TIMESERIES \"XY_STREAM_HYDROGRAPHS_0000\"\nEND_TS\n");
    EXPECT_EQ(capture([&] { read_xy_stream_ts_file(in, dir.file("st.ts")); }), "");
    ASSERT_EQ(in.num_st_points, 2);
    EXPECT_EQ(in.stpts[1].link, 4);
    EXPECT_EQ(in.stpts[1].node, 7);
    EXPECT_EQ(in.stpts[1].explicit_point, 1);
    EXPECT_EQ(in.stpts[1].x, 1.5);
    EXPECT_EQ(in.stpts[1].series, in.stpts[0].series);
    // A series that is not loaded would leave the point without a boundary:
    // the format's message, then the file and line, and the run stops.
    write_file(dir.file("st.ts"), "TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 1 2\nTIMESERIES nothing\nEND_TS\n");
    EXPECT_EQ(capture([&] { read_xy_stream_ts_file(in, dir.file("st.ts")); }),
              "Error!!! unable to find time series [nothing] for the xy boundary stream time series file.\n"
              "         Perhaps the related TIME_SERIES_FILE card in the project file is below the "
              "XYBDYINPUT_STTIMESERIES card?\n"
              "Error: line 4 of the stream xy boundary time series file " +
                  dir.file("st.ts") + ": no series loaded so far is named nothing.\n\n");
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(in.num_st_points, 2);
    error_state_clear();
    xy_input_destroy(in);

    // The crossing test itself: a channel segment that starts on the
    // outline is not a crossing, one that ends on it is.
    EXPECT_FALSE(channel_segment_crosses(0.5, 0, 0.5, 1, 0, 0, 1, 0));
    EXPECT_TRUE(channel_segment_crosses(0.5, -1, 0.5, 0, 0, 0, 1, 0));
    EXPECT_FALSE(channel_segment_crosses(0, 0, 1, 0, 0, 1, 1, 1)); // parallel

    // Without a channel file the stream output is off and no file is made.
    xy_output off;
    xy_output_construct(off);
    off.stream_flow_name = dir.file("none.xy");
    find_inset_stream_crossings(off, "", &qp);
    EXPECT_EQ(off.stream_on, 0);
    EXPECT_FALSE(file_exists(dir.file("none.xy")));
}

} // namespace
