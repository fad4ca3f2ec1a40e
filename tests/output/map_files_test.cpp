// The map file writers: per-time grid names, the fast number formatting,
// the ASCII and binary dataset layouts read back by readers of their own,
// and the map_series record in its three formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "output/map_readers.h"
#include "output/map_series.h"
#include "output/text_writer.h"
#include "support/test_support.h"

using namespace torva_test;
using namespace map_readers;

namespace
{

// Mask of a 3 x 4 grid with cells 1..9 and three cells outside.
//   0 1 2 3
//   4 5 6 0
//   7 8 9 0
imat three_by_four()
{
    imat m;
    m.assign(3, 4, 0);
    int k = 0;
    const int on[3][4] = {{0, 1, 1, 1}, {1, 1, 1, 0}, {1, 1, 1, 0}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            if (on[r - 1][c - 1])
                m[r][c] = ++k;
    return m;
}

const double cell_values[10] = {0, 1.5, -2.25, 3.0, 4.125, 5.0, 6.5, 7.0, 8.0, 9.75};

std::string file_text(const std::string& path)
{
    return read_file(path);
}

} // namespace

TEST(MapFiles, PerTimeGridNames)
{
    const struct {
        const char* prefix;
        const char* tail;
        const char* name;
    } cases[] = {
        {"out", "depth.0001.asc", "out/depth.0001.asc"},
        {"out/", "depth.0001.asc", "out/depth.0001.asc"},   // no second separator
        {"out\\", "depth.0001.asc", "out\\depth.0001.asc"}, // nor after a backslash
        {"", "depth.0001.asc", "depth.0001.asc"},           // bare name, not one at the root
        {"rate", "infrate.0003.asc", "rate/infrate.0003.asc"},
        {"runs/a", "smoist.10000.asc", "runs/a/smoist.10000.asc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(map_file_name(c.prefix, c.tail), c.name) << c.prefix;
}

TEST(MapFiles, FastFormattingEqualsPrintf)
{
    const double values[] = {0.0,       -0.0,       1.0,     -1.0,    0.5,         2.5e-7,   5e-7,
                             1.5e-6,    0.00005,    0.00015, 0.12345, 123456789.5, -9999.99, 1e15,
                             1.0 / 3.0, -2.0 / 3.0, 1e300,   -1e-300, 0.1234565,   9.99995,  0.000049999};
    const struct {
        int precision, width;
        const char* format;
    } layouts[] = {{6, 0, "%lf"}, {4, 6, "%6.4lf"}};
    scratch_dir dir("text_writer");
    for (const auto& l : layouts) {
        std::string expected;
        const std::string path = dir.file("t.txt");
        std::FILE* fp = std::fopen(path.c_str(), "w");
        {
            text_writer out(fp);
            for (double v : values) {
                out.put_fixed(v, l.precision, l.width);
                out.put(' ');
                char buf[512];
                std::snprintf(buf, sizeof buf, l.format, v);
                expected += std::string(buf) + " ";
            }
            for (double v : {std::numeric_limits<double>::infinity(), std::nan("")}) {
                out.put_fixed(v, l.precision, l.width);
                char buf[64];
                std::snprintf(buf, sizeof buf, l.format, v);
                expected += buf;
            }
        }
        std::fclose(fp);
        EXPECT_EQ(file_text(path), expected) << l.format;
    }
}

TEST(MapFiles, AsciiDatasetLayout)
{
    scratch_dir dir("ascii_dataset");
    error_state_clear();
    const imat mask = three_by_four();
    file_rec rec;
    ASSERT_TRUE(write_ascii_dataset_header(dir.file("d.dat"), rec, 1010, "depth", 3, 4));
    write_dataset_step(rec.fp, 1.0, 3, 4, mask, cell_values, 0);
    write_dataset_step(rec.fp, 61.0, 3, 4, mask, cell_values, 0);
    write_dataset_end(rec, 0);
    EXPECT_EQ(rec.fp, nullptr); // closed with its marker: no second marker can follow
    write_dataset_end(rec, 0);

    const std::string text = file_text(dir.file("d.dat"));
    const std::string header = "DATASET\nOBJTYPE grid2d\nBEGSCL\nOBJID 1010\nND 12\nNC 12\nNAME depth\n";
    EXPECT_EQ(text.substr(0, header.size()), header);
    const dataset d = read_ascii_dataset(text);
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.nd, 12);
    EXPECT_EQ(d.nc, 12);
    EXPECT_EQ(d.name, "depth");
    ASSERT_EQ(d.steps.size(), 2u);
    EXPECT_EQ(d.steps[1].time, 61.0);
    const std::vector<int> status = {0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0};
    const std::vector<double> values = {0, 1.5, -2.25, 3, 4.125, 5, 6.5, 0, 7, 8, 9.75, 0};
    EXPECT_EQ(d.steps[0].status, status);
    EXPECT_EQ(d.steps[0].values, values);
    EXPECT_TRUE(d.ended);
    // One step is "TS 1 %lf", 12 statuses and 12 values.
    EXPECT_NE(
        text.find("TS 1 61.000000\n0\n1\n1\n1\n1\n1\n1\n0\n1\n1\n1\n0\n0.000000\n1.500000\n-2.250000\n"),
        std::string::npos);
}

TEST(MapFiles, BinaryDatasetLayout)
{
    scratch_dir dir("binary_dataset");
    error_state_clear();
    const imat mask = three_by_four();
    const struct {
        const char* name;
        const char* stored;
    } names[] = {
        {"groundwater_head", "groundwater_head"},
        {"a_name_of_more_than_forty_characters_is_cut_here", "a_name_of_more_than_forty_characters_is_"},
    };
    for (const auto& n : names) {
        file_rec rec;
        ASSERT_TRUE(write_binary_dataset_header(dir.file("d.bin"), rec, 1016, n.name, 3, 4));
        std::fflush(rec.fp);
        EXPECT_EQ(file_text(dir.file("d.bin")).size(), 100u); // 15 integers and 40 name bytes
        write_dataset_step(rec.fp, 6.0, 3, 4, mask, cell_values, 1);
        std::fflush(rec.fp);
        EXPECT_EQ(file_text(dir.file("d.bin")).size(), 100u + 134u); // 4 + 2 + 8 + 12 x 2 + 12 x 8
        write_dataset_end(rec, 1);

        const std::string bytes = file_text(dir.file("d.bin"));
        ASSERT_EQ(bytes.size(), 238u);
        const dataset d = read_binary_dataset(bytes);
        ASSERT_EQ(d.error, "") << n.name;
        EXPECT_EQ(d.object_id, 1016);
        EXPECT_EQ(d.nd, 12);
        EXPECT_EQ(d.nc, 12);
        EXPECT_EQ(d.name, n.stored);
        EXPECT_EQ(bytes.substr(60, 40),
                  std::string(n.stored) + std::string(40 - std::strlen(n.stored), '\0'));
        ASSERT_EQ(d.steps.size(), 1u);
        EXPECT_EQ(d.steps[0].time, 6.0);
        EXPECT_EQ(d.steps[0].status, (std::vector<int>{0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 0}));
        EXPECT_EQ(d.steps[0].values,
                  (std::vector<double>{0, 1.5, -2.25, 3, 4.125, 5, 6.5, 0, 7, 8, 9.75, 0}));
        EXPECT_TRUE(d.ended);
    }
}

TEST(MapFiles, DatasetThatCannotBeOpened)
{
    scratch_dir dir("dataset_open");
    error_state_clear();
    file_rec rec;
    const std::string path = dir.file("missing/d.dat");
    EXPECT_FALSE(write_binary_dataset_header(path, rec, 1010, "depth", 3, 4));
    EXPECT_EQ(error_state.code, 59);
    EXPECT_EQ(error_state.raised, 1);
    EXPECT_EQ(build_error_message(error_state), "Error: Can't open output file: " + path + "\n");
    // Nothing is written through the missing stream, and no marker either.
    const imat mask = three_by_four();
    write_dataset_step(rec.fp, 1.0, 3, 4, mask, cell_values, 1);
    write_dataset_end(rec, 1);
    error_state_clear();
}

TEST(MapFiles, SeriesInItsThreeFormats)
{
    scratch_dir dir("map_series");
    reset_file_name_globals();
    error_state_clear();
    const imat mask = three_by_four();
    auto s = std::make_unique<model_state>();
    s->grid_rows = 3;
    s->grid_cols = 4;
    auto bind = [&](map_series& w) {
        map_series_construct(w);
        w.values = cell_values;
        w.mask = &mask;
        w.north = 30;
        w.south = 0;
        w.east = 40;
        w.west = 0;
        w.rows = 3;
        w.cols = 4;
        w.cellsize = 10;
    };

    // Never opened: nothing at any output time.
    map_series idle;
    bind(idle);
    map_series_write(idle, 1.0);
    map_series_end(idle);

    // Grids: numbered in the order written; a failed open keeps the number.
    map_series grids;
    bind(grids);
    s->map_type_grids = 1;
    map_series_open(grids, map_format_code(*s), dir.path(), ".conc", ".asc", 1026, "conc_01", *s);
    EXPECT_EQ(grids.format, map_format_grids);
    testing::internal::CaptureStdout();
    map_series_write(grids, 1.0);
    map_series_write(grids, 2.0);
    make_folder(dir.file("conc_01.conc.0003.asc")); // a folder where the third grid goes
    map_series_write(grids, 3.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("opening file " + dir.path() + "/conc_01.conc.0001.asc\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Can't open map for writing: " + dir.path() + "/conc_01.conc.0003.asc\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(grids.seq, 3);
    EXPECT_EQ(error_state.raised, 1);
    error_state_clear();
    const esri_grid g = read_esri_grid(file_text(dir.file("conc_01.conc.0002.asc")));
    ASSERT_EQ(g.error, "");
    EXPECT_EQ(g.values[0], -9999.99);
    EXPECT_EQ(g.values[1], 1.5);
    map_series_end(grids); // no marker in a grid
    EXPECT_EQ(file_text(dir.file("conc_01.conc.0002.asc")).find("ENDDS"), std::string::npos);

    // ASCII and binary datasets named prefix + base, one marker each.
    s->map_type_grids = 0;
    s->map_dataset = 1;
    for (int binary = 0; binary <= 1; ++binary) {
        s->map_binary = binary;
        map_series w;
        bind(w);
        map_series_open(w, map_format_code(*s), dir.file("Total_ov_N"), ".mass", ".asc", 1055, "Total_ov_N",
                        *s);
        map_series_write(w, 1.0);
        map_series_write(w, 2.0);
        map_series_end(w);
        map_series_end(w);
        map_series_destroy(w);
        const std::string text = file_text(dir.file("Total_ov_N.mass"));
        const dataset d = binary ? read_binary_dataset(text) : read_ascii_dataset(text);
        ASSERT_EQ(d.error, "") << binary;
        EXPECT_EQ(d.object_id, 1055);
        EXPECT_EQ(d.steps.size(), 2u);
        EXPECT_TRUE(d.ended);
    }
    // Destroying an open dataset writer closes it without a marker.
    {
        map_series w;
        bind(w);
        map_series_open(w, map_format_ascii_dataset, dir.file("snow"), "", "", 1060, "Snow_Temperature", *s);
        map_series_write(w, 1.0);
    }
    EXPECT_EQ(read_ascii_dataset(file_text(dir.file("snow"))).error, "line 33: no ENDDS");
    reset_file_name_globals();
}
