// Whole runs inside the host environment: the infiltration plot under two
// storms two days apart, exchanging its soil moisture grid with the co-run
// model through the "exchange/" folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const char* const plot_files[] = {"infil.msk",   "infil.ele",    "infil_hc.map",
                                  "infil_k.map", "infil_m0.map", "infil_por.map"};

// Two 90-minute storms of 50 mm/h, on 1 and 3 June 2000 at noon.
const char* const two_storms = "EVENT first\nNRGAG 1\nNRPDS 2\nCOORD 45.0 45.0 \"Gauge A\"\n"
                               "RATES 2000 6 1 12 0 50.0\nRATES 2000 6 1 13 30 0.0\n"
                               "EVENT second\nNRGAG 1\nNRPDS 2\nCOORD 45.0 45.0 \"Gauge A\"\n"
                               "RATES 2000 6 3 12 0 50.0\nRATES 2000 6 3 13 30 0.0\n";

// The example's project with the storms of the rain file and the given
// host cards.
std::string project(const std::string& host_cards)
{
    std::string p = read_file(std::string(TORVA_EXAMPLES) + "/infil/infil.prj");
    const auto replace_line = [&](const std::string& card, const std::string& by) {
        const size_t at = p.find("\n" + card) + 1;
        p.replace(at, p.find('\n', at) + 1 - at, by);
    };
    replace_line("PRECIP_UNIF", "PRECIP_FILE infil.pre\n");
    replace_line("RAIN_INTENSITY", "");
    replace_line("RAIN_DURATION", "");
    replace_line("START_DATE", "START_DATE 2000 06 01\n");
    return p + "QNT\nZEBO zebo.ctl\n" + host_cards;
}

struct plot {
    scratch_dir dir{"host_run"};
    plot()
    {
        for (const char* f : plot_files)
            write_file(dir.file(f), read_file(std::string(TORVA_EXAMPLES) + "/infil/" + f));
        write_file(dir.file("infil.pre"), two_storms);
        run_command("mkdir '" + dir.file("exchange") + "'", log);
    }
    int run(const std::string& host_cards)
    {
        write_file(dir.file("p.prj"), project(host_cards));
        return run_command("cd '" + dir.path() + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' p.prj 2>&1",
                           log);
    }
    bool logged(const std::string& text) const { return log.find(text) != std::string::npos; }
    // Sum of the outlet discharges of the hydrograph.
    double outflow_sum() const
    {
        std::istringstream in(read_file(dir.file("infil.otl")));
        double t, q, sum = 0.0;
        while (in >> t >> q)
            sum += q;
        return sum;
    }
    std::string log;
};

// The example's initial moisture grid with every cell set to the value.
std::string moisture_grid(const std::string& value)
{
    std::istringstream in(read_file(std::string(TORVA_EXAMPLES) + "/infil/infil_m0.map"));
    std::string line, grid;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n >= 6) {
            std::string row;
            std::istringstream cells(line);
            std::string cell;
            while (cells >> cell)
                row += value + " ";
            line = row;
        }
        grid += line + "\n";
    }
    return grid;
}

} // namespace

TEST(HostExchangeRun, OneRunJumpsFromTheFirstStormToTheSecondAndEndsWithTheEndMark)
{
    plot p;
    ASSERT_EQ(p.run("MOIST_TO_ZEBO moist.asc\nMOIST_FROM_ZEBO moist.asc\n"), 0) << p.log;
    // The first storm ends and the clocks jump straight to the second.
    const size_t end1 = p.log.find("finished event");
    ASSERT_NE(end1, std::string::npos) << p.log;
    const size_t jump = p.log.find("event  2 elapsed time  2880.00   6/03/2000 12:00:00");
    ASSERT_NE(jump, std::string::npos) << p.log;
    EXPECT_EQ(p.log.find("event  1 elapsed", end1), p.log.find("event  1 elapsed time  2879.83"));
    // Maps are read back after the first storm only.
    const size_t back = p.log.find("reading ZEBO exchange maps\n");
    EXPECT_NE(back, std::string::npos);
    EXPECT_EQ(p.log.find("reading ZEBO exchange maps\n", back + 1), std::string::npos);
    EXPECT_EQ(read_file(p.dir.file("exchange/zebo.ctl")), "999 999\n");
    EXPECT_EQ(read_file(p.dir.file("exchange/moist.asc")).substr(0, 7), "north: ");
}

TEST(HostExchangeRun, EventCallsWriteTheDayNumbersAndTheNextCallTakesTheCoRunMoisture)
{
    plot p;
    ASSERT_EQ(p.run("QNT_EVENT_NUM 1\nMOIST_TO_ZEBO moist.asc\n"), 0) << p.log;
    EXPECT_TRUE(p.logged("End of QNT event 1\n")) << p.log;
    EXPECT_FALSE(p.logged("event  2 elapsed"));
    // 13:30 on 1 June 2000 is day 153, noon on 3 June day 155.
    EXPECT_EQ(read_file(p.dir.file("exchange/zebo.ctl")), "153 155\n");
    // The first storm fell on the example's moisture, 0.15.
    const double dry = p.outflow_sum();

    // The co-run model hands back a wetter soil for the second storm, the
    // same storm as the first: less soaks in and more runs off.
    write_file(p.dir.file("exchange/moist.asc"), moisture_grid("0.40"));
    ASSERT_EQ(p.run("QNT_EVENT_NUM 2\nZEBO_FIRST\nMOIST_FROM_ZEBO moist.asc\n"), 0) << p.log;
    EXPECT_TRUE(p.logged("event  2 elapsed time     0.00   6/03/2000 12:00:00")) << p.log;
    EXPECT_TRUE(p.logged("End of QNT event 2\n"));
    EXPECT_EQ(read_file(p.dir.file("exchange/zebo.ctl")), "999 999\n");
    const double wet = p.outflow_sum();
    EXPECT_GT(dry, 0.0);
    EXPECT_GT(wet, 1.5 * dry) << dry << " " << wet;

    // A missing grid stops the call with its message.
    std::remove(p.dir.file("exchange/moist.asc").c_str());
    EXPECT_EQ(p.run("QNT_EVENT_NUM 2\nZEBO_FIRST\nMOIST_FROM_ZEBO moist.asc\n"), 1);
    EXPECT_TRUE(p.logged("1 Can't open soil moisture exchange file exchange/moist.asc for reading\n"))
        << p.log;
}
