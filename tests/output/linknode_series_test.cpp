// A link/node series bound to a table or a flat source, written to its file
// and read back; a file that cannot be opened stops the run.
#include <gtest/gtest.h>

#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "output/linknode_series.h"
#include "support/test_support.h"

namespace
{

// Link 1 a channel of three valued entries written with four, link 2 a
// structure, link 3 a lake; node dimension 4.
struct series_net {
    ivec valued, entries, ltype, lakes;
    dvec lake_values;
    dnode_mat source;
    row_array<double> rows; // the same values held as rows [node][link]
    double flat[20] = {};
    linknode_header_times times;

    series_net()
    {
        valued.assign(3, 0);
        entries.assign(3, 0);
        ltype.assign(3, 0);
        lakes.assign(3, 0);
        lake_values.assign(1, 101.5);
        ltype[1] = 4;
        valued[1] = 3;
        entries[1] = 4;
        ltype[2] = 64;
        ltype[3] = 32;
        lakes[3] = 1;
        source.assign(4, 3, 0.0);
        for (int j = 1; j <= 4; ++j) {
            source[j][1] = 0.5 * j;
            flat[1 * 4 + j] = 0.5 * j;
        }
        source[1][2] = 9.0; // a structure link writes 0, not its source
        row_array_add_rows(rows, 4, 3);
        for (int j = 1; j <= 4; ++j)
            for (int i = 1; i <= 3; ++i)
                rows[j][i] = source[j][i];
        times.time_step = 15;
        times.num_steps = 6;
        times.day = 7;
        times.month = 3;
        times.year = 2010;
        times.hour = 6;
        times.minute = 30;
    }
};

const char* const expected_steps = "TS    0\n"
                                   "4   1  1.00000   1  2.00000   1  0.00000   0  -999.999   \n"
                                   "-2  0.00000   \n"
                                   "0  -999.999   \n"
                                   "\n"
                                   "TS    1\n"
                                   "4   1  1.00000   1  2.00000   1  0.00000   0  -999.999   \n"
                                   "-2  0.00000   \n"
                                   "0  -999.999   \n"
                                   "\n";

} // namespace

TEST(LinknodeSeries, TableAndFlatSourcesWriteTheirFileWithTheRunsHeader)
{
    reset_file_name_globals();
    torva_test::scratch_dir dir("linknode_series");
    series_net net;
    const std::string header = "TORVA_LINKNODE_MASS\nNUM_LINKS     3\nTIME_STEP     15\nNUM_TS        6\n"
                               "START_TIME     7  3 2010  6 30  0\n";
    {
        linknode_series w;
        linknode_series_construct(w);
        linknode_series_init_table(w, 26, net.source, net.valued, net.entries, net.ltype, net.lakes,
                                   net.lake_values, 3, 4);
        ASSERT_TRUE(linknode_series_open(w, dir.file("contam"), ".1", ".mass", 2.0, net.times));
        linknode_series_write(w);
        linknode_series_write(w);
        EXPECT_EQ(w.next_ts, 2);
        linknode_series_destroy(w);
        EXPECT_EQ(w.out.fp, nullptr);
    }
    EXPECT_EQ(torva_test::read_file(dir.file("contam.1.mass")), header + expected_steps);

    {
        linknode_series w;
        linknode_series_construct(w);
        linknode_series_init_table(w, 28, net.rows, net.valued, net.entries, net.ltype, net.lakes,
                                   net.lake_values, 3, 4);
        ASSERT_TRUE(linknode_series_open(w, dir.file("total_n"), "", "", 2.0, net.times));
        linknode_series_write(w);
        linknode_series_write(w);
    }
    EXPECT_EQ(torva_test::read_file(dir.file("total_n")),
              "TORVA_LINKNODE_TOTAL_NITROGEN" + header.substr(header.find('\n')) + expected_steps);

    linknode_series w;
    linknode_series_construct(w);
    linknode_series_init_flat(w, 27, net.flat, net.valued, net.entries, net.ltype, net.lakes, net.lake_values,
                              3, 4);
    ASSERT_TRUE(linknode_series_open(w, dir.file("contam"), ".1", ".conc", 0.5, net.times));
    linknode_series_write(w);
    linknode_series_write(w);
    linknode_series_destroy(w);
    linknode_series_destroy(w); // closes once
    EXPECT_EQ(torva_test::read_file(dir.file("contam.1.conc")),
              "TORVA_LINKNODE_CONCENTRATION" + header.substr(header.find('\n')) + expected_steps);
}

TEST(LinknodeSeries, FileThatCannotBeOpenedStopsTheRunAndStepsAreStillCounted)
{
    reset_file_name_globals();
    error_state_clear();
    series_net net;
    linknode_series w;
    linknode_series_construct(w);
    linknode_series_init_table(w, 26, net.source, net.valued, net.entries, net.ltype, net.lakes,
                               net.lake_values, 3, 4);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(linknode_series_open(w, "/no_such_folder/contam", ".1", ".mass", 1.0, net.times));
    linknode_series_write(w);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error: unable to open file /no_such_folder/contam.1.mass\n"), std::string::npos);
    EXPECT_NE(out.find("Error writing to link/node file...\n"), std::string::npos);
    EXPECT_EQ(error_state.code, err_stop);
    EXPECT_EQ(w.next_ts, 1);
    error_state_clear();
}
