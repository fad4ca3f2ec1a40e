// Cards that ask for a process, a file or a variant that the model does not
// have stop at start-up, through the program itself, with the message that
// names them and exit status 1; the same cards where they would act on
// nothing, and the cards that are read and have no effect, leave the run
// exactly as it is without them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// examples/tiny with the cards appended to its project.
example_variant tiny_with(const std::string& cards, std::string message)
{
    return {cards, "tiny", "tiny.prj", {{"tiny.prj", appended(cards)}}, {std::move(message)}};
}

} // namespace

TEST(PendingProcesses, CardsWithoutAProcessStopTheRunByName)
{
    const std::string preissmann = "Error: Preissmann implicit channel routing is not supported by TORVA.\n"
                                   "Select explicit channel routing method. \n";
    const std::string long_term_snow = "LONG_TERM\nET_CALC_DEARDORFF\nINF_REDIST\nALBEDO a.map\n"
                                       "HMET_KTR w.hmet\nROUTE_LAT_SNOW\n";
    const std::vector<example_variant> cases = {
        tiny_with("OV_PUMP pumps.txt\n", "Overland pumping (OV_PUMP) is not available yet.\n"),
        tiny_with("LAKE_PUMP pumps.txt\n", "Lake pumping (LAKE_PUMP) is not available yet.\n"),
        tiny_with("UNIF_AREA_REDUCTION 0.3\n",
                  "Uniform area reduction (UNIF_AREA_REDUCTION) is not available yet.\n"),
        tiny_with("CHAN_EXPLIC\nCHANNEL_INPUT c.chn\nREAD_CHAN_HOTSTART start\nHOTSTART_IS_DEPTH\n",
                  "Reading the channel hotstart as depths (HOTSTART_IS_DEPTH) is not available yet.\n"),
        tiny_with("CHAN_EXPLIC\nCHANNEL_INPUT c.chn\nDEPTH maps/\nINCLUDE_CHANNEL_DEPTH\n",
                  "Channel depths in the DEPTH maps (INCLUDE_CHANNEL_DEPTH) is not available yet.\n"),
        tiny_with(long_term_snow + "SNOW_REYNOLDS 2000\n",
                  "Flow under snow by its Reynolds number (SNOW_REYNOLDS) is not available yet.\n"),
        tiny_with("DAILY_OUTPUT daily.out\n", "The daily output file (DAILY_OUTPUT) is not available yet.\n"),
        tiny_with("SOURCEFILE src.txt\n", "The source file (SOURCEFILE) is not available yet.\n"),
        tiny_with("CELL_HYDRO cell.hyd\n", "The cell hydrograph file (CELL_HYDRO) is not available yet.\n"),
        tiny_with("DIS_PROFILE links.txt\n", "Discharge profiles (DIS_PROFILE) is not available yet.\n"),
        tiny_with("DIS_PROFILE_OUT q.out\n", "Discharge profiles (DIS_PROFILE_OUT) is not available yet.\n"),
        tiny_with("WAT_SURF_PROFILE links.txt\n",
                  "Water-surface profiles (WAT_SURF_PROFILE) is not available yet.\n"),
        tiny_with("WAT_SURF_PROFILE_OUT wse.out\n",
                  "Water-surface profiles (WAT_SURF_PROFILE_OUT) is not available yet.\n"),
        tiny_with("MAP_TYPE 3\n", "Map format 3 (MAP_TYPE 3) is not available yet.\n"),
        tiny_with("CHAN_PREISS\n", preissmann),
        tiny_with("CHAN_DRAIN\n", preissmann),
        tiny_with("CHAN_BACKWATER\n", preissmann),
    };
    // Refused before any run file is opened.
    expect_variants(cases, refusal_checks{{"Running...."}, {}, {"tiny.sum"}});
}

// Read and without effect: the cards whose values the model takes from
// elsewhere, the settings of the unavailable hierarchical format, files no
// step reads, and the refused cards where they have nothing to act on. The
// run's files are those of the run without them, byte for byte.
TEST(PendingProcesses, CardsWithoutEffectLeaveTheRunAsItIs)
{
    const std::string no_effect =
        "OV_DECAY_COEF 0.5\nOV_DISP_COEF 0.1\nOV_UPTAKE_RATE 0.2\nOV_MASS_LOAD 1.0\n"
        "M_LAKE 3.0\nSOIL_KINETICS_TIMESTEP_FACTOR 2\nNWSRFS_RETENTION\n"
        "TOPO_INDEX_CGS\nCALIB_OBS_DATA obs.txt\nZENF_BASE_GRID g\n"
        "ZENF_BASE_STREAM st\nZENF_DATASETGROUP d\nZENF_COMPRESSION 1\n"
        "NODES n.map\nMATERIALS m.txt\nSECTION_TABLE x.txt\n"
        "SOIL_ERODABILITY k.map\nCROP_MANAGEMENT c.map\n"
        "CONSERVATION_PRACTICE p.map\nSAND_MAP s.map\nSILT_MAP t.map\n"
        "SUPPRESS_PRINTING 1\n"
        // Nothing to act on: no blocked fraction, no
        // hotstart read, no routed channel, no snow.
        "UNIF_AREA_REDUCTION 0\nHOTSTART_IS_DEPTH\nINCLUDE_CHANNEL_DEPTH\n"
        "SNOW_REYNOLDS 2000\n";
    const example_result plain = run_example_variant("tiny", "tiny.prj", {}, {"tiny.otl"});
    const example_result with =
        run_example_variant("tiny", "tiny.prj", {{"tiny.prj", appended(no_effect)}}, {"tiny.otl"});
    ASSERT_EQ(plain.status, 0) << plain.output;
    ASSERT_EQ(with.status, 0) << with.output;
    EXPECT_EQ(with.output.find("Warning"), std::string::npos) << with.output;
    ASSERT_EQ(plain.files.count("tiny.otl"), 1u);
    EXPECT_FALSE(plain.files.at("tiny.otl").empty());
    EXPECT_EQ(with.files.count("tiny.otl") ? with.files.at("tiny.otl") : "", plain.files.at("tiny.otl"));
}
