// Bad XY boundary files made from the nested example, run through the
// program itself. The inset must never run on without the boundary its
// project asks for: each variant exits with status 1 and names the file and
// the fault. A file of 0 points keeps its warning and runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// The line without its last word (and the blanks around it).
std::string drop_last_word(std::string line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line.substr(0, line.find_last_of(" \t"));
}

// The inset run with its overland boundary file made by the edit from the
// one the parent wrote.
example_variant inset(const char* label, const std::string& good, const text_edit& edit,
                      std::vector<std::string> messages, int status = 1)
{
    return {label, "nested", "inset.prj", {{"parent_ov.xy", made_from(good, edit)}}, std::move(messages),
            status};
}

// The inset run with the parent's boundary file and one more boundary file
// that its card names.
example_variant inset_with(const char* label, const std::string& good, const std::string& name,
                           const std::string& text, const std::string& card,
                           std::vector<std::string> messages)
{
    return {label,
            "nested",
            "inset.prj",
            {{"parent_ov.xy", whole(good)},
             {name, whole(text)},
             {"inset.prj", appended(card + " " + name + "\n")}},
            std::move(messages)};
}

} // namespace

TEST(BadXyFiles, InsetStopsWithoutItsBoundaryNamingFileAndFault)
{
    // The parent writes the overland boundary of the inset: the good file
    // every overland variant is made from.
    const example_result parent = run_example_variant("nested", "parent.prj", {}, {"parent_ov.xy"});
    ASSERT_EQ(parent.status, 0) << parent.output;
    ASSERT_EQ(parent.files.count("parent_ov.xy"), 1u);
    const std::string good = parent.files.at("parent_ov.xy");
    ASSERT_EQ(good.substr(0, 15), "XY_OV_DEPTH\n42\n");

    const std::string opened = "Error: file used for overland xy boundary input file is not of appropriate "
                               "type. File header does not match XY_OV_DEPTH.\n";
    const std::string gw_by_cell = "XY_GW_HEAD\n2\nDATE TIME 1 2\n2000 01 01 12 00\t 99.0 99.0\nEND_TS\n";
    const std::string stream =
        "XY_STREAM_HYDROGRAPHS\n1\nX\t 250.0\nY\t 15.0\n2000 01 01 12 00\t 0.5\nEND_TS\n";
    const std::vector<example_variant> cases = {
        // The file as a whole.
        inset("empty", good, whole(""),
              {opened, "Error: the xy boundary input file parent_ov.xy is empty; its first line must begin "
                       "with XY_OV_DEPTH.\n"}),
        {"missing",
         "nested",
         "inset.prj",
         {},
         {"Error: unable to open overland xy boundary input file.\n",
          "Error: the xy boundary input file parent_ov.xy cannot be opened; the run cannot go on without the "
          "boundary it gives.\n"}},
        inset("random bytes", good, whole("Q" + noise_bytes(3000, 12345u).substr(1)),
              {opened, "Error: line 1 of the xy boundary input file parent_ov.xy begins with \"Q"}),
        inset("misspelt header", good, replaced("XY_OV_DEPTH", "XY_OV_DEPHT"),
              {opened, "Error: line 1 of the xy boundary input file parent_ov.xy begins with \"XY_OV_DEPHT\" "
                       "where XY_OV_DEPTH is expected.\n"}),
        inset("cut inside a row", good,
              [](const std::string& t) { return t.substr(0, t.find('\n', 700) - 20); },
              {"Error: file parent_ov.xy, line "}),

        // Counts.
        inset("count beyond the file", good, replaced("\n42\n", "\n2000000000\n"),
              {"Error: file parent_ov.xy, line 2: the point count 2000000000 lies outside 0 to 10000000.\n"}),
        inset("negative count", good, replaced("\n42\n", "\n-42\n"),
              {"Error: file parent_ov.xy, line 2: the point count -42 lies outside 0 to 10000000.\n"}),
        inset("count as a fraction", good, replaced("\n42\n", "\n42.5\n"),
              {"Error: the point count on line 2 of the xy boundary file parent_ov.xy is not a whole "
               "number.\n"}),

        // The points line: 41 of 42 cells, one too many, one cell twice.
        inset("41 of 42 cells", good, on_line(3, drop_last_word),
              {"Error: value 42 of line 3 of the xy boundary file parent_ov.xy is missing; the line needs 42 "
               "values after its label words.\n"}),
        inset("a cell named twice", good,
              on_line(3, [](const std::string& line) { return drop_last_word(line) + "         1"; }),
              {"Error: points 1 and 42 of the xy boundary input file parent_ov.xy both name cell 1.\n"}),

        // Rows.
        inset("row cut short", good, on_line(5, drop_last_word),
              {"Error: file parent_ov.xy, line 5: the row holds 41 of its 42 values.\n"}),
        inset("negative depth", good, on_line(6, replaced("0.00", "-0.00")),
              {"Error: file parent_ov.xy, line 6: value 1, the overland depth -0.00"}),
        inset("word for a depth", good, on_line(6, replaced("0.00", "O.00")),
              {"Error: file parent_ov.xy, line 6: value 1 \"O.00"}),
        inset(
            "month 13", good, on_line(6, replaced("2000 01", "2000 13")),
            {"Error: file parent_ov.xy, line 6: 2000 13 01 12 02 is not a calendar date and time of day.\n"}),
        inset("rows out of order", good, on_line(6, replaced("2000 01 01 12", "2000 01 01 11")),
              {"Error: file parent_ov.xy, line 6: the row's date and time lies before that of line 5.\n"}),
        inset("no END_TS", good, replaced("END_TS\n", ""),
              {"Error: file parent_ov.xy ends before the END_TS line that closes its rows of 42 values.\n"}),

        // A count of 0 keeps the format's warning and the inset runs alone.
        inset("no points", good, whole("XY_OV_DEPTH\n0\n"),
              {"Warning: No points in overland xy boundary input file.\n"}, 0),

        // The other kinds of boundary file.
        inset_with("groundwater file of the other kind", good, "gw.xy",
                   replaced("XY_GW_HEAD", "XY_GW_HEAD_INTERP")(gw_by_cell), "XYBDYINPUT_GWHEAD",
                   {"File header does not match XY_GW_HEAD.\n",
                    "Error: line 1 of the xy boundary input file gw.xy begins with \"XY_GW_HEAD_INTERP\" "
                    "where XY_GW_HEAD is expected.\n"}),
        inset_with(
            "groundwater row with one value too many", good, "gw.xy",
            replaced("99.0 99.0", "99.0 99.0 98.0")(gw_by_cell), "XYBDYINPUT_GWHEAD",
            {"Error: file gw.xy, line 4: the row holds more than its 2 values (\"98.0\" follows them).\n"}),
        inset_with("stream discharge not finite", good, "st.xy", replaced("0.5", "inf")(stream),
                   "XYBDYINPUT_STFLOW", {"Error: file st.xy, line 5: value 1 \"inf\" is not finite.\n"}),
        inset_with(
            "stream series never loaded", good, "st.ts",
            "TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 250 15\nTIMESERIES inflow\nEND_TS\n", "XYBDYINPUT_STTIMESERIES",
            {"Error!!! unable to find time series [inflow] for the xy boundary stream time series file.\n",
             "Error: line 4 of the stream xy boundary time series file st.ts: no series loaded so far is "
             "named inflow.\n"}),
        inset_with("stream block never closed", good, "st.ts", "TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 250 15\n",
                   "XYBDYINPUT_STTIMESERIES",
                   {"Error: line 3 of the stream xy boundary time series file st.ts: the file ends inside "
                    "the block of line 2 (END_TS closes it).\n"}),

        // The parent's side: the inset mask that places the outputs.
        {"inset mask missing",
         "nested",
         "parent.prj",
         {{"parent.prj", appended("XYBDYOUTPUT_MASK none.msk\n")}},
         {"Error: unable to open the XY output mask file.\n",
          "Error: the inset mask none.msk (card XYBDYOUTPUT_MASK) cannot be opened; the run cannot write the "
          "inset's boundary without it.\n"}},
        {"inset mask empty",
         "nested",
         "parent.prj",
         {{"inset.msk", whole("")}},
         {"Error: the header of map inset.msk does not give the north edge"}},
        {"inset mask larger than its file",
         "nested",
         "parent.prj",
         {{"inset.msk",
           whole("north: 30\nsouth: 0\neast: 400\nwest: 200\nrows: 300000\ncols: 200000\n1 1 1\n")}},
         {"Error: file inset.msk, line 6: the cell count (rows x columns) 60000000000 is more than the"}},
    };
    expect_variants(cases);
}
