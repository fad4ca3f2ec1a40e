// The channel-lake tracer example end to end through the executable: a
// point input carries a decaying tracer down a ditch into a pond, the pond
// spills over a weir into the outlet ditch, and rain with the tracer falls
// on the hillside and the pond. The channel, lake and global balances of
// the event and of the run close, each term shows on both sides of the
// channel-lake exchange, and one and four threads write the same files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "quality/summary_text.h"
#include "support/example_variant.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

const char* const example_files[] = {"lake_tracer.prj", "lake_tracer.msk", "lake_tracer.ele",
                                     "lake_tracer.idx", "lake_tracer.chn", "lake_tracer.gst",
                                     "lake_tracer.cmt", "lake_tracer.pts"};

const double rounding = 0.015; // kilograms are printed to two decimals

// Copies the example into the folder and runs it; returns the summary.
std::string run_example(const scratch_dir& dir, int threads)
{
    for (const char* name : example_files)
        write_file(dir.file(name), read_file(std::string(TORVA_EXAMPLES) + "/channel_lake_tracer/" + name));
    std::string out;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' lake_tracer.prj 2>&1",
                          out),
              0)
        << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
    return read_file(dir.file("lake_tracer.sum"));
}

// Runs the example with the edits in one thread; returns the summary.
std::string run_variant(const file_edits& edits)
{
    const example_result r =
        run_example_variant("channel_lake_tracer", "lake_tracer.prj", edits, {"lake_tracer.sum"});
    EXPECT_EQ(r.status, 0) << r.output.substr(r.output.size() > 3000 ? r.output.size() - 3000 : 0);
    return r.files.count("lake_tracer.sum") ? r.files.at("lake_tracer.sum") : "";
}

struct balances {
    std::string ov, run_ov, chan, lake, run_chan, run_lake, global;
};

balances sections_of(const std::string& sum)
{
    balances b;
    b.ov = section(sum, "Overland Contaminant Transport Summary for Tracer");
    b.run_ov = section(sum, "Overland Constituent Transport Summary for Constituent");
    b.chan = section(sum, "Channel Contaminant Transport Summary for Tracer");
    b.lake = section(sum, "Lake Contaminant Transport Summary for Tracer");
    b.run_chan = section(sum, "Channel Contaminant Transport Summary for Contaminant");
    b.run_lake = section(sum, "Lake Contaminant Transport Summary for Constituent");
    b.global = section(sum, "Contaminant Transport Global Summary for Contaminant");
    return b;
}

// Every balance of the event and of the run closes, and the run's lake
// totals are the event's (one event).
void expect_balances_close(const balances& b)
{
    for (const std::string* text : {&b.ov, &b.run_ov, &b.chan, &b.lake, &b.run_chan, &b.run_lake, &b.global})
        ASSERT_FALSE(text->empty());
    EXPECT_LT(std::fabs(value(b.ov, "Dissolved mass balance error")), 0.1) << b.ov;
    EXPECT_LT(std::fabs(value(b.run_ov, "Contam mass balance error")), 0.1) << b.run_ov;
    EXPECT_LT(std::fabs(value(b.chan, "Contam mass balance error")), 0.1) << b.chan;
    EXPECT_LT(std::fabs(value(b.lake, "Dissolved mass balance error")), 0.1) << b.lake;
    EXPECT_LT(std::fabs(value(b.run_chan, "Dissolved mass balance error")), 0.1) << b.run_chan;
    EXPECT_LT(std::fabs(value(b.run_lake, "Contam mass balance error")), 0.1) << b.run_lake;
    EXPECT_LT(std::fabs(value(b.global, "Contam mass balance error")), 0.1) << b.global;
    EXPECT_DOUBLE_EQ(value(b.run_lake, "Final Mass in Lakes"), value(b.lake, "Final Dissolved in Lakes"))
        << b.run_lake;
    EXPECT_DOUBLE_EQ(value(b.run_lake, "Initial Mass in Lakes"), value(b.lake, "Initial Dissolved in Lakes"))
        << b.run_lake;
}

} // namespace

TEST(ChannelLakeTracerExample, LakeTermsBookedAndBalancesCloseOnEveryThreadCount)
{
    scratch_dir one("lake_tracer1");
    scratch_dir four("lake_tracer4");
    const std::string sum = run_example(one, 1);
    run_example(four, 4);
    const balances b = sections_of(sum);
    expect_balances_close(b);

    // 0.05 m3/s at 20 mg/L over the 90 minutes.
    EXPECT_NEAR(value(b.chan, "Point source mass gain"), 0.05 * 20.0 * 5400.0 / 1000.0, rounding) << b.chan;
    // What the ditch delivers is the pond's inflow, what the weir passes is
    // the outlet ditch's gain.
    const double inflow = value(b.lake, "Inflow");
    const double outflow = value(b.lake, "Outflow");
    EXPECT_GT(inflow, 1.0) << b.lake;
    EXPECT_GT(outflow, 1.0) << b.lake;
    EXPECT_DOUBLE_EQ(value(b.chan, "Flows to lake"), inflow) << b.chan;
    EXPECT_DOUBLE_EQ(value(b.chan, "Flow from lake to channel"), outflow) << b.chan;
    EXPECT_GT(value(b.lake, "Dissolved decay loss"), 0.1) << b.lake;
    EXPECT_GT(value(b.chan, "Mass decay loss"), 0.0) << b.chan;
    // The rain on the pond carries 50 mg/L.
    const double rain_volume = value(sum, "volume precip to lake:");
    ASSERT_GT(rain_volume, 1.0) << sum;
    EXPECT_NEAR(value(b.lake, "Precip"), rain_volume * 50.0 / 1000.0, 0.006) << b.lake;

    for (const char* name : {"lake_tracer.sum", "lake_tracer.otl", "lake_tracer_lakes.out"})
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// From a channel hotstart (stages only) at INIT_CHAN_CONC: the ditches
// start with concentration x their water volume and the pond with
// concentration x its volume, both counted in the event's, the run's and
// the global initial masses, and every balance still closes.
TEST(ChannelLakeTracerExample, InitialConcentrationFillsDitchesAndPond)
{
    // Stages 0.1 m above the node beds of both ditches.
    const std::string sum =
        run_variant({{"start.dht", whole("1 1 99.575\n2 1 99.525\n3 1 99.475\n1 4 99.375\n2 4 99.325\n")},
                     {"start.qht", whole("")},
                     {"lake_tracer.prj", appended("INIT_CHAN_CONC 100\nREAD_CHAN_HOTSTART start\n")}});
    const balances b = sections_of(sum);
    expect_balances_close(b);
    const double channel_volume = value(sum, "Initial volume in channels=");
    const double lake_volume = value(sum, "Initial volume in perennial lakes");
    ASSERT_GT(channel_volume, 1.0) << sum;
    ASSERT_GT(lake_volume, 10.0) << sum;
    const double in_channels = 100.0 * channel_volume / 1000.0;
    const double in_lake = 100.0 * lake_volume / 1000.0;
    EXPECT_NEAR(value(b.chan, "Initial Dissolved Mass in Channels"), in_channels, 0.006) << b.chan;
    EXPECT_NEAR(value(b.run_chan, "Initial Mass in Channels"), in_channels, 0.006) << b.run_chan;
    EXPECT_NEAR(value(b.lake, "Initial Dissolved in Lakes"), in_lake, 0.006) << b.lake;
    EXPECT_NEAR(value(b.global, "Total initial mass"), in_channels + in_lake, 0.011) << b.global;
}

// Six times the inflow behind a weir 0.3 m higher: the pond rises over the
// cells of both ditches next to it (listed in its search order) and takes
// their nodes and the water on those cells. What it takes from the ditches
// and the land is booked on both sides, and every balance of the event and
// of the run still closes.
TEST(ChannelLakeTracerExample, PondTakingDitchNodesKeepsEveryBalance)
{
    const std::string sum = run_variant(
        {{"lake_tracer.chn", replaced("NUMPTS 4\n3 4 3 5 2 4 2 5\n", "NUMPTS 6\n3 4 3 5 2 4 2 5 3 3 3 6\n")},
         {"lake_tracer.chn", replaced("CREST_LOW_ELEV 99.40", "CREST_LOW_ELEV 99.70")},
         {"lake_tracer.pts", replaced("0.05 20.0", "0.3 20.0")}});
    const balances b = sections_of(sum);
    expect_balances_close(b);
    EXPECT_GT(value(b.lake, "Lake/chan exchange"), 0.05) << b.lake;
    EXPECT_DOUBLE_EQ(value(b.chan, "Exchange with lakes (-)"), value(b.lake, "Lake/chan exchange")) << b.chan;
    EXPECT_LT(value(b.lake, "Overland flux"), -1.0) << "the pond spills onto the ditch cells: " << b.lake;
}
