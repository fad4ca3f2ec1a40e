// tools/raster_to_grids turns a GeoTIFF into the mask and elevation grids a
// project reads: cells without data leave the watershed, the extent and the
// values are kept, GDAL reads the grids back as GRASS ASCII grids, and a run
// on them goes to its end. Skipped where GDAL is not installed.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

bool gdal_available()
{
    std::string out;
    return run_command("command -v gdal_translate >/dev/null 2>&1 && command -v gdalinfo >/dev/null 2>&1",
                       out) == 0;
}

std::string tool()
{
    return std::string(TORVA_SOURCE_DIR) + "/tools/raster_to_grids";
}

} // namespace

TEST(RasterToGrids, GeoTiffBecomesMaskAndElevationThatARunReads)
{
    if (!gdal_available())
        GTEST_SKIP() << "GDAL (gdal_translate, gdalinfo) is not installed";
    scratch_dir dir("raster_to_grids");
    // A 3 x 4 raster of 10 m cells whose north-west cell has no data,
    // falling toward the south-east corner.
    write_file(dir.file("dem.asc"), "ncols 4\nnrows 3\nxllcorner 500\nyllcorner 1000\ncellsize 10\n"
                                    "NODATA_value -9999\n"
                                    "-9999 103 102 101\n"
                                    "103.5 102.5 101.5 100.5\n"
                                    "103 102 101 100\n");
    std::string out;
    const std::string in_dir = "cd '" + dir.path() + "' && ";
    ASSERT_EQ(run_command(in_dir + "gdal_translate -q -of GTiff dem.asc dem.tif 2>&1", out), 0) << out;
    ASSERT_EQ(run_command(in_dir + "'" + tool() + "' dem.tif basin 2>&1", out), 0) << out;
    EXPECT_NE(out.find("ROWS      3\nCOLS      4\nGRIDSIZE  10\n"), std::string::npos) << out;

    const std::string header = "north: 1030.0000\nsouth: 1000.0000\neast: 540.0000\nwest: 500.0000\n"
                               "rows: 3\ncols: 4\n";
    EXPECT_EQ(read_file(dir.file("basin.msk")), header + "0 1 1 1\n1 1 1 1\n1 1 1 1\n");
    EXPECT_EQ(read_file(dir.file("basin.ele")), header + "0 103 102 101\n103.5 102.5 101.5 100.5\n"
                                                         "103 102 101 100\n");

    // GDAL reads the grids back in place.
    ASSERT_EQ(run_command(in_dir + "gdalinfo basin.ele 2>&1", out), 0) << out;
    EXPECT_NE(out.find("GRASS ASCII Grid"), std::string::npos) << out;
    EXPECT_NE(out.find("Origin = (500.000000000000000,1030.000000000000000)"), std::string::npos) << out;

    // A run on them: eleven active cells under rain, outlet at the
    // south-east corner.
    write_file(dir.file("basin.prj"), "TORVAPROJECT\nWATERSHED_MASK basin.msk\nELEVATION basin.ele\n"
                                      "GRIDSIZE 10\nROWS 3\nCOLS 4\nTOT_TIME 20\nTIMESTEP 10\n"
                                      "OUTROW 3\nOUTCOL 4\nOUTSLOPE 0.01\nMANNING_N 0.05\n"
                                      "PRECIP_UNIF\nRAIN_INTENSITY 50\nRAIN_DURATION 10\n"
                                      "START_DATE 2000 1 1\nSTART_TIME 12 0\nHYD_FREQ 1\nMAP_FREQ 10\n"
                                      "SUMMARY basin.sum\nOUTLET_HYDRO basin.otl\nQUIET\n");
    ASSERT_EQ(run_command(in_dir + "'" + torva_exe() + "' basin.prj 2>&1", out), 0) << out;
    const std::string mask = read_file(dir.file("maskmap"));
    EXPECT_NE(mask.find("11"), std::string::npos) << mask; // the last cell's number
    EXPECT_EQ(mask.find("12"), std::string::npos) << mask;
}

TEST(RasterToGrids, CellsThatAreNotSquareAreRefused)
{
    if (!gdal_available())
        GTEST_SKIP() << "GDAL (gdal_translate, gdalinfo) is not installed";
    scratch_dir dir("raster_to_grids_rect");
    write_file(dir.file("dem.asc"), "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ndx 10\ndy 20\n"
                                    "1 2\n3 4\n");
    std::string out;
    const std::string in_dir = "cd '" + dir.path() + "' && ";
    ASSERT_EQ(run_command(in_dir + "gdal_translate -q -of GTiff dem.asc dem.tif 2>&1", out), 0) << out;
    EXPECT_NE(run_command(in_dir + "'" + tool() + "' dem.tif basin 2>&1", out), 0) << out;
    EXPECT_NE(out.find("not square"), std::string::npos) << out;
    // Resampled to 10 m cells it goes through.
    EXPECT_EQ(run_command(in_dir + "'" + tool() + "' dem.tif basin 10 2>&1", out), 0) << out;
    EXPECT_NE(out.find("ROWS      4\nCOLS      2\n"), std::string::npos) << out;
}
