// The KZ segment coupling: flows summed by segment over the faces of each
// segment's outline and the table's channel nodes, averaged per output
// interval; the inflow and flux files of whole runs; the warnings and
// errors of the set-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "coupling/kz_data.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

// Four cells in a row: segments 1 and 2, then two cells outside.
struct row_fixture {
    kz_data kz;
    dvec qx, qy;
    ivec right, below;
    dnode_mat qp;
    row_fixture()
    {
        ivector_alloc_zero(kz.seg_map, 4, "seg");
        kz.seg_map[1] = 1;
        kz.seg_map[2] = 2;
        kz.nseg = 2;
        ivector_alloc_zero(kz.active_array, 2, "active");
        kz.active_array[1] = kz.active_array[2] = 1;
        kz.flux.assign(3, 0.0);
        dvector_alloc_zero(qx, 4, "qx");
        dvector_alloc_zero(qy, 4, "qy");
        ivector_alloc_zero(right, 4, "right");
        ivector_alloc_zero(below, 4, "below");
        for (int i = 1; i <= 3; ++i) {
            right[i] = i + 1;
            qx[i] = -0.5 * i; // m3/s across each right face
        }
        qp.assign(3, 1, 0.0);
        qp[2][1] = 4.0;
        kz.link = {1};
        kz.node = {2};
        kz.segment = {1};
        kz.nrows = 1;
    }
};

TEST(KzCoupling, SegmentsSumTheirOutlineFacesAndNodesAndAverageOverTheInterval)
{
    scratch_dir dir("kz");
    std::string text;
    for (const int steps : {3, 6}) {
        row_fixture f;
        ASSERT_TRUE(file_rec_open(f.kz.out, dir.file("flux.txt"), "w"));
        for (int k = 0; k < steps; ++k)
            kz_accumulate_fluxes(f.kz, f.qx, f.qy, 4, f.right, f.below, 1, f.qp, 10.0);
        kz_write_fluxes(f.kz, 200.5);
        for (int k = 0; k < steps; ++k)
            kz_accumulate_fluxes(f.kz, f.qx, f.qy, 4, f.right, f.below, 0, f.qp, 10.0);
        kz_write_fluxes(f.kz, 200.75);
        kz_write_fluxes(f.kz, 201.0); // nothing summed since the last row
        file_rec_close(f.kz.out);
        // Face 1-2 lies between two segments and does not count; face 2-3
        // gives segment 2 its 1.0 m3/s (not times dx); node 2 of link 1
        // gives segment 1 its 4 m3/s while the channel is routed.
        const std::string got = read_file(dir.file("flux.txt"));
        EXPECT_EQ(got, "1.000     4.00      1.00      \n1.250     0.00      1.00      \n") << steps;
        if (!text.empty()) {
            EXPECT_EQ(got, text);
        }
        text = got;
    }
}

std::string run_tiny(const scratch_dir& dir, const std::string& cards, int status = 0)
{
    write_tiny_project(dir.path(), cards);
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' p.prj 2>&1", out), status) << out;
    return out;
}

const char* const grid_header = "north: 20\nsouth: 0\neast: 20\nwest: 0\nrows: 2\ncols: 2\n";

TEST(KzCoupling, WholeRunsWriteTheInflowAndFluxFiles)
{
    scratch_dir dir("kzrun");
    write_file(dir.file("seg.map"), std::string(grid_header) + "0 2\n0 3\n");
    run_tiny(dir, "KZ_INPUT kz.in\nKZ_FLUXES\nKZ_SEGMENT_MAP seg.map\nKZ_SEGMENT_FLUXES kz.flx\n");
    const std::string inflow = read_file(dir.file("kz.in"));
    EXPECT_EQ(inflow.find("  output from TORVA\n\n    JDAY     QIN\n1.5 "), 0u);
    // One "%-8.1lf %-7.1f" row per output time: 31 rows for 30 minutes.
    EXPECT_EQ(std::count(inflow.begin(), inflow.end(), '\n'), 3 + 31);
    EXPECT_NE(inflow.find("\n1.5      0.0    \n"), std::string::npos) << inflow;
    const std::string flux = read_file(dir.file("kz.flx"));
    // Segment 1 is not in the map: only 2 and 3 are written.
    EXPECT_EQ(flux.find("   jday   2         3         \n1.000     "), 0u);
    EXPECT_EQ(std::count(flux.begin(), flux.end(), '\n'), 1 + 31);
}

TEST(KzCoupling, SetUpWarningsAndErrors)
{
    struct kz_case {
        const char* label;
        std::string map, table, cards, message;
        int status;
    };
    const std::string base = "KZ_FLUXES\nKZ_SEGMENT_MAP seg.map\nKZ_NODES_TO_SEGS seg.tab\n";
    const kz_case cases[] = {
        {"empty map and table", "0 0\n0 0\n", "0\n", base + "KZ_SEGMENT_FLUXES kz.flx\n",
         "Warning: There are no segments in the KZ segment map.\n\nWarning: The TORVA to KZ internal segment "
         "flux "
         "option is turned on\nBut there are no segments in the KZ segment map or in the link-node to "
         "segment "
         "file.\n",
         0},
        {"segment only in the table", "1 1\n0 0\n", "1\n1 1 2\n", base + "KZ_SEGMENT_FLUXES kz.flx\n",
         "Error: In the KZ internal stream flux to segment file, some link/node pairs \nrefer to a segment "
         "of 0 or "
         "a segment that is not in the segment map file.\n",
         1},
        {"node outside the network", "1 1\n0 0\n", "1\n3 1 1\n", base + "KZ_SEGMENT_FLUXES kz.flx\n",
         "Error: row 1 of the KZ link/node to segment file seg.tab names link 3, node 1, which is not a node "
         "of "
         "the channel network.\n",
         1},
        {"flux file that does not open", "1 1\n0 0\n", "0\n", base + "KZ_SEGMENT_FLUXES nofolder/kz.flx\n",
         "Error: Unable to open the KZ internal flux output file [nofolder/kz.flx].\n", 1},
    };
    for (const kz_case& c : cases) {
        scratch_dir dir("kzbad");
        write_file(dir.file("seg.map"), grid_header + c.map);
        write_file(dir.file("seg.tab"), c.table);
        const std::string out = run_tiny(dir, c.cards, c.status);
        EXPECT_NE(out.find(c.message), std::string::npos) << c.label << "\n" << out;
        if (c.status == 0) {
            EXPECT_FALSE(file_exists(dir.file("kz.flx"))) << c.label;
        }
    }
}

} // namespace
