// A project that names a file for a process it never switches on runs on,
// and says at start-up, card by card, that the file is not read, or not
// written, left empty or left with its header only. Each case is an example
// with its switch card dropped (or swapped for another method, or an output
// card added), so the run would otherwise end as plausibly as the example.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

std::string unread(const std::string& card, const std::string& without, const std::string& lost)
{
    return "Warning: " + card + " is given without " + without + ": the file is not read and " + lost + ".\n";
}

std::string unwritten(const std::string& card, const std::string& without, const std::string& fate)
{
    return "Warning: " + card + " is given without " + without + ": the file " + fate + ".\n";
}

const std::string channel = "channel routing (CHAN_EXPLIC or DIFFUSIVE_WAVE)";
const std::string no_channel = "no channel is routed";
const std::string infiltration = "an infiltration method (GREEN_AMPT or INF_REDIST)";
const std::string no_infiltration = "no water infiltrates";
const std::string redistribution = "soil water redistribution (INF_REDIST)";
const std::string no_redistribution = "no soil water is redistributed";
const std::string penman = "Penman-Monteith evapotranspiration (LONG_TERM and ET_CALC_PENMAN)";
const std::string no_penman = "no Penman-Monteith evapotranspiration is computed";
const std::string groundwater = "groundwater simulation (GW_SIMULATION with WATER_TABLE)";
const std::string no_groundwater = "no groundwater flow is simulated";
const std::string channel_sediment = "channel sediment transport (CHAN_EXPLIC and SOIL_EROSION)";
const std::string erosion = "overland erosion (SOIL_EROSION)";
const std::string pipes = "the pipe network (STORM_SEWER)";
const std::string hydrograph_nodes = "its node list (IN_HYD_LOCATION)";
const std::string not_written = "is not written";
const std::string left_empty = "is left empty";

} // namespace

TEST(ReportUnusedFiles, EachInputNamedForAProcessThatIsOffIsReportedAndTheRunGoesOn)
{
    const std::vector<example_variant> variants = {
        // Every channel file, STREAM_CELL and the location list included,
        // gets its own line.
        {"channel without its routing",
         "channel",
         "channel.prj",
         {{"channel.prj", drop_card("CHAN_EXPLIC")}},
         {unread("CHANNEL_INPUT", channel, no_channel), unread("STREAM_CELL", channel, no_channel),
          unread("IN_HYD_LOCATION", channel, no_channel), unwritten("CHAN_DEPTH", channel, left_empty),
          unwritten("CHAN_DISCHARGE", channel, not_written), unwritten("OUT_HYD_LOCATION", channel, left_empty),
          "finished event"},
         0},
        // The point inputs are still read, and their inflows reach no node.
        {"channel point inputs without routing",
         "channel_tracer",
         "tracer.prj",
         {{"tracer.prj", drop_card("CHAN_EXPLIC")}},
         {unread("STREAM_CELL", channel, no_channel),
          "Warning: CHAN_POINT_INPUT is given without " + channel +
              ": the file is read but no point inflow enters a channel.\n",
          "finished event"},
         0},
        {"channel sediment locations without erosion",
         "erosion_channel",
         "erosion_channel.prj",
         {{"erosion_channel.prj", drop_card("SOIL_EROSION")}},
         {unread("IN_SED_LOC", channel_sediment, "no channel sediment is routed"),
          unwritten("OUTLET_SED_FLUX", erosion, not_written), unwritten("OUTLET_SED_TSS", erosion, not_written),
          unwritten("CHAN_SED_FLUX", channel_sediment, left_empty),
          unwritten("OUT_SED_LOC", channel_sediment, not_written), "finished event"},
         0},
        {"Green-Ampt maps without an infiltration method",
         "infil",
         "infil.prj",
         {{"infil.prj", drop_card("GREEN_AMPT")}},
         {unread("CONDUCTIVITY", infiltration, no_infiltration), unread("CAPILLARY", infiltration, no_infiltration),
          unread("POROSITY", infiltration, no_infiltration), unread("MOISTURE", infiltration, no_infiltration),
          "finished event"},
         0},
        // With Green-Ampt in place of redistribution the four maps it reads
        // are not reported; only the two it leaves are.
        {"redistribution maps under Green-Ampt",
         "redist",
         "redist.prj",
         {{"redist.prj", replaced("INF_REDIST", "GREEN_AMPT")}},
         {unread("PORE_INDEX", redistribution, no_redistribution),
          unread("RESIDUAL_SAT", redistribution, no_redistribution), "finished event"},
         0},
        {"soil tables without a layered soil",
         "layered",
         "layered.prj",
         {{"layered.prj", drop_card("INF_LAYERED_SOIL")}},
         {unread("SOIL_TYPE_MAP", "a layered soil (INF_LAYERED_SOIL or INF_RICHARDS)", "no soil layers are modelled"),
          unread("SOIL_LAYER_INPUT_FILE", "a layered soil (INF_LAYERED_SOIL or INF_RICHARDS)",
                 "no soil layers are modelled"),
          "finished event"},
         0},
        {"Penman-Monteith maps under Deardorff",
         "longterm",
         "longterm.prj",
         {{"longterm.prj", replaced("ET_CALC_PENMAN", "ET_CALC_DEARDORFF")}},
         {unread("VHEIGHT", penman, no_penman), unread("TCOEFF", penman, no_penman),
          unread("CANOPY", penman, no_penman), unread("WILTING_POINT", penman, no_penman), "finished event"},
         0},
        // The water table is read without groundwater too: no line for it.
        {"groundwater files without the simulation",
         "groundwater",
         "gw.prj",
         {{"gw.prj", drop_card("GW_SIMULATION")}},
         {unread("AQUIFER_BOTTOM", groundwater, no_groundwater), unread("GW_BOUNDFILE", groundwater, no_groundwater),
          unread("GW_FLUXBOUNDTABLE", groundwater, no_groundwater),
          unread("OUT_WELL_LOCATION", "well levels of the groundwater simulation (GW_SIMULATION and GW_WELL_LEVEL)",
                 "no well level is written"),
          unwritten("GW_WELL_LEVEL", groundwater, not_written), "finished event"},
         0},
        {"overland lake file without the lake map",
         "lake",
         "lake.prj",
         {{"lake.prj", drop_card("OVERLAND_LAKE_MAP")}},
         {unread("OVERLAND_LAKE_FILE", "overland lakes (OVERLAND_LAKE_MAP)", "no overland lake is modelled"),
          "finished event"},
         0},
        {"low spots without embankments",
         "lake",
         "lake.prj",
         {{"lake.prj", drop_card("DIKE_MAP")}},
         {unread("LOWSPOT_FILE", "embankments (DIKE_MAP or EMBANKMENT)", "no low spot is drained"),
          "finished event"},
         0},
        {"depth locations without the depth output",
         "nested",
         "parent.prj",
         {{"parent.prj", drop_card("OVERLAND_DEPTHS")}},
         {unread("OVERLAND_DEPTH_LOCATION", "the overland depth output (OVERLAND_DEPTHS)",
                 "no overland depth is written"),
          "finished event"},
         0},
        // A file that is not read need not exist.
        {"canopy storage without interception",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", appended("STORAGE_CAPACITY absent.cap\n")}},
         {unread("STORAGE_CAPACITY", "interception (INTERCEPTION_COEFF or INTERCEPTION)", "no rain is intercepted"),
          "finished event"},
         0},
    };
    expect_variants(variants);
}

TEST(ReportUnusedFiles, EachOutputNamedForAProcessThatIsOffIsReportedAndTheRunGoesOn)
{
    const std::string dataset_maps = "dataset map files (MAP_TYPE 1 or 2)";
    const std::string xy_points = "XY output points (XYBDYOUTPUT_PTS or XYBDYOUTPUT_MASK)";
    const std::vector<example_variant> variants = {
        {"channel outputs without routing",
         "channel",
         "channel.prj",
         {{"channel.prj", drop_card("CHAN_EXPLIC")},
          {"channel.prj", appended("FLOOD_STREAM flood.out\nWRITE_CHAN_HOTSTART next\nLAKE_OUTPUT lakes.out\n"
                                   "OUT_CON_LOCATION conc.out\n")}},
         {unwritten("CHAN_DEPTH", channel, left_empty), unwritten("FLOOD_STREAM", channel, "holds only its header"),
          unwritten("LAKE_OUTPUT", channel, left_empty), unwritten("WRITE_CHAN_HOTSTART", channel, not_written),
          unwritten("OUT_CON_LOCATION", channel, not_written), "finished event"},
         0},
        // Routed, but the network holds no lake for the lake series.
        {"lake series without a lake",
         "channel",
         "channel.prj",
         {{"channel.prj", appended("LAKE_OUTPUT lakes.out\n")}},
         {"Warning: LAKE_OUTPUT is given but the channel input file channel.chn holds no lake link: the file is "
          "left empty.\n",
          "finished event"},
         0},
        // Routed, but the series lack their node list.
        {"channel series without their nodes",
         "channel",
         "channel.prj",
         {{"channel.prj", drop_card("IN_HYD_LOCATION")}, {"channel.prj", appended("OUT_DEP_LOCATION depth.out\n")}},
         {unwritten("OUT_HYD_LOCATION", hydrograph_nodes, not_written),
          unwritten("OUT_DEP_LOCATION", hydrograph_nodes, "holds only its times"), "finished event"},
         0},
        {"constituent series without their nodes",
         "channel_tracer",
         "tracer.prj",
         {{"tracer.prj", appended("OUT_MASS_LOCATION mass.out\n")}},
         {unwritten("OUT_MASS_LOCATION", hydrograph_nodes, left_empty), "finished event"},
         0},
        // Overland erosion alone: the channel sediment files stay empty, and
        // the suspended sediment has no per-time grid.
        {"sediment outputs without channel sediment",
         "erosion",
         "erosion.prj",
         {{"erosion.prj", appended("OUTLET_SED_TSS tss.out\nFYSSI fyssi.out\nVOL_SED_SUSP susp.out\n")}},
         {unwritten("OUTLET_SED_TSS", channel_sediment, left_empty),
          unwritten("FYSSI", channel_sediment, not_written), unwritten("VOL_SED_SUSP", dataset_maps, left_empty),
          "finished event"},
         0},
        {"pipe, groundwater, contaminant and exchange outputs of a plain run",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", appended("PIPE_HEAD head.out\nSUPERLINK_NODE_FLOW nodes.out\nGW_OUTPUT heads\n"
                                "OV_CON_MAP conc\nKZ_SEGMENT_FLUXES kz.out\nROUGH_TO_ZEBO rough.asc\n")}},
         {unwritten("GW_OUTPUT", groundwater, not_written), unwritten("PIPE_HEAD", pipes, not_written),
          unwritten("SUPERLINK_NODE_FLOW", pipes, left_empty),
          unwritten("OV_CON_MAP", "overland contaminant transport (OV_CON_TRANS)", not_written),
          unwritten("KZ_SEGMENT_FLUXES", "the segment fluxes (KZ_FLUXES)", not_written),
          unwritten("ROUGH_TO_ZEBO", "the host environment exchange (QNT and ZEBO)", not_written),
          "finished event"},
         0},
        // An event run writes no snow step into the dataset file.
        {"snow dataset of an event run",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", appended("MAP_TYPE 1\nSNOW_SWE_FILE swe.dat\n")}},
         {unwritten("SNOW_SWE_FILE", "a long-term run (LONG_TERM)", "holds only its header"), "finished event"},
         0},
        {"XY outputs of processes the outer run leaves off",
         "nested",
         "parent.prj",
         {{"parent.prj", appended("XYBDYOUTPUT_GWHEAD heads.xy\nXYBDYOUTPUT_STFLOW flows.xy\n")}},
         {unwritten("XYBDYOUTPUT_STFLOW", channel, not_written),
          unwritten("XYBDYOUTPUT_GWHEAD", groundwater, not_written), "finished event"},
         0},
        {"XY outputs without their points",
         "tiny",
         "tiny.prj",
         {{"tiny.prj", appended("XYBDYOUTPUT_OVDEP depths.xy\n")}},
         {unwritten("XYBDYOUTPUT_OVDEP", xy_points, not_written), "finished event"},
         0},
    };
    expect_variants(variants);
}

// The lines say what the run leaves: files of the channel without routing
// are absent, empty or header-only as their warnings say, and a card with
// two causes is reported once, by the first.
TEST(ReportUnusedFiles, OutputFilesAreLeftAsTheirWarningsSay)
{
    const example_result r = run_example_variant(
        "channel", "channel.prj",
        {{"channel.prj", drop_card("CHAN_EXPLIC")},
         {"channel.prj", appended("FLOOD_STREAM flood.out\nWRITE_CHAN_HOTSTART next\nOUT_CON_LOCATION conc.out\n")}},
        {"channel.cdp", "channel.cdq", "flood.out", "next.dht", "next.qht", "conc.out"});
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_EQ(r.files.count("channel.cdp"), 1u);
    EXPECT_EQ(r.files.at("channel.cdp"), "");
    EXPECT_EQ(r.files.count("channel.cdq"), 0u);
    EXPECT_EQ(r.files.count("next.dht"), 0u);
    EXPECT_EQ(r.files.count("next.qht"), 0u);
    EXPECT_EQ(r.files.count("conc.out"), 0u);
    ASSERT_EQ(r.files.count("flood.out"), 1u);
    EXPECT_EQ(r.files.at("flood.out"), "TORVA_LINKNODE_FLOOD_STREAM_DEPTH\nNUM_LINKS     0\nTIME_STEP     1\n"
                                       "NUM_TS        60\nSTART_TIME     1  1 2000 12  0  0\n");
    std::size_t lines = 0;
    for (std::size_t at = r.output.find("OUT_CON_LOCATION is given"); at != std::string::npos;
         at = r.output.find("OUT_CON_LOCATION is given", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << r.output;
}
