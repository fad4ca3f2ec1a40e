// Bad variants of the pipe example: the pipe-network file empty, random or
// cut short, with unknown cards, words, non-finite and out-of-range values,
// counts beyond the file, repeated and misplaced lines; and the grid-pipe
// file of its pipes made leaky. Each stops before the time loop with status
// 1 and names the file and the cause; the example itself still runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

example_variant pip(const char* label, text_edit edit, std::string message)
{
    return {label, "pipes", "pipes.prj", {{"pipes.pip", std::move(edit)}}, {std::move(message)}};
}

// The three pipes made leaky (wall conductivity 50, drains 5 m apart) with
// the grid-pipe file given.
text_edit leaky()
{
    return [](std::string pip) {
        for (size_t at = pip.find(" 0.013 "); at != std::string::npos; at = pip.find(" 0.013 ", at + 1)) {
            const size_t end = pip.find('\n', at);
            pip.replace(end - 4, 4, " 50 5");
        }
        return pip;
    };
}

const char* const good_gpi = "GRIDPIPEFILE\nPIPECELLS 3\nCELLIJ 1 3\nNUMPIPES 1\nSPIPE 1 1 1.0\n"
                             "CELLIJ 2 4\nNUMPIPES 1\nSPIPE 1 2 1.0\nCELLIJ 3 5\nNUMPIPES 1\nSPIPE 1 3 1.0\n";

example_variant gpi(const char* label, text_edit edit, std::string message)
{
    return {label,
            "pipes",
            "pipes.prj",
            {{"pipes.pip", leaky()},
             {"pipes.prj", appended("GRID_PIPE pipes.gpi\n")},
             {"pipes.gpi", made_from(good_gpi, edit)}},
            {std::move(message)}};
}

} // namespace

TEST(BadPipeFiles, StopWithStatusOneNamingFileAndCause)
{
    const std::vector<example_variant> variants = {
        {"pipe example", "pipes", "pipes.prj", {}, {"finished event"}, 0},

        // Empty, random, unknown cards.
        pip("empty", whole(""),
            "Error in the pipe-network file pipes.pip: it holds no superlink (no CONNECT line); a network "
            "needs CONNECT, SJUNC and SLINK lines.\n"),
        pip("comments only", cut_after("three 0.3 m pipes.\n"),
            "Error in the pipe-network file pipes.pip: it holds no superlink"),
        pip("random bytes", whole(noise_bytes(3000, 2463534242u)),
            "Error in the pipe-network file pipes.pip, line 1: \""),
        pip("misspelt card", replaced("SLINK 1 3", "SLNK 1 3"),
            "Error in the pipe-network file pipes.pip, line 6: \"SLNK\" is no card of this file (CONNECT, "
            "SJUNC, SLINK, NODE or PIPE, in capitals; a comment line begins with #).\n"),
        pip("card in lower case", replaced("CONNECT 1 1 2", "connect 1 1 2"),
            "Error in the pipe-network file pipes.pip, line 5: \"connect\" is no card of this file"),

        // Cut short, counts beyond the file.
        pip("cut in the node lines", cut_after("NODE 2 100.20 98.67 0 0 1 3 0 0\n"),
            "Error: file pipes.pip, line 6: the number of pipes 3 is more than the"),
        pip("cut after the first pipe", cut_after("PIPE 1 1 0.3 0 0.008 0.013 10 0 0\n"),
            "Error in the pipe-network file pipes.pip, line 6: the block of superlink 1 holds 4 of its 4 "
            "NODE lines and 1 of its 3 PIPE lines.\n"),
        pip("pipe count too large", replaced("SLINK 1 3", "SLINK 1 200000000"),
            "Error: file pipes.pip, line 6: the number of pipes 200000000 lies outside 1 to 1000000.\n"),
        pip("a superjunction missing", replaced("SJUNC 2 100.05 98.50 0.0 888 3 5 0 0\n", ""),
            "Error in the pipe-network file pipes.pip, line 4: downstream superjunction \"2\" is out of "
            "range (allowed 1 to 1).\n"),

        // Words, non-finite and out-of-range values; the file's own checks.
        pip("word for a length", replaced("0.013 12 0 0", "0.013 twelve 0 0"),
            "Error in the pipe-network file pipes.pip, line 12: length \"twelve\" is not a number.\n"),
        pip("nan roughness", replaced("0.008 0.013 12", "0.008 nan 12"),
            "Error in the pipe-network file pipes.pip, line 12: roughness \"nan\" is not finite.\n"),
        pip("negative length", replaced("0.013 10 0 0", "0.013 -10 0 0"),
            "Error: pipe length is zero or negative: node 1 link 1.\nError in the pipe-network file "
            "pipes.pip, line 11: pipe 1 of superlink 1: the length -10 is below 1e-8.\n"),
        pip("section type 4", replaced("PIPE 2 1 0.3", "PIPE 2 4 0.3"),
            "Error: pipe cross-section type not valid: node 2 link 1.\nError in the pipe-network file "
            "pipes.pip, line 12: pipe 2 of superlink 1: section type 4 is not 1 (circular), 2 (arch) or 3 "
            "(box).\n"),
        pip("a pipe too long to cut", replaced("0.013 12 0 0", "0.013 1e300 0 0"),
            "Error in the pipe-network file pipes.pip, line 12: length \"1e300\" is out of range (allowed at "
            "most 1000000).\n"),
        pip("an inlet type of no kind", replaced("0.0 888 3 5", "0.0 777 3 5"),
            "Error in the pipe-network file pipes.pip, line 4: inlet type \"777\" is not an inlet type (0 to "
            "10, 888 or 999).\n"),

        // Repeated and misplaced lines.
        pip("a CONNECT line twice", replaced("CONNECT 1 1 2\n", "CONNECT 1 1 2\nCONNECT 1 2 1\n"),
            "Error in the pipe-network file pipes.pip, line 6: a second CONNECT line for superlink 1; the "
            "first is line 5.\n"),
        pip("a node twice", replaced("NODE 3 100.10", "NODE 2 100.10"),
            "Error in the pipe-network file pipes.pip, line 9: node 2 of superlink 1 is given twice.\n"),
        pip("nodes without their SLINK line", replaced("SLINK 1 3\n", ""),
            "Error in the pipe-network file pipes.pip, line 6: NODE line outside a superlink block (NODE and "
            "PIPE lines follow the SLINK line of their superlink).\n"),

        // A location list whose count its file cannot hold.
        {"junction locations beyond the file",
         "pipes",
         "pipes.prj",
         {{"pipes.prj", appended("SUPERLINK_JUNC_LOCATION pipes.jlc\n")},
          {"pipes.jlc", whole("2000000000\n1\n")}},
         {"Error: file pipes.jlc, line 1: the count of locations 2000000000 is more than the"}},

        // The grid-pipe file of leaky pipes.
        {"leaky pipes without a grid-pipe file",
         "pipes",
         "pipes.prj",
         {{"pipes.pip", leaky()}},
         {"Since you have leaky pipes you must include the GRID_PIPE card and grid pipe input file in your "
          "project file"}},
        gpi("grid-pipe header missing", replaced("GRIDPIPEFILE\n", ""),
            "The gridpipe file format is invalid\nError in the grid-pipe file pipes.gpi: its first line must "
            "begin with GRIDPIPEFILE.\n"),
        gpi("no pipe cells", replaced("PIPECELLS 3", "PIPECELLS 0"),
            "The number of PIPECELLS in the gridpipe (.gpi) file\nmust be greater than 0.  File format "
            "error, program terminating\nError: file pipes.gpi, line 2: the PIPECELLS 0 lies outside 1 to "
            "18.\n"),
        gpi("fewer cells than announced", replaced("PIPECELLS 3", "PIPECELLS 4"),
            "Error in the grid-pipe file pipes.gpi: it has 3 of the 4 cells (CELLIJ lines) its PIPECELLS "
            "line announces (is the file cut short?).\n"),
        gpi("a cell given twice", replaced("CELLIJ 2 4", "CELLIJ 1 3"),
            "Error in the grid-pipe file pipes.gpi, line 6: the cell at row 1, column 3 is given twice; its "
            "first CELLIJ line is line 3.\n"),
        gpi("NUMPIPES too large", replaced("NUMPIPES 1", "NUMPIPES 200000000"),
            "Error: file pipes.gpi, line 4: the NUMPIPES 200000000 lies outside 0 to 4.\n"),
        gpi("an entry missing", replaced("NUMPIPES 1", "NUMPIPES 2"),
            "Error in the grid-pipe file pipes.gpi, line 3: cell 1 has 1 of the 2 SPIPE lines its NUMPIPES "
            "line announces.\n"),
        gpi("a negative factor", replaced("SPIPE 1 2 1.0", "SPIPE 1 2 -1.0"),
            "Error in the grid-pipe file pipes.gpi, line 8: factor is below 0.\n"),
    };
    expect_variants(variants);
}
