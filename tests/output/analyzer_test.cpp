// Analyzers on a network of three links with 2, 3 and 1 nodes: the file's
// comments, quoted tokens and kinds, each moment and each operator, the
// report layouts, and the messages of a bad variable and an unopenable
// output file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "output/analyzer.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

struct Analyzers : testing::Test {
    scratch_dir dir{"analyzers"};
    std::unique_ptr<model_state> s;
    std::string screen;

    void SetUp() override
    {
        error_state_clear();
        reset_file_name_globals();
        s = std::make_unique<model_state>();
        s->super_quiet = 0;
        s->current_time = julian_date(2000, 1, 1, 12, 0, 0.0);
        s->num_links = 3;
        s->nx.assign(3, 0);
        s->nx[1] = 2;
        s->nx[2] = 3;
        s->nx[3] = 1;
        s->node_dim = 4;
        for (dnode_mat* m : {&s->yp, &s->bel, &s->area, &s->qp})
            m->assign(4, 3, 0.0);
        // Depths 1.0 except node 2 of link 2 (1.5) and node 1 of link 3 (2.0).
        for (int l = 1; l <= 3; ++l)
            for (int n = 1; n <= s->nx[l]; ++n) {
                s->bel[n][l] = 100.0;
                s->yp[n][l] = 101.0;
                s->qp[n][l] = 0.1 * (10 * l + n);
            }
        s->yp[2][2] = 101.5;
        s->yp[1][3] = 102.0;
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // Reads the analyzer file written from `text`; returns the screen output.
    std::string read(const std::string& text)
    {
        write_file(dir.file("an.txt"), text);
        testing::internal::CaptureStdout();
        read_analyzer_file(*s, dir.file("an.txt"));
        return testing::internal::GetCapturedStdout();
    }
    std::string notify(int mask)
    {
        testing::internal::CaptureStdout();
        notify_analyzers(*s, mask);
        return testing::internal::GetCapturedStdout();
    }
    int count() const
    {
        int n = 0;
        for (const analyzer* a = s->analyzers_head.get(); a; a = a->next.get())
            ++n;
        return n;
    }
    // Closes the analyzers' files and returns one of them.
    std::string file(const std::string& name)
    {
        s->analyzers_head.reset();
        return read_file(dir.file(name));
    }
};

bool holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(Analyzers, CommentsOtherKindsAndQuotedFileNames)
{
    const std::string out = read("# a comment\n"
                                 "\n"
                                 "2DG depth S < 1 s\n"
                                 "QBN_OV depth S < 1 s\n"
                                 "2DS depth,Se,>=,1.5,fc,\"" +
                                 dir.file("depth report.txt") + "\"\n");
    EXPECT_EQ(out, "Set up 1 analyzers...\n");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(notify(analyzer_init_done), ""); // to the file only
    notify(analyzer_step_end);                 // not a trigger of this one
    notify(analyzer_event_end);
    const std::string text = file("depth report.txt");
    EXPECT_EQ(text,
              "\n\nResults for logic test of the 2D stream array depth at the beginning of the simulation "
              "at 01-01-2000, 12:0: 0.  Nodes with values >= 1.500000:\n"
              "[F, 1.0000][F, 1.0000][F, 1.0000][T, 1.5000][F, 1.0000][T, 2.0000]"
              "====> 2 out of 6 nodes passed the logic test.\n"
              "\n\nResults for logic test of the 2D stream array depth at the end of an event at "
              "01-01-2000, 12:0: 0.  Nodes with values >= 1.500000:\n"
              "[F, 1.0000][F, 1.0000][F, 1.0000][T, 1.5000][F, 1.0000][T, 2.0000]"
              "====> 2 out of 6 nodes passed the logic test.\n");
}

TEST_F(Analyzers, EachMomentNamesItselfInTheReport)
{
    read("2DS flow tEeSsc > 100 s 0\n");
    const struct {
        int mask;
        const char* words;
    } moments[] = {
        {analyzer_init_done, "at the beginning of the simulation at 01-01-2000, 12:0: 0: \n"},
        {analyzer_step_end, "at 01-01-2000, 12:0: 0: \n"},
        {analyzer_rain_start, "at the beginning of an event at 01-01-2000, 12:0: 0: \n"},
        {analyzer_event_end, "at the end of an event at 01-01-2000, 12:0: 0: \n"},
        {analyzer_run_done, "at the end of simulation at 01-01-2000, 12:0: 0: \n"},
        {analyzer_run_error, "at the program crash point at 01-01-2000, 12:0: 0: \n"},
    };
    for (const auto& m : moments) {
        const std::string out = notify(m.mask);
        EXPECT_EQ(out, std::string("\n\nValues in the 2D stream array flow ") + m.words + "FFFFFF") << m.mask;
    }
}

TEST_F(Analyzers, EachOperatorOnAValueEqualToTheThreshold)
{
    // Node 1 of link 3 has depth 2.0; list mode prints the nodes that pass.
    const struct {
        const char* op;
        bool passes;
    } cases[] = {{"<", false}, {">", false}, {"==", true}, {"<=", true}, {">=", true}, {"+", false}};
    for (const auto& c : cases) {
        SetUp();
        read(std::string("2DS depth s ") + c.op + " 2.0 std\n");
        const std::string out = notify(analyzer_run_done);
        EXPECT_EQ(holds(out, "Link   3, Node   1:        2.000000\n"), c.passes) << c.op << "\n" << out;
        if (std::string(c.op) == "+") {
            EXPECT_EQ(out, "") << "an arithmetic operator tests nothing";
        }
    }
}

TEST_F(Analyzers, RowsModePrintsOneRowPerLink)
{
    read("2DS area s < 1 svd\n");
    EXPECT_EQ(notify(analyzer_run_done), "\n\nValues in the 2D stream array area at the end of simulation at "
                                         "01-01-2000, 12:0: 0: \n"
                                         "   1:[T, 0.0000][T, 0.0000]\n"
                                         "   2:[T, 0.0000][T, 0.0000][T, 0.0000]\n"
                                         "   3:[T, 0.0000]\n");
}

TEST_F(Analyzers, AnIntervalAnalyzerFiresOnceAnHour)
{
    read("2DS depth t > 5 s 3600\n");
    int fired = 0;
    const double start = s->current_time;
    for (int step = 0; step <= 720; ++step) { // 10 s steps over two hours
        s->current_time = start + step * 10.0 / 86400.0;
        if (!notify(analyzer_step_end).empty())
            ++fired;
    }
    EXPECT_EQ(fired, 3); // at 0 s, 3600 s and 7200 s
}

// A line that cannot make its analyzer stops the run, naming the file, the
// line and the fault, after the variable's own message where it has one.
TEST_F(Analyzers, BadLinesStopTheRunNamingTheLine)
{
    const struct {
        std::string text;
        std::string said; // printed before the line naming the fault
        std::string fault;
    } cases[] = {
        {"# fine\n2DS bogus S < 1 s\n",
         "Error: unable to find 2DS array [bogus]; the names are depth, area and flow.\n",
         "line 2: the variable \"bogus\" names no array this run keeps (see above)"},
        {"1DS conc_1 S < 1 s\n", "Error: Setting up 1DS analyzer when no constituents are being modeled.\n",
         "line 1: the variable \"conc_1\" names no array this run keeps"},
        {"2DS flow S < 1 sf /no/such/folder/out.txt\n", "",
         "line 1: its output file \"/no/such/folder/out.txt\" cannot be opened for writing"},
        {"2SD depth S < 1 s\n", "", "line 1: the kind \"2SD\" is none of 1DS, 2DS, 2DG, QBN_OV, QBN_ST and QBN_SL"},
        {"2DS depth S < one s\n", "", "line 1: the THRESHOLD \"one\" is not a number"},
        {"2DS depth S < nan s\n", "", "line 1: the THRESHOLD \"nan\" is not finite"},
        {"2DS depth S <\n", "", "line 1: the line ends before its THRESHOLD"},
        {"2DS depth S => 1 s\n", "", "line 1: the OPERATOR \"=>\" is none of <, >, ==, <=, >=, +, -, * and \\"},
        {"2DS depth Sx < 1 s\n", "", "line 1: the TRIGGERS word \"Sx\" holds 'x'"},
        {"2DS depth S < 1 sz\n", "", "line 1: the ACTIONS word \"sz\" holds 'z'"},
        {"2DS depth S < 1\n", "", "line 1: the line ends before its ACTIONS letters"},
        {"2DS depth t < 1 s hourly\n", "", "line 1: the INTERVAL \"hourly\" is not a number (whole seconds)"},
        {"2DS depth t < 1 s -60\n", "", "line 1: the INTERVAL -60 is negative"},
        {"2DS depth S < 1 sf\n", "", "line 1: the ACTIONS letter f asks for an output file, and the line names none"},
        {"2DS depth S < 1 s 3600\n", "", "line 1: \"3600\" follows the last token of the line's layout"},
    };
    for (const auto& c : cases) {
        SetUp();
        const std::string out = read(c.text);
        EXPECT_TRUE(holds(out, c.said + "Error in the analyzer file " + dir.file("an.txt") + ", " + c.fault))
            << out;
        EXPECT_FALSE(holds(out, "Set up")) << out;
        EXPECT_EQ(error_state.raised, 1) << c.text;
        error_state_clear();
    }

    s->num_constituents = 2;
    const std::string range = read("1DS conc_3 S < 1 s\n");
    EXPECT_TRUE(holds(range,
                      "Error: 1DS Analyzer for conc with index 3 is out of range. Range for index is 1 "
                      "to 2.\n"))
        << range;
    EXPECT_TRUE(holds(read("1DS conc_0 S < 1 s\n"), "with index 0 is out of range"));
}

TEST_F(Analyzers, AnUnopenableAnalyzerFileIsReported)
{
    testing::internal::CaptureStdout();
    read_analyzer_file(*s, dir.file("missing.txt"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(holds(out, "the analyzer file")) << out;
    EXPECT_EQ(count(), 0);
}

// The 1-D names select the channel constituent rows of the routing, and
// pointconc the point inputs' concentrations; qlatconc, which no part of the
// model keeps, is refused by name, as is pointconc in a run without point
// inputs.
TEST_F(Analyzers, OneDimensionalNamesSelectTheChannelConstituentRows)
{
    s->num_constituents = 2;
    const int width = s->node_dim * (s->num_links + 1);
    for (row_array<double>* r :
         {&s->chan_conc, &s->chan_node_mass, &s->chan_qlat_mass, &s->chan_gw_mass, &s->chan_qbn_source})
        row_array_add_rows(*r, 2, width);
    s->chan_node_mass[2][s->node_dim * 2 + 3] = 7.25;
    s->chan_gw_mass[1][s->node_dim * 1 + 2] = -3.5;
    EXPECT_TRUE(holds(read("1DS qlatconc_1 S > 1 s\n"), "Error: the 1DS array [qlatconc] is not available yet.\n"));
    EXPECT_TRUE(holds(read("1DS pointconc_1 S > 1 s\n"),
                      "Error: the 1DS array [pointconc] holds the concentrations of the channel point "
                      "inputs, and this run has none (CHAN_POINT_INPUT).\n"));
    error_state_clear();
    const std::string out =
        read("1DS mass_2 S > 5 s\n1DS gwmass_1 S < -1 s\n1DS qlatmass_2 S > 1 s\n1DS qbnsource_1 S > 1 s\n");
    EXPECT_TRUE(holds(out, "Set up 4 analyzers...\n")) << out;
    // One flag per node, links in order: mass_2 holds at link 2 node 3,
    // gwmass_1 at link 1 node 2, the empty rows nowhere.
    const std::string shown = notify(analyzer_init_done);
    EXPECT_TRUE(
        holds(shown, "array mass_2 at the beginning of the simulation at 01-01-2000, 12:0: 0: \nFFFFTF\n"))
        << shown;
    EXPECT_TRUE(
        holds(shown, "array gwmass_1 at the beginning of the simulation at 01-01-2000, 12:0: 0: \nFTFFFF\n"))
        << shown;
    EXPECT_TRUE(holds(
        shown, "array qlatmass_2 at the beginning of the simulation at 01-01-2000, 12:0: 0: \nFFFFFF\n"))
        << shown;

    // With point inputs: their concentration at link 3 node 1.
    s->analyzers_head.reset();
    s->chan_point_conc.assign(2, width, 0.0);
    s->chan_point_conc[2][s->node_dim * 3 + 1] = 40.0;
    EXPECT_TRUE(holds(read("1DS pointconc_2 S > 1 s\n"), "Set up 1 analyzers...\n"));
    const std::string points = notify(analyzer_init_done);
    EXPECT_TRUE(holds(points, "array pointconc_2 at the beginning of the simulation at 01-01-2000, 12:0: 0: "
                              "\nFFFFFT"))
        << points;
}
