// Bad XY boundary files made from the nested example, run through the
// program itself. The inset must never run on without the boundary its
// project asks for: each variant exits with status 1 and names the file and
// the fault. A file of 0 points keeps its warning and runs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace torva_test;

namespace
{

const std::string nested = std::string(TORVA_EXAMPLES) + "/nested/";
const char* const example_files[] = {"parent.prj", "parent.msk", "parent.ele", "parent.loc",
                                     "inset.prj",  "inset.msk",  "inset.ele",  "inset.loc"};

int run_in(const std::string& folder, const std::string& project, std::string& out)
{
    return run_command("cd '" + folder + "' && OMP_NUM_THREADS=1 '" + torva_exe() + "' " + project + " 2>&1", out);
}

// Line k (from 1) of the text, without its newline.
std::string line_of(const std::string& text, int k)
{
    std::size_t at = 0;
    for (int i = 1; i < k; ++i)
        at = text.find('\n', at) + 1;
    return text.substr(at, text.find('\n', at) - at);
}

std::string with_line(const std::string& text, int k, const std::string& line)
{
    std::size_t at = 0;
    for (int i = 1; i < k; ++i)
        at = text.find('\n', at) + 1;
    return text.substr(0, at) + line + text.substr(text.find('\n', at));
}

// The line without its last word (and the blanks around it).
std::string drop_last_word(std::string line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line.substr(0, line.find_last_of(" \t"));
}

std::string replace_first(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string random_bytes(std::size_t n)
{
    std::string bytes = noise_bytes(n, 12345u);
    bytes[0] = 'Q'; // a first word, not a blank line
    return bytes;
}

struct xy_case {
    const char* label;
    std::string project;                            // run in the folder
    std::function<std::string(std::string)> ov;     // edit of the overland file the parent wrote, or null
    std::vector<std::pair<std::string, std::string>> files; // more files (name, text)
    std::string cards;                              // appended to the project
    std::vector<std::string> messages;              // each printed
    int status = 1;
};

} // namespace

TEST(BadXyFiles, InsetStopsWithoutItsBoundaryNamingFileAndFault)
{
    // The parent writes the overland boundary of the inset: the good file
    // every overland variant is made from.
    scratch_dir parent("badxy_parent");
    for (const char* f : example_files)
        write_file(parent.file(f), read_file(nested + f));
    std::string out;
    ASSERT_EQ(run_in(parent.path(), "parent.prj", out), 0) << out;
    const std::string good = read_file(parent.file("parent_ov.xy"));
    ASSERT_EQ(good.substr(0, 15), "XY_OV_DEPTH\n42\n");

    const std::string opened = "Error: file used for overland xy boundary input file is not of appropriate type. "
                               "File header does not match XY_OV_DEPTH.\n";
    const std::string gw_by_cell = "XY_GW_HEAD\n2\nDATE TIME 1 2\n2000 01 01 12 00\t 99.0 99.0\nEND_TS\n";
    const std::string stream = "XY_STREAM_HYDROGRAPHS\n1\nX\t 250.0\nY\t 15.0\n2000 01 01 12 00\t 0.5\nEND_TS\n";
    std::vector<xy_case> cases = {
        // The file as a whole.
        {"empty", "inset.prj", [](std::string) { return std::string(); }, {}, "",
         {opened, "Error: the xy boundary input file parent_ov.xy is empty; its first line must begin with "
                  "XY_OV_DEPTH.\n"}},
        {"missing", "inset.prj", nullptr, {}, "",
         {"Error: unable to open overland xy boundary input file.\n",
          "Error: the xy boundary input file parent_ov.xy cannot be opened; the run cannot go on without the "
          "boundary it gives.\n"}},
        {"random bytes", "inset.prj", [](std::string) { return random_bytes(3000); }, {}, "",
         {opened, "Error: line 1 of the xy boundary input file parent_ov.xy begins with \"Q"}},
        {"misspelt header", "inset.prj",
         [](std::string t) { return replace_first(t, "XY_OV_DEPTH", "XY_OV_DEPHT"); }, {}, "",
         {opened, "Error: line 1 of the xy boundary input file parent_ov.xy begins with \"XY_OV_DEPHT\" where "
                  "XY_OV_DEPTH is expected.\n"}},
        {"cut inside a row", "inset.prj", [](std::string t) { return t.substr(0, t.find('\n', 700) - 20); }, {},
         "", {"Error: file parent_ov.xy, line "}},

        // Counts.
        {"count beyond the file", "inset.prj",
         [](std::string t) { return replace_first(t, "\n42\n", "\n2000000000\n"); }, {}, "",
         {"Error: file parent_ov.xy, line 2: the point count 2000000000 lies outside 0 to 10000000.\n"}},
        {"negative count", "inset.prj", [](std::string t) { return replace_first(t, "\n42\n", "\n-42\n"); }, {},
         "", {"Error: file parent_ov.xy, line 2: the point count -42 lies outside 0 to 10000000.\n"}},
        {"count as a fraction", "inset.prj",
         [](std::string t) { return replace_first(t, "\n42\n", "\n42.5\n"); }, {}, "",
         {"Error: the point count on line 2 of the xy boundary file parent_ov.xy is not a whole number.\n"}},

        // The points line: 41 of 42 cells, one too many, one cell twice.
        {"41 of 42 cells", "inset.prj", [](std::string t) { return with_line(t, 3, drop_last_word(line_of(t, 3))); },
         {}, "",
         {"Error: value 42 of line 3 of the xy boundary file parent_ov.xy is missing; the line needs 42 values "
          "after its label words.\n"}},
        {"a cell named twice", "inset.prj",
         [](std::string t) { return with_line(t, 3, drop_last_word(line_of(t, 3)) + "         1"); }, {}, "",
         {"Error: points 1 and 42 of the xy boundary input file parent_ov.xy both name cell 1.\n"}},

        // Rows.
        {"row cut short", "inset.prj", [](std::string t) { return with_line(t, 5, drop_last_word(line_of(t, 5))); },
         {}, "", {"Error: file parent_ov.xy, line 5: the row holds 41 of its 42 values.\n"}},
        {"negative depth", "inset.prj",
         [](std::string t) { return with_line(t, 6, replace_first(line_of(t, 6), "0.00", "-0.00")); }, {}, "",
         {"Error: file parent_ov.xy, line 6: value 1, the overland depth -0.00"}},
        {"word for a depth", "inset.prj",
         [](std::string t) { return with_line(t, 6, replace_first(line_of(t, 6), "0.00", "O.00")); }, {}, "",
         {"Error: file parent_ov.xy, line 6: value 1 \"O.00"}},
        {"month 13", "inset.prj",
         [](std::string t) { return with_line(t, 6, replace_first(line_of(t, 6), "2000 01", "2000 13")); }, {}, "",
         {"Error: file parent_ov.xy, line 6: 2000 13 01 12 02 is not a calendar date and time of day.\n"}},
        {"rows out of order", "inset.prj",
         [](std::string t) { return with_line(t, 6, replace_first(line_of(t, 6), "2000 01 01 12", "2000 01 01 11")); },
         {}, "", {"Error: file parent_ov.xy, line 6: the row's date and time lies before that of line 5.\n"}},
        {"no END_TS", "inset.prj", [](std::string t) { return replace_first(t, "END_TS\n", ""); }, {}, "",
         {"Error: file parent_ov.xy ends before the END_TS line that closes its rows of 42 values.\n"}},

        // A count of 0 keeps the format's warning and the inset runs alone.
        {"no points", "inset.prj",
         [](std::string) { return std::string("XY_OV_DEPTH\n0\n"); }, {}, "",
         {"Warning: No points in overland xy boundary input file.\n"}, 0},

        // The other kinds of boundary file.
        {"groundwater file of the other kind", "inset.prj", [](std::string t) { return t; },
         {{"gw.xy", replace_first(gw_by_cell, "XY_GW_HEAD", "XY_GW_HEAD_INTERP")}}, "XYBDYINPUT_GWHEAD gw.xy\n",
         {"File header does not match XY_GW_HEAD.\n",
          "Error: line 1 of the xy boundary input file gw.xy begins with \"XY_GW_HEAD_INTERP\" where XY_GW_HEAD "
          "is expected.\n"}},
        {"groundwater row with one value too many", "inset.prj", [](std::string t) { return t; },
         {{"gw.xy", replace_first(gw_by_cell, "99.0 99.0", "99.0 99.0 98.0")}}, "XYBDYINPUT_GWHEAD gw.xy\n",
         {"Error: file gw.xy, line 4: the row holds more than its 2 values (\"98.0\" follows them).\n"}},
        {"stream discharge not finite", "inset.prj", [](std::string t) { return t; },
         {{"st.xy", replace_first(stream, "0.5", "inf")}}, "XYBDYINPUT_STFLOW st.xy\n",
         {"Error: file st.xy, line 5: value 1 \"inf\" is not finite.\n"}},
        {"stream series never loaded", "inset.prj", [](std::string t) { return t; },
         {{"st.ts", "TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 250 15\nTIMESERIES inflow\nEND_TS\n"}},
         "XYBDYINPUT_STTIMESERIES st.ts\n",
         {"Error!!! unable to find time series [inflow] for the xy boundary stream time series file.\n",
          "Error: line 4 of the stream xy boundary time series file st.ts: no series loaded so far is named "
          "inflow.\n"}},
        {"stream block never closed", "inset.prj", [](std::string t) { return t; },
         {{"st.ts", "TORVA_XY_ST_BDY_TS\nTORVA_TS\nXY 250 15\n"}}, "XYBDYINPUT_STTIMESERIES st.ts\n",
         {"Error: line 3 of the stream xy boundary time series file st.ts: the file ends inside the block of "
          "line 2 (END_TS closes it).\n"}},

        // The parent's side: the inset mask that places the outputs.
        {"inset mask missing", "parent.prj", nullptr, {}, "XYBDYOUTPUT_MASK none.msk\n",
         {"Error: unable to open the XY output mask file.\n",
          "Error: the inset mask none.msk (card XYBDYOUTPUT_MASK) cannot be opened; the run cannot write the "
          "inset's boundary without it.\n"}},
        {"inset mask empty", "parent.prj", nullptr, {{"inset.msk", ""}}, "",
         {"Error: the header of map inset.msk does not give the north edge"}},
        {"inset mask larger than its file", "parent.prj", nullptr,
         {{"inset.msk", "north: 30\nsouth: 0\neast: 400\nwest: 200\nrows: 300000\ncols: 200000\n1 1 1\n"}}, "",
         {"Error: file inset.msk, line 6: the cell count (rows x columns) 60000000000 is more than the"}},
    };
    for (const xy_case& c : cases) {
        scratch_dir dir("badxy");
        for (const char* f : example_files)
            write_file(dir.file(f), read_file(nested + f));
        if (c.ov)
            write_file(dir.file("parent_ov.xy"), c.ov(good));
        for (const auto& [name, text] : c.files)
            write_file(dir.file(name), text);
        if (!c.cards.empty())
            write_file(dir.file(c.project), read_file(nested + c.project) + c.cards);
        const int status = run_in(dir.path(), c.project, out);
        EXPECT_EQ(status, c.status) << c.label << "\n" << out;
        for (const std::string& m : c.messages)
            EXPECT_NE(out.find(m), std::string::npos) << c.label << ": " << m << "\n" << out;
        if (c.status != 0) {
            EXPECT_EQ(out.find("Running...."), std::string::npos) << c.label << "\n" << out;
        }
        // A sanitized build's own reports also end in status 1.
        EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << c.label << "\n" << out;
        EXPECT_EQ(out.find("runtime error:"), std::string::npos) << c.label << "\n" << out;
    }
}
