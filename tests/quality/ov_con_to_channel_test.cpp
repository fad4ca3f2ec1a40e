// Overland constituents beside channels and lakes that carry none (OV_CON_TRANS
// without CHAN_CON_TRANS), end to end through the executable: what the land
// sends into the ditches is its lateral loss to streams, what flows or
// floods into a pond is its flux to lakes, and both leave the global
// system. The event, run and global balances close.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "quality/summary_text.h"
#include "support/example_variant.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

struct project_case {
    const char* name;
    const char* folder; // under examples/
    const char* project;
    const char* summary;
    file_edits edits;
    bool lakes;
};

const file_edit no_channel_constituents_lake{"lake_tracer.prj", replaced("CHAN_CON_TRANS\n", "")};

} // namespace

TEST(OverlandConstituentsBesideBareChannels, LandBooksWhatItSendsToDitchesAndLakes)
{
    const project_case cases[] = {
        {"pond",
         "channel_lake_tracer",
         "lake_tracer.prj",
         "lake_tracer.sum",
         {no_channel_constituents_lake},
         true},
        // The pond rises over the ditch cells next to it and takes what
        // their water holds.
        {"flooding pond",
         "channel_lake_tracer",
         "lake_tracer.prj",
         "lake_tracer.sum",
         {no_channel_constituents_lake,
          {"lake_tracer.chn", replaced("NUMPTS 4\n3 4 3 5 2 4 2 5\n", "NUMPTS 6\n3 4 3 5 2 4 2 5 3 3 3 6\n")},
          {"lake_tracer.chn", replaced("CREST_LOW_ELEV 99.40", "CREST_LOW_ELEV 99.70")},
          {"lake_tracer.pts", replaced("0.05 20.0", "0.3 20.0")}},
         true},
        // A plain reach under a 30-minute storm carrying 50 mg/L.
        {"reach",
         "channel_tracer",
         "tracer.prj",
         "tracer.sum",
         {{"tracer.prj", replaced("CHAN_CON_TRANS\n", "")},
          {"tracer.prj", replaced("RAIN_INTENSITY    0.0001\nRAIN_DURATION     110",
                                  "RAIN_INTENSITY 20\nRAIN_DURATION 30")},
          {"tracer.cmt", replaced("PRECIP_CONC 0", "PRECIP_CONC 50")}},
         false},
    };
    for (const project_case& c : cases) {
        SCOPED_TRACE(c.name);
        const example_result r = run_example_variant(c.folder, c.project, c.edits, {c.summary});
        ASSERT_EQ(r.status, 0) << r.output.substr(r.output.size() > 3000 ? r.output.size() - 3000 : 0);
        ASSERT_EQ(r.files.count(c.summary), 1u);
        const std::string& sum = r.files.at(c.summary);
        const std::string event = section(sum, "Overland Contaminant Transport Summary for Tracer");
        const std::string run = section(sum, "Overland Constituent Transport Summary for Constituent");
        const std::string global = section(sum, "Contaminant Transport Global Summary for Contaminant");
        ASSERT_FALSE(event.empty() || run.empty() || global.empty()) << sum;
        EXPECT_EQ(sum.find("Channel Contaminant Transport Summary"), std::string::npos);

        EXPECT_LT(std::fabs(value(event, "Dissolved mass balance error")), 0.01) << event;
        EXPECT_LT(std::fabs(value(run, "Contam mass balance error")), 0.01) << run;
        EXPECT_LT(std::fabs(value(global, "Contam mass balance error")), 0.01) << global;

        const double rain = value(event, "Precipitation gain");
        const double to_streams = value(event, "Lateral flow to streams");
        ASSERT_GT(rain, 0.5) << event;
        EXPECT_GT(to_streams, 0.2 * rain) << event;
        EXPECT_DOUBLE_EQ(value(run, "Mass loss to stream"), to_streams) << run;
        double gone = to_streams;
        if (c.lakes) {
            const double to_lakes = value(event, "Flux to lake");
            EXPECT_GT(to_lakes, 0.1 * rain) << event;
            EXPECT_DOUBLE_EQ(value(run, "Lateral flow to lake"), to_lakes) << run;
            gone += to_lakes;
        }
        // Printed to two decimals.
        EXPECT_NEAR(value(global, "Total mass out of system"), gone, 0.011) << global;
    }
}
