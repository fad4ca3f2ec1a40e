// Bad channel point-input files made from the structure example (one point,
// no constituents) and the tracer example (one point with one constituent,
// two dated records), run through the program: each stops at set-up, before
// the time loop, with status 1 and names the file and the cause; the Part's
// own lines come first where it has them.
#include <gtest/gtest.h>

#include <string>

#include "support/example_variant.h"

using namespace torva_test;

TEST(BadPointInputFiles, StopAtSetUpNamingTheFileAndTheCause)
{
    const struct {
        const char* label;
        const char* example;
        const char* project;
        const char* file;
        std::function<std::string(std::string)> edit;
        std::string message;
    } cases[] = {
        // Empty, random or without its first card.
        {"empty", "structure", "structure.prj", "structure.pts", whole(""),
         "Unexpected end of file in chan point data file.\nCheck the format of the data file.\nProgram "
         "terminated.\n"
         "Error in the channel point input file structure.pts: it holds no NUMPT card.\n"},
        {"random bytes", "structure", "structure.prj", "structure.pts",
         whole(std::string("\x13\xfe\x80 4 \x01\x02 zz\n\x7f", 13)),
         "Error in the channel point input file structure.pts: it holds no NUMPT card.\n"},
        // Counts: beyond the file, or fewer POINT lines than announced.
        {"NUMPT far too large", "structure", "structure.prj", "structure.pts",
         replaced("NUMPT 1", "NUMPT 2000000000"),
         "Error in the channel point input file structure.pts, NUMPT: the NUMPT count \"2000000000\" lies "
         "outside "
         "0 to 1e+06.\n"},
        {"NUMPT beyond the file", "structure", "structure.prj", "structure.pts",
         replaced("NUMPT 1", "NUMPT 9"),
         "Error: file structure.pts, line 1: the NUMPT 9 is more than the"},
        {"one POINT line short", "structure", "structure.prj", "structure.pts",
         replaced("NUMPT 1", "NUMPT 2"),
         "Error in the channel point input file structure.pts: the number \"1\" stands where the next POINT "
         "card "
         "belongs"},
        {"NRPDS beyond the file", "structure", "structure.prj", "structure.pts",
         replaced("NRPDS 1", "NRPDS 3"),
         "Error: file structure.pts, line 3: the NRPDS 3 is more than the"},
        {"NRPDS negative", "structure", "structure.prj", "structure.pts", replaced("NRPDS 1", "NRPDS -4"),
         "NRPDS: the NRPDS count \"-4\" lies outside 0 to 1e+09.\n"},
        {"NRPDS line missing", "structure", "structure.prj", "structure.pts", replaced("NRPDS 1\n", ""),
         "structure.pts: the number \"2000\" stands where the next NRPDS card belongs"},
        // A record cut short: found at set-up, not at the record's date.
        {"record cut short", "channel_tracer", "tracer.prj", "tracer.pts",
         replaced("12 42\n1.0 0.0\n", "12 42\n1.0\n"),
         "Error in the channel point input file tracer.pts: it ends inside record 2 of the 2 its NRPDS card "
         "announces.\n"},
        // Words, non-finite values and dates off the calendar.
        {"word in a record", "structure", "structure.prj", "structure.pts", replaced("\n1.0", "\nlots"),
         "Error in the channel point input file structure.pts, record 1: the discharge \"lots\" is not a "
         "number.\n"},
        {"nan discharge", "structure", "structure.prj", "structure.pts", replaced("0.5", "nan"),
         "structure.pts, POINT 1: the discharge \"nan\" is not finite.\n"},
        {"negative concentration", "channel_tracer", "tracer.prj", "tracer.pts",
         replaced("1.0 100.0", "1.0 -5"),
         "tracer.pts, record 1: the concentration \"-5\" lies outside 0 to 1e+30.\n"},
        {"30 February", "structure", "structure.prj", "structure.pts",
         replaced("INPUT 2000 1 1", "INPUT 2000 2 30"),
         "the INPUT line of record 1: the date \"2000-02-30\" is not a calendar date.\n"},
        // Repeated, misplaced and left-over records.
        {"records out of order", "channel_tracer", "tracer.prj", "tracer.pts",
         replaced("INPUT 2000 01 01 12 42", "INPUT 2000 01 01 12 38"),
         "tracer.pts, the INPUT line of record 2: its date 2000-01-01 12:38 is not after that of record "
         "1.\n"},
        {"a date given twice", "channel_tracer", "tracer.prj", "tracer.pts",
         replaced("INPUT 2000 01 01 12 42", "INPUT 2000 01 01 12 40"),
         "is not after that of record 1.\n"},
        {"two points at one node", "structure", "structure.prj", "structure.pts",
         replaced("NUMPT 1\nPOINT 1 1 0.5", "NUMPT 2\nPOINT 1 1 0.5\nPOINT 1 1 0.7"),
         "structure.pts, POINT 2: link 1 node 1 is given a second time (POINT 1).\n"},
        {"a concentration the run does not have", "structure", "structure.prj", "structure.pts",
         replaced("NUMPT 1\nPOINT 1 1 0.5", "NUMPT 2\nPOINT 1 1 0.5 10.0\nPOINT 2 1 0.7"),
         "structure.pts: the number \"10.0\" stands where the next POINT card belongs"},
        {"values after the last record", "structure", "structure.prj", "structure.pts",
         replaced("\n1.0", "\n1.0 2.0"),
         "Error in the channel point input file structure.pts: \"2.0\" follows the last of its 1 records.\n"},
        // A point that names no node of the network.
        {"point beyond the network", "structure", "structure.prj", "structure.pts",
         replaced("POINT 1 1", "POINT 1 9"),
         "structure.pts, POINT 1: link 9 node 1 is not a node of a routed channel link.\n"},
    };
    for (const auto& c : cases)
        expect_variant({c.label, c.example, c.project, {{c.file, c.edit}}, {c.message}});
    // The examples as they are.
    for (const char* example : {"structure", "channel_tracer"}) {
        const example_result r = run_example_variant(
            example, example == std::string("structure") ? "structure.prj" : "tracer.prj", {});
        EXPECT_EQ(r.status, 0) << r.output;
    }
}
