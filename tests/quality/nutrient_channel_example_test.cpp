// The nutrient channel example end to end through the executable: rain that
// carries a tracer and the nutrient module's water constituents runs off a
// hillside into a ditch. The overland, channel and global balances close
// with mass still on the land and in the ditch at the end, one and four
// threads print the same files, and the channel totals are the sums of the
// stream series they are made of.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "quality/summary_text.h"
#include "support/example_variant.h"
#include "support/golden_compare.h"
#include "support/test_support.h"

using namespace torva_test;
using summary_text::section;
using summary_text::value;

namespace
{

const char* const example_files[] = {"channel.prj", "chan.msk", "chan.ele", "chan.chn",   "chan.gst",
                                     "chan.idx",    "chan.cmt", "chan.env", "chan_st.idx"};

const char* const outputs[] = {"channel.sum", "channel.otl", "channel.tn",  "channel.tkn", "channel.tp",
                               "no2_st.mass", "no2_st.conc", "no3_st.mass", "no3_st.conc", "op_st.mass",
                               "op_st.conc",  "dp_st.mass",  "dp_st.conc"};

void run_example(const std::string& folder, int threads)
{
    for (const char* name : example_files)
        write_file(folder + "/" + name, read_file(std::string(TORVA_EXAMPLES) + "/nutrients/" + name));
    std::string out;
    ASSERT_EQ(run_command("cd '" + folder + "' && OMP_NUM_THREADS=" + std::to_string(threads) + " '" +
                              torva_exe() + "' channel.prj 2>&1",
                          out),
              0)
        << out;
    ASSERT_EQ(out.find("not available yet"), std::string::npos) << out;
}

// The values of a link/node file of one link, one vector per output time.
std::vector<std::vector<double>> linknode_steps(const std::string& text)
{
    std::vector<std::vector<double>> steps;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 2, "TS") != 0)
            continue;
        std::getline(in, line);
        std::istringstream row(line);
        int entries = 0, code = 0;
        row >> entries;
        std::vector<double> v;
        double x = 0.0;
        for (int k = 0; k < entries && row >> code >> x; ++k)
            v.push_back(x);
        steps.push_back(v);
    }
    return steps;
}

} // namespace

TEST(NutrientChannelExample, BalancesCloseWithMassInTransitOnEveryThreadCount)
{
    scratch_dir one("nutr_chan1");
    scratch_dir four("nutr_chan4");
    run_example(one.path(), 1);
    run_example(four.path(), 4);
    const std::string sum = read_file(one.file("channel.sum"));

    // Every run balance of every constituent: overland, channel, global.
    const std::string run = sum.substr(sum.find("Overland Transport Summaries"));
    int found = 0;
    for (const char* label : {"Contam mass balance error", "Dissolved mass balance error"})
        for (std::size_t at = 0; (at = run.find(label, at)) != std::string::npos; ++at, ++found)
            EXPECT_LT(std::fabs(value(run.substr(at), label)), 0.1) << run.substr(at, 80);
    EXPECT_EQ(found, 30) << "ten constituents, three balances each";

    // The rain's nitrate, 60 mm/h for 20 min on 1,500 m2 at 50 mg/L, is
    // partly still in the ditch and on the land when the run ends.
    const std::string global = section(sum, "Contaminant Transport Global Summary for Nitrate (NO3-)");
    EXPECT_NEAR(value(global, "Precipitation inputs"), 30.0 * 50.0 / 1000.0, 0.0051) << global;
    EXPECT_GT(value(global, "Total final Mass"), 0.005) << global;
    const std::string channel =
        section(sum.substr(sum.find("Channel Transport Summaries")), "Transport Summary for Nitrate (NO3-)");
    EXPECT_GT(value(channel, "Final Mass in Channels"), 0.005) << channel;
    EXPECT_GT(value(channel, "Mass gain from overland"), 1.0) << channel;
    EXPECT_GT(value(channel, "Outlet mass flux"), 1.0) << channel;

    for (const char* name : outputs)
        EXPECT_EQ(read_file(one.file(name)), read_file(four.file(name))) << name;
}

// The channel totals (mg) against the stream masses (kg) they sum, node by
// node at every output time: total phosphorus is organic plus dissolved P,
// and total nitrogen less Kjeldahl nitrogen is nitrite plus nitrate.
TEST(NutrientChannelExample, ChannelTotalsAreTheSumsOfTheirSpecies)
{
    scratch_dir dir("nutr_chan_totals");
    run_example(dir.path(), 1);
    const golden_tolerance tol{1e-6, 1e-5};
    for (const char* name : {"channel.tn", "channel.tkn", "channel.tp"})
        EXPECT_TRUE(matches_golden(std::string("nutrient_") + name, read_file(dir.file(name)), tol)) << name;

    // Written at the map times, every 5 min of the 25 min run (the outlet
    // hydrograph is written every minute): the header says so.
    for (const char* name : {"channel.tn", "no3_st.conc"}) {
        const std::string text = read_file(dir.file(name));
        EXPECT_NE(text.find("\nTIME_STEP     5\nNUM_TS        5\n"), std::string::npos) << name << "\n"
                                                                                        << text;
    }

    auto steps = [&](const char* name) { return linknode_steps(read_file(dir.file(name))); };
    const auto tn = steps("channel.tn"), tkn = steps("channel.tkn"), tp = steps("channel.tp");
    const auto no2 = steps("no2_st.mass"), no3 = steps("no3_st.mass"), op = steps("op_st.mass"),
               dp = steps("dp_st.mass");
    ASSERT_EQ(tn.size(), 5u) << "map times 0, 5, 10, 15 and 20 min";
    for (const auto* s : {&tkn, &tp, &no2, &no3, &op, &dp})
        ASSERT_EQ(s->size(), tn.size());
    double largest = 0.0;
    for (std::size_t t = 0; t < tn.size(); ++t) {
        ASSERT_EQ(tn[t].size(), 5u) << "five nodes";
        for (std::size_t n = 0; n < 5; ++n) {
            SCOPED_TRACE("output time " + std::to_string(t) + ", node " + std::to_string(n + 1));
            // The species print five decimals of a kilogram: 0.01 g.
            EXPECT_NEAR(tp[t][n], (op[t][n] + dp[t][n]) * 1e6, 10.0 + 1e-4 * tp[t][n]);
            EXPECT_NEAR(tn[t][n] - tkn[t][n], (no2[t][n] + no3[t][n]) * 1e6, 10.0 + 1e-4 * tn[t][n]);
            EXPECT_GE(tn[t][n], tkn[t][n]);
            largest = std::max(largest, tn[t][n]);
        }
    }
    EXPECT_GT(largest, 1000.0) << "the ditch carries grams of nitrogen";
}

// A channel total whose file cannot be opened stops the run at start-up
// with its own object in the open-file message, and says where it looked.
TEST(NutrientChannelExample, ChannelTotalThatCannotBeOpenedIsNamed)
{
    const std::pair<const char*, const char*> totals[] = {
        {"TOTAL_CHAN_N      channel.tn", "output total channel nitrogen"},
        {"TOTAL_CHAN_KN     channel.tkn", "output total channel Kjeldahl nitrogen"},
        {"TOTAL_CHAN_P      channel.tp", "output total channel phosphorus"},
    };
    for (const auto& t : totals) {
        const std::string card = t.first;
        const std::string name = card.substr(card.rfind(' ') + 1);
        expect_variant({card,
                        "nutrients",
                        "channel.prj",
                        {{"channel.prj", replaced(card, card.substr(0, card.find(' ')) + " gone/" + name)}},
                        {std::string("Error: Unable to open ") + t.second + " file.\n  (File: gone/" + name +
                         ")\n  Looked for: "}});
    }
}
