// Bad variants of examples/tiny run through the program itself: each must
// stop before the time loop, exit with status 1 and name the card, file or
// value at fault. The good variants next to them must still run and exit 0.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "input/input_steps.h"
#include "support/example_variant.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::string tiny_folder = std::string(TORVA_EXAMPLES) + "/tiny";

// A variant of examples/tiny with a folder "maps" beside the project and
// the project edited (null: as it is); run with `args`.
example_variant tiny(const char* label, const text_edit& edit, const std::string& message, int status = 1,
                     const std::string& args = "tiny.prj", const file_edits& more = {})
{
    file_edits edits = {{"maps/none", whole("")}};
    if (edit)
        edits.push_back({"tiny.prj", edit});
    edits.insert(edits.end(), more.begin(), more.end());
    return {label, "tiny", args, edits, {message}, status};
}

std::vector<example_variant> cases()
{
    std::vector<example_variant> c;
    // Exit status of what is not a run.
    c.push_back(tiny("usage", nullptr, "Usage: torva [-option] [inputfile]", 0, ""));
    c.push_back(tiny("version", nullptr, "-- TORVA version", 0, "-v x"));
    c.push_back(tiny("clean run", nullptr, "Running....", 0));
    c.push_back(
        tiny("missing project", nullptr, "Error: The specified project file was not found.", 1, "none.prj"));
    c.push_back(tiny("batch with a failing run", nullptr, "Error: The specified project file was not found.",
                     1, "-b2 none.prj"));
    c.push_back(tiny(
        "batch count 0", nullptr,
        "Error: the run count of the switch -b0 is out of range; give a whole number from 1 to 2147483647.",
        1, "-b0 tiny.prj"));
    c.push_back(tiny("batch count too large", nullptr,
                     "Error: the run count of the switch -b99999999999 is out of range", 1,
                     "-b99999999999 tiny.prj"));
    c.push_back(tiny("calibration mode", nullptr, "Can't open SCE input file sce.in", 1, "-c sce.in"));
    c.push_back(tiny("unknown switch", nullptr, "Usage: torva [-option] [inputfile]", 1, "-q tiny.prj"));
    c.push_back(tiny("project argument names a folder", nullptr,
                     "Error: maps names a folder where a file is expected.", 1, "maps"));

    // Integer cards read strictly, values present.
    c.push_back(tiny("exponent in an integer", set_card("TOT_TIME", "1e7"),
                     "line 8: the value \"1e7\" of card TOT_TIME is not a whole number."));
    c.push_back(tiny("integer too large", set_card("TOT_TIME", "99999999999"),
                     "the value \"99999999999\" of card TOT_TIME is out of range."));
    c.push_back(tiny("fraction in an integer", set_card("ROWS", "3.5"),
                     "the value \"3.5\" of card ROWS is not a whole number."));
    c.push_back(tiny("NUL inside a number",
                     set_card("TIMESTEP", std::string("1\0"
                                                      "0",
                                                      3)),
                     "the value \"1\\x000\" of card TIMESTEP is not a number."));
    c.push_back(
        tiny("missing number", set_card("TOT_TIME", ""), "line 8: the value of card TOT_TIME is missing."));
    c.push_back(tiny("missing name", set_card("WATERSHED_MASK", ""),
                     "line 3: the value of card WATERSHED_MASK is missing."));
    c.push_back(tiny("word for a number", set_card("GRIDSIZE", "ten"),
                     "the value \"ten\" of card GRIDSIZE is not a number."));

    // Ranges kept beside the cards.
    c.push_back(tiny("total time 0", set_card("TOT_TIME", "0"),
                     "the value \"0\" of card TOT_TIME is out of range: it must be above 0."));
    c.push_back(tiny("negative time step", set_card("TIMESTEP", "-10"),
                     "the value \"-10\" of card TIMESTEP is out of range: it must be above 0."));
    c.push_back(tiny("hydrograph interval 0", set_card("HYD_FREQ", "0"),
                     "of card HYD_FREQ is out of range: it must be above 0."));
    c.push_back(tiny("map interval 0", set_card("MAP_FREQ", "0"),
                     "of card MAP_FREQ is out of range: it must be above 0."));
    c.push_back(tiny("grid size 0", set_card("GRIDSIZE", "0"),
                     "of card GRIDSIZE is out of range: it must be above 0."));
    c.push_back(tiny("no rows", set_card("ROWS", "0"), "of card ROWS is out of range: it must be above 0."));
    c.push_back(tiny("negative columns", set_card("COLS", "-4"),
                     "of card COLS is out of range: it must be above 0."));
    c.push_back(tiny("negative rain duration", set_card("RAIN_DURATION", "-10"),
                     "the value \"-10\" of card RAIN_DURATION is out of range: it must be 0 or above."));
    c.push_back(tiny("negative rain intensity", set_card("RAIN_INTENSITY", "-50"),
                     "of card RAIN_INTENSITY is out of range: it must be 0 or above."));
    // A river bed of no thickness would divide the stream seepage by zero.
    c.push_back(tiny("river bed of no thickness", appended("M_RIVER 0\n"),
                     "the value \"0\" of card M_RIVER is out of range: it must be above 0."));
    c.push_back(tiny("negative river-bed conductivity", appended("K_RIVER -1e-5\n"),
                     "of card K_RIVER is out of range: it must be 0 or above."));
    c.push_back(tiny("latitude beyond the pole", appended("LATITUDE 91\n"),
                     "of card LATITUDE is out of range: it must be from -90 to 90."));

    // Numbers that are not finite or beyond a double.
    c.push_back(tiny("nan roughness", set_card("MANNING_N", "nan"),
                     "the value \"nan\" of card MANNING_N is not finite."));
    c.push_back(tiny("infinite grid size", set_card("GRIDSIZE", "inf"), "of card GRIDSIZE is not finite."));
    c.push_back(tiny("beyond a double", set_card("RAIN_INTENSITY", "1e400"),
                     "the value \"1e400\" of card RAIN_INTENSITY is out of range."));

    // Runs the clocks cannot keep.
    c.push_back(tiny("no end", drop_card("TOT_TIME"),
                     "Error: Total simulation time not specified.\nAn event run needs its length in minutes: "
                     "give it with the card TOT_TIME."));
    c.push_back(tiny("time step beyond the run", set_card("TIMESTEP", "1e308"),
                     "Error: the time step of 1e+308 seconds (TIMESTEP) is longer than the run of 30 minutes "
                     "(TOT_TIME)."));

    // Dates and times.
    c.push_back(tiny("month 13", set_card("START_DATE", "2000 13 45"),
                     "the value \"2000 13 45\" of card START_DATE is not a calendar date (year month day)."));
    c.push_back(tiny("29 February of a common year", set_card("START_DATE", "2001 02 29"),
                     "of card START_DATE is not a calendar date"));
    c.push_back(tiny("hour 24", set_card("START_TIME", "24 00"),
                     "the value \"24 00\" of card START_TIME is not a time of day"));
    c.push_back(tiny("end minute 60", appended("END_TIME 2000 01 01 12 60\n"),
                     "of card END_TIME is not a time of day"));
    c.push_back(tiny("date missing its day", set_card("START_DATE", "2000 01"),
                     "the value \"2000 01\" of card START_DATE is missing a number."));

    // Line ends.
    c.push_back(tiny("CR-LF cards after an LF header", crlf_from(2), "Running....", 0));
    c.push_back(
        tiny("CR-LF header", crlf_from(1), "File Does not Appear to be a Valid TORVA/ORLENT Project file"));

    // Files.
    c.push_back(tiny("folder for the mask", set_card("WATERSHED_MASK", "maps"),
                     "Error: maps names a folder where a file is expected."));
    c.push_back(tiny("missing elevation", set_card("ELEVATION", "none.ele"),
                     "Error: Unable to open elevation data file.\n  (File: none.ele)"));
    c.push_back(tiny("missing pipe-network file", appended("STORM_SEWER sewer.in\n"),
                     "Error: Unable to open superlink input file file.\n  (File: sewer.in)"));

    // Sizes that cannot be held.
    c.push_back(tiny("rows overflow", set_card("ROWS", "2147483647"),
                     "Error: the grid of ROWS 2147483647 and COLS 4 cannot be held"));

    // Processes that are not built yet, and long-term runs that lack an input.
    c.push_back(tiny("Green-Ampt without conductivity", appended("GREEN_AMPT\n"),
                     "Green-Ampt infiltration needs the saturated hydraulic conductivity: give its map "
                     "(CONDUCTIVITY) or the GREEN_AMPT_INFILTRATION table of the mapping table"));
    c.push_back(tiny("Green-Ampt without capillary head", appended("GREEN_AMPT\nCONDUCTIVITY tiny.ele\n"),
                     "Green-Ampt infiltration needs the capillary head: give its map (CAPILLARY) or the "
                     "GREEN_AMPT_INFILTRATION table of the mapping table"));
    c.push_back(tiny("Richards passes",
                     appended("INF_RICHARDS\nRICHARDS_C_OPTION brooks\nRICHARDS_ITER_MAX 0\n"),
                     "the value \"0\" of card RICHARDS_ITER_MAX is out of range: it must be above 0."));
    c.push_back(tiny("overland point sources", appended("OV_POINT_SOURCE pts.txt\n"),
                     "Overland point sources (OV_POINT_SOURCE) is not available yet."));
    c.push_back(
        tiny("erosion as constituents", appended("SOIL_EROSION 12\n"),
             "Soil erosion carried as overland constituents (SOIL_EROSION 11 to 16) is not available yet."));
    c.push_back(tiny(
        "long-term run without weather", appended("LONG_TERM\nET_CALC_DEARDORFF\nINF_REDIST\nALBEDO a.map\n"),
        "Error: LONG_TERM needs hourly weather; give HMET_KTR, HMET_SAMSON, HMET_SURFAWAYS or HMET_ASCII\n"));
    c.push_back(tiny("long-term run without albedo",
                     appended("LONG_TERM\nET_CALC_DEARDORFF\nINF_REDIST\nHMET_KTR none.hmet\n"),
                     "Error: Albedo values not specified for long term simulation. Check project file."));
    c.push_back(
        tiny("long-term run with a missing weather file",
             appended("LONG_TERM\nET_CALC_DEARDORFF\nINF_REDIST\nALBEDO tiny.ele\nHMET_KTR none.hmet\n"),
             "Error: Unable to open hydromet data file.\n  (File: none.hmet)"));
    c.push_back(tiny("long-term run without an evapotranspiration method",
                     appended("LONG_TERM\nINF_REDIST\nHMET_KTR none.hmet\n"),
                     "Error: You have specified neither the Penman Montieth or Deardorff\n"));
    c.push_back(tiny(
        "XY overland boundary cell outside the watershed", appended("XYBDYINPUT_OVDEP xy.bdy\n"),
        "Error: point 2 of the xy boundary input file xy.bdy names cell 99; the watershed's cells are 1 to ",
        1, "tiny.prj",
        {{"xy.bdy", whole("XY_OV_DEPTH\n2\nDATE       TIME \t         1         99\n"
                          "2000 01 01 00 00\t     0.100     0.200\nEND_TS\n")}}));
    return c;
}

} // namespace

TEST(BadProject, StopsWithStatusOneAndNamesTheFault)
{
    expect_variants(cases());
}

// Output files on a full disk: the run stops at the first flush that fails,
// names the file and exits with status 1. The summary and a map dataset take
// their start-up lines, so they stop the run before its first step; the
// outlet hydrograph stops it at its first row.
TEST(BadProject, WritesThatFailStopTheRunNamingTheFile)
{
    if (!file_exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const std::string message = "Error: writing to the file /dev/full failed";
    const refusal_checks before_running = {{"Running....", "elapsed time     1.00"}};
    const refusal_checks at_first_row = {{"elapsed time     1.00"}};
    expect_variant(
        {"summary", "tiny", "tiny.prj", {{"tiny.prj", set_card("SUMMARY", "/dev/full")}}, {message}},
        before_running);
    expect_variant({"depth maps",
                    "tiny",
                    "tiny.prj",
                    {{"tiny.prj", appended("MAP_TYPE 1\nDEPTH /dev/full\n")}},
                    {message}},
                   before_running);
    expect_variant({"outlet hydrograph",
                    "tiny",
                    "tiny.prj",
                    {{"tiny.prj", set_card("OUTLET_HYDRO", "/dev/full")}},
                    {message}},
                   at_first_row);
}

// A project started from the folder above its own: its names are taken
// from the working folder, and the messages say where the run looked. With
// PROJECT_FOLDER written with "/" separators (with or without the last one)
// the same project runs from anywhere; the folder of a project path is its
// project folder for the calibration set-up, as with the backslash.
TEST(BadProject, FilesAreLookedForFromTheWorkingFolderOrTheProjectFolder)
{
    scratch_dir dir("where");
    std::filesystem::create_directories(dir.file("sub/deeper"));
    for (const char* name : {"tiny.msk", "tiny.ele"})
        write_file(dir.file(std::string("sub/deeper/") + name), read_file(tiny_folder + "/" + name));
    const std::string prj = read_file(tiny_folder + "/tiny.prj");
    write_file(dir.file("sub/deeper/tiny.prj"), prj);
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && '" + torva_exe() + "' sub/deeper/tiny.prj 2>&1", out),
              1);
    const std::string looked = "  Looked for: " + dir.file("tiny.msk") + "\n";
    EXPECT_NE(out.find("Error getting new filename from tiny.msk\n" + looked), std::string::npos) << out;
    EXPECT_NE(out.find("Error: Unable to open watershed mask file.\n  (File: tiny.msk)\n" + looked),
              std::string::npos)
        << out;

    for (const std::string& folder : {dir.file("sub/deeper"), dir.file("sub/deeper/")}) {
        write_file(dir.file("sub/deeper/tiny.prj"),
                   "TORVAPROJECT\nPROJECT_FOLDER " + folder + prj.substr(12));
        EXPECT_EQ(
            run_command("cd / && '" + torva_exe() + "' '" + dir.file("sub/deeper/tiny.prj") + "' 2>&1", out),
            0)
            << folder << "\n"
            << out;
        EXPECT_TRUE(file_exists(dir.file("sub/deeper/tiny.sum"))) << folder;
        std::filesystem::remove(dir.file("sub/deeper/tiny.sum"));
    }

    reset_file_name_globals();
    testing::internal::CaptureStdout();
    write_file(dir.file("sub/deeper/plain.prj"), prj);
    find_project_folder(dir.file("sub/deeper/plain.prj"));
    EXPECT_EQ(project_dir, dir.file("sub/deeper/"));
    write_file(dir.file("sub/deeper/card.prj"), "TORVAPROJECT\nPROJECT_FOLDER sub/deeper\n");
    find_project_folder(dir.file("sub/deeper/card.prj"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(project_dir, "sub/deeper/");
    reset_file_name_globals();
}

// The input hub allocates the cell-number grids first: a size that cannot be
// computed or allocated stops it there, before any reader runs.
TEST(BadProject, InputHubStopsAtTheFirstGridItCannotHold)
{
    struct size_case {
        int rows, cols;
        const char* message;
    };
    const size_case cases[] = {
        {INT_MAX, 4,
         "Error: the grid of ROWS 2147483647 and COLS 4 cannot be held: each must be from 1 to "
         "2147483645.\n"},
        {INT_MAX - 2, INT_MAX - 2, "Error allocating memory for variable mask\n"},
    };
    for (const size_case& c : cases) {
        error_state_clear();
        auto s = std::make_unique<model_state>();
        s->rows = c.rows;
        s->cols = c.cols;
        s->watershed_mask_name = "never-read.msk";
        testing::internal::CaptureStdout();
        read_inputs(*s);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_EQ(out.find("reading watershed mask"), std::string::npos) << out;
        EXPECT_EQ(error_state.raised, 1);
        EXPECT_TRUE(s->mask.empty());
        model_state_destroy(*s);
    }
    error_state_clear();
}
