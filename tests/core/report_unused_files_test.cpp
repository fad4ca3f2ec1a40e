// A project that names a file for a process it never switches on runs on,
// and says at start-up, card by card, that the file is not read. Each case
// is an example with its switch card dropped (or swapped for another
// method), so the run would otherwise end as plausibly as the example.
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

} // namespace

TEST(ReportUnreadInputs, EachFileNamedForAProcessThatIsOffIsReportedAndTheRunGoesOn)
{
    const std::vector<example_variant> variants = {
        // Every channel file, STREAM_CELL and the location list included,
        // gets its own line.
        {"channel without its routing",
         "channel",
         "channel.prj",
         {{"channel.prj", drop_card("CHAN_EXPLIC")}},
         {unread("CHANNEL_INPUT", channel, no_channel), unread("STREAM_CELL", channel, no_channel),
          unread("IN_HYD_LOCATION", channel, no_channel), "finished event"},
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
         {unread("IN_SED_LOC", "channel sediment transport (CHAN_EXPLIC and SOIL_EROSION)",
                 "no channel sediment is routed"),
          "finished event"},
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
          "finished event"},
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
