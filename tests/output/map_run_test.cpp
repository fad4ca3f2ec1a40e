// Whole runs of examples/maps (a 4 x 5 plane with two cells outside the
// watershed): one grid file per map time with MAP_TYPE 0, ASCII and binary
// dataset files with MAP_TYPE 1 and 2, all read back by the readers of
// map_readers.h and compared with each other and with the water left on
// the surface; and the two ways a map file can fail to open.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/platform.h"
#include "output/map_readers.h"
#include "support/test_support.h"

using namespace torva_test;
using namespace map_readers;

namespace
{

const char* const kinds[] = {"depth", "discharge", "rain"};
const int map_times = 7; // minutes 1, 6, ..., 31 of a 31-minute run with one-minute steps

// Status of each cell of the example's grid in row order.
const std::vector<int> example_mask = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0};

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Copies the example into the folder with the map cards of the MAP_TYPE
// (datasets are named <kind>.dat).
void write_example(const scratch_dir& dir, int map_type)
{
    const std::string from = std::string(TORVA_EXAMPLES) + "/maps/";
    std::string prj = read_file(from + "maps.prj");
    if (map_type != 0) {
        prj = replace_all(prj, "MAP_TYPE        0", "MAP_TYPE        " + std::to_string(map_type));
        prj = replace_all(prj, "DEPTH           grids", "DEPTH           depth.dat");
        prj = replace_all(prj, "DISCHARGE       grids", "DISCHARGE       discharge.dat");
        prj = replace_all(prj, "DIS_RAIN        grids", "DIS_RAIN        rain.dat");
    }
    write_file(dir.file("maps.prj"), prj);
    for (const char* f : {"maps.msk", "maps.ele"})
        write_file(dir.file(f), read_file(from + f));
    make_folder(dir.file("grids"));
}

// Runs the project of the folder there; returns the exit status.
int run_in(const scratch_dir& dir, std::string& out)
{
    return run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' maps.prj 2>&1", out);
}

int run_example(const scratch_dir& dir, int map_type, std::string& out)
{
    write_example(dir, map_type);
    return run_in(dir, out);
}

std::string grid_name(const char* kind, int t)
{
    char name[64];
    std::snprintf(name, sizeof name, "grids/%s.%04d.asc", kind, t);
    return name;
}

// The number printed after `label` in the text.
double value_after(const std::string& text, const std::string& label)
{
    const std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + label.size(), nullptr);
}

} // namespace

TEST(MapRun, ExampleWritesOneGridPerKindAndMapTime)
{
    scratch_dir dir("map_run_grids");
    std::string out;
    ASSERT_EQ(run_example(dir, 0, out), 0) << out;
    for (const char* kind : kinds) {
        for (int t = 1; t <= map_times; ++t) {
            const std::string name = grid_name(kind, t);
            const esri_grid g = read_esri_grid(read_file(dir.file(name)));
            ASSERT_EQ(g.error, "") << name;
            EXPECT_EQ(g.ncols, 5) << name;
            EXPECT_EQ(g.nrows, 4) << name;
            EXPECT_EQ(g.xllcenter, 505.0) << name; // west 500, south 1000, 10 m cells
            EXPECT_EQ(g.yllcenter, 1005.0) << name;
            EXPECT_EQ(g.cellsize, 10.0) << name;
            EXPECT_EQ(g.nodata, -9999.99) << name;
            for (std::size_t i = 0; i < g.values.size(); ++i)
                EXPECT_EQ(g.values[i] == -9999.99, example_mask[i] == 0) << name << " cell " << i;
        }
        EXPECT_FALSE(file_exists(dir.file(grid_name(kind, map_times + 1)))) << kind;
    }
    // 50 mm/h falls for the first ten minutes.
    EXPECT_EQ(read_esri_grid(read_file(dir.file("grids/rain.0002.asc"))).values[1], 50.0);
    EXPECT_EQ(read_esri_grid(read_file(dir.file("grids/rain.0003.asc"))).values[1], 0.0);

    // The last map time is the run's last step: its depths hold the water
    // the summary reports as left on the surface (100 m2 cells).
    const esri_grid last = read_esri_grid(read_file(dir.file(grid_name("depth", map_times))));
    double volume = 0.0;
    for (std::size_t i = 0; i < last.values.size(); ++i)
        if (example_mask[i])
            volume += last.values[i] * 100.0;
    const std::string sum = read_file(dir.file("maps.sum"));
    EXPECT_NEAR(volume, value_after(sum, "volume remaining on surface:"), 0.05 + 18 * 0.00005 * 100) << sum;
}

TEST(MapRun, DatasetsAgreeWithEachOtherAndWithTheGrids)
{
    scratch_dir grids_dir("map_run_0"), ascii_dir("map_run_1"), binary_dir("map_run_2");
    std::string out;
    ASSERT_EQ(run_example(grids_dir, 0, out), 0) << out;
    ASSERT_EQ(run_example(ascii_dir, 1, out), 0) << out;
    ASSERT_EQ(run_example(binary_dir, 2, out), 0) << out;
    EXPECT_EQ(out.find("opening file"), std::string::npos) << out;
    EXPECT_FALSE(file_exists(binary_dir.file("grids/depth.0001.asc")));

    int object_id = 1010;
    for (const char* kind : kinds) {
        const std::string file = std::string(kind) + ".dat";
        const dataset a = read_ascii_dataset(read_file(ascii_dir.file(file)));
        const dataset b = read_binary_dataset(read_file(binary_dir.file(file)));
        for (const dataset* d : {&a, &b}) {
            ASSERT_EQ(d->error, "") << file;
            EXPECT_EQ(d->object_id, object_id) << file;
            EXPECT_EQ(d->name, kind);
            EXPECT_EQ(d->nd, 20);
            EXPECT_EQ(d->nc, 20);
            ASSERT_EQ(d->steps.size(), static_cast<std::size_t>(map_times)) << file;
            EXPECT_TRUE(d->ended);
        }
        for (int t = 0; t < map_times; ++t) {
            const esri_grid g = read_esri_grid(read_file(grids_dir.file(grid_name(kind, t + 1))));
            ASSERT_EQ(g.error, "");
            EXPECT_EQ(a.steps[t].time, 1.0 + 5 * t);
            EXPECT_EQ(b.steps[t].time, 1.0 + 5 * t);
            EXPECT_EQ(a.steps[t].status, example_mask);
            EXPECT_EQ(b.steps[t].status, example_mask);
            for (std::size_t i = 0; i < example_mask.size(); ++i) {
                const double value = b.steps[t].values[i];
                if (!example_mask[i]) {
                    EXPECT_EQ(value, 0.0);
                    EXPECT_EQ(a.steps[t].values[i], 0.0);
                    continue;
                }
                // Six decimals in the ASCII dataset, four in the grids.
                EXPECT_NEAR(a.steps[t].values[i], value, 5e-7 + 1e-12 * std::fabs(value)) << file << " " << t;
                EXPECT_NEAR(g.values[i], value, 5e-5 + 1e-12 * std::fabs(value)) << file << " " << t;
            }
        }
        ++object_id;
    }
}

TEST(MapRun, GridThatCannotBeOpenedStopsTheRun)
{
    scratch_dir dir("map_run_fail");
    make_folder(dir.file("grids"));
    make_folder(dir.file("grids/depth.0005.asc")); // a folder where the fifth depth map goes
    std::string out;
    run_example(dir, 0, out);
    const std::size_t opening = out.find("opening file grids/depth.0005.asc\n");
    EXPECT_NE(opening, std::string::npos) << out;
    EXPECT_NE(out.find("Can't open depth map for writing: grids/depth.0005.asc\n", opening),
              std::string::npos)
        << out;
    for (const char* kind : kinds) {
        for (int t = 1; t <= 4; ++t)
            EXPECT_TRUE(file_exists(dir.file(grid_name(kind, t)))) << kind << t;
        if (std::string(kind) != "depth") {
            EXPECT_FALSE(file_exists(dir.file(grid_name(kind, 5)))) << kind;
        }
        EXPECT_FALSE(file_exists(dir.file(grid_name(kind, 6)))) << kind;
    }
    EXPECT_EQ(read_file(dir.file("maps.sum")).find("SIMULATION TOTALS"), std::string::npos);
}

TEST(MapRun, DatasetThatCannotBeOpenedStopsTheRunAtStartUp)
{
    scratch_dir dir("map_run_dataset_fail");
    write_example(dir, 1);
    write_file(dir.file("maps.prj"),
               replace_all(read_file(dir.file("maps.prj")), "discharge.dat", "no_such_folder/discharge.dat"));
    std::string out;
    run_in(dir, out);
    EXPECT_NE(out.find("Error: Can't open output file: no_such_folder/discharge.dat\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("Running...."), std::string::npos) << out;
}

// The folder of the grid files is made at start-up when it is missing (one
// level, as the output folder is): the run writes every map instead of
// stopping at the first map time. A folder two levels down from nothing is
// refused at start-up, naming it, before the run starts.
TEST(MapRun, MissingGridFolderIsMadeAtStartUp)
{
    scratch_dir dir("map_run_folder");
    write_example(dir, 0);
    std::filesystem::remove(dir.file("grids"));
    std::string out;
    EXPECT_EQ(run_in(dir, out), 0) << out;
    for (const char* kind : kinds)
        for (int t = 1; t <= map_times; ++t)
            EXPECT_TRUE(file_exists(dir.file(grid_name(kind, t)))) << kind << t << "\n" << out;

    write_file(dir.file("maps.prj"), replace_all(read_file(dir.file("maps.prj")), "DISCHARGE       grids",
                                                 "DISCHARGE       out/grids"));
    EXPECT_EQ(run_in(dir, out), 1) << out;
    EXPECT_NE(out.find("Error: the folder out/grids of the discharge maps does not exist and cannot be "
                       "created: its parent folder must exist.\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Running...."), std::string::npos) << out;
}
