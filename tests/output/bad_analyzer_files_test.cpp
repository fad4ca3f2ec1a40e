// Bad analyzer files on the channel example, run through the program: a
// line that cannot make its analyzer stops the run before the time loop
// with status 1, naming the file, the line and the cause; a file that
// cannot be opened only warns, as the analyzers are optional.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

file_edits analyzers(const std::string& text)
{
    return {{"channel.prj", appended("ANALYZERS watch.txt\n")}, {"watch.txt", whole(text)}};
}

example_result with_analyzers(const std::string& text)
{
    return run_example_variant("channel", "channel.prj", analyzers(text));
}

} // namespace

TEST(BadAnalyzerFiles, StopBeforeTheRunNamingTheLineAndTheCause)
{
    const struct {
        const char* text;
        std::string message;
    } cases[] = {
        {"# depth at the outlet\n2DS dpeth e > 1.0 s\n",
         "Error: unable to find 2DS array [dpeth]; the names are depth, area and flow.\n"
         "Error in the analyzer file watch.txt, line 2: the variable \"dpeth\" names no array this run keeps "
         "(see above).\n"},
        {"1SD depth e > 1.0 s\n", "Error in the analyzer file watch.txt, line 1: the kind \"1SD\" is none of "
                                  "1DS, 2DS, 2DG, QBN_OV, QBN_ST "
                                  "and QBN_SL.\n"},
        {"2DS depth e > one s\n",
         "Error in the analyzer file watch.txt, line 1: the THRESHOLD \"one\" is not a number.\n"},
        {"2DS depth e > inf s\n",
         "Error in the analyzer file watch.txt, line 1: the THRESHOLD \"inf\" is not finite.\n"},
        {"2DS depth e =>\n", "the OPERATOR \"=>\" is none of <, >, ==, <=, >=, +, -, * and \\.\n"},
        {"2DS depth e > 1.0\n", "line 1: the line ends before its ACTIONS letters (t, v, s, f, c, d).\n"},
        {"2DS depth x > 1.0 s\n",
         "line 1: the TRIGGERS word \"x\" holds 'x', which is none of the letters t, E, e, "
         "S, s and c.\n"},
        {"2DS depth t > 1.0 s sixty\n", "line 1: the INTERVAL \"sixty\" is not a number (whole seconds).\n"},
        {"2DS depth e > 1.0 sf\n",
         "line 1: the ACTIONS letter f asks for an output file, and the line names none.\n"},
        {"2DS depth e > 1.0 s extra\n", "line 1: \"extra\" follows the last token of the line's layout.\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.text, "channel", "channel.prj", analyzers(c.text), {c.message}});

    // A sound file, and one that cannot be opened, let the run go on.
    const example_result good = with_analyzers("# deep water\n2DS depth S > 5.0 s\nQBN_OV x S < 1 s\n");
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_NE(good.output.find("Set up 1 analyzers...\n"), std::string::npos) << good.output;
    const example_result missing = run_example_variant(
        "channel", "channel.prj", {{"channel.prj", appended("ANALYZERS none.txt\n")}});
    EXPECT_EQ(missing.status, 0) << missing.output;
    EXPECT_NE(missing.output.find("Warning: the analyzer file none.txt cannot be opened"), std::string::npos)
        << missing.output;
}
