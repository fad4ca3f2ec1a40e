// The two ASCII grid layouts written from a per-cell vector.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output/grid_writers.h"
#include "support/test_support.h"

namespace
{

// Mask 0 1 1 / 1 0 1 (a 2 x 3 grid) and the values 1..4.
struct small_grid {
    imat mask;
    double values[5] = {0, 1, 2, 3, 4};
    small_grid()
    {
        mask.assign(2, 3, 0);
        mask[1][2] = mask[1][3] = mask[2][1] = mask[2][3] = 1;
    }
};

template <class F> std::string written(F&& write)
{
    torva_test::scratch_dir dir("grids");
    const std::string path = dir.file("g.asc");
    std::FILE* fp = std::fopen(path.c_str(), "w");
    write(fp);
    std::fclose(fp);
    return torva_test::read_file(path);
}

} // namespace

TEST(GridWriters, AsciiGridLayout)
{
    small_grid g;
    const std::string text = written(
        [&](std::FILE* fp) { write_grass_ascii_grid(fp, g.mask, 920.0, 20.0, 950.0, 50.0, 2, 3, g.values); });
    EXPECT_EQ(text, "north:    920.00\nsouth:     20.00\neast:    950.00\nwest:     50.00\n"
                    "rows:     2\ncols:     3\n"
                    "0.000000 1.000000 2.000000 \n3.000000 0.000000 4.000000 \n");
}

TEST(GridWriters, EsriLayout)
{
    small_grid g;
    const char* expected = "ncols \t3\nnrows \t2\nxllcenter     55.00\nyllcenter     25.00\n"
                           "cellsize     10.00\nNODATA_value -9999.99\n"
                           "-9999.9900 1.0000 2.0000 \n3.0000 -9999.9900 4.0000 \n";
    EXPECT_EQ(written([&](std::FILE* fp) {
                  write_esri_ascii_grid(fp, g.mask, 920.0, 20.0, 950.0, 50.0, 2, 3, g.values, 10.0);
              }),
              expected);
    // East and west (or north and south) the other way round: the same corner.
    EXPECT_EQ(written([&](std::FILE* fp) {
                  write_esri_ascii_grid(fp, g.mask, 20.0, 920.0, 50.0, 950.0, 2, 3, g.values, 10.0);
              }),
              expected);
}

TEST(GridWriters, NoActiveCellAndWideValues)
{
    imat none;
    none.assign(1, 2, 0);
    const double nothing[1] = {0};
    EXPECT_EQ(
        written([&](std::FILE* fp) { write_grass_ascii_grid(fp, none, 1, 0, 1, 0, 1, 2, nothing); }),
        "north:      1.00\nsouth:      0.00\neast:      1.00\nwest:      0.00\nrows:     1\ncols:     2\n"
        "0.000000 0.000000 \n");
    const std::string esri =
        written([&](std::FILE* fp) { write_esri_ascii_grid(fp, none, 1, 0, 1, 0, 1, 2, nothing, 1.0); });
    EXPECT_NE(esri.find("NODATA_value -9999.99\n-9999.9900 -9999.9900 \n"), std::string::npos);

    imat one;
    one.assign(1, 1, 1);
    const double wide[2] = {0, 123456789.5};
    EXPECT_NE(written([&](std::FILE* fp) {
                  write_esri_ascii_grid(fp, one, 1, 0, 1, 0, 1, 1, wide, 1.0);
              }).find("\n123456789.5000 \n"),
              std::string::npos);
}
