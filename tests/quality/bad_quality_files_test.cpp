// Bad contaminant, sediment, erosion and nutrient tables and aquatic-
// environment files made from the examples, run through the program itself:
// each stops at start-up with status 1 and names the file and the fault,
// after the format's own message where it has one. A table row that no cell
// uses is only worth a warning, and the run goes on.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// A data row of a mapping table: the ID in columns 1-6, values from column 87.
std::string row(int id, const std::string& values)
{
    std::string r = std::to_string(id);
    r = std::string(6 - r.size(), ' ') + r;
    return r + std::string(80, ' ') + values + "\n";
}

// Variants of one file of an example (null edit: the file removed).
example_variant contam(const char* label, text_edit edit, std::vector<std::string> messages, int status = 1)
{
    return {label, "contaminant", "contam.prj", {{"contam.cmt", std::move(edit)}}, std::move(messages),
            status};
}

example_variant erosion(const char* label, text_edit edit, std::vector<std::string> messages)
{
    return {label, "erosion", "erosion.prj", {{"erosion.cmt", std::move(edit)}}, std::move(messages)};
}

example_variant aquatic(const char* label, text_edit edit, std::vector<std::string> messages)
{
    return {label, "nutrients", "soil.prj", {{"nutr.env", std::move(edit)}}, std::move(messages)};
}

example_variant nutrient_table(const char* label, text_edit edit, std::vector<std::string> messages)
{
    return {label, "nutrients", "soil.prj", {{"nutr.cmt", std::move(edit)}}, std::move(messages)};
}

} // namespace

TEST(BadQualityFiles, EachFaultStopsTheRunNamingFileAndCause)
{
    const std::string contam_row1 = row(1, "1 2 0.5 2 0 0 0 0");
    const std::string table_of =
        "constituent #1 of table CONTAMINANT_TRANSPORT in the mapping table file contam.cmt";
    const std::string value_line1 = "1.0 2.0 3.0 4.0 5.0 6.0 7.0\n";
    const std::vector<example_variant> cases = {
        // The contaminant table: its count.
        contam("NUM_CONTAM -1", replaced("NUM_CONTAM 2", "NUM_CONTAM -1"),
               {"Error: The number of contaminants is not a positive value.\n",
                "Error: table CONTAMINANT_TRANSPORT in the mapping table file contam.cmt, line 4: NUM_CONTAM "
                "is -1; the table must list one contaminant or more.\n"}),
        contam("NUM_CONTAM beyond the file", replaced("NUM_CONTAM 2", "NUM_CONTAM 9999"),
               {"Error: file contam.cmt, line 4: the NUM_CONTAM 9999 is more than the "}),
        contam("NUM_CONTAM far too large", replaced("NUM_CONTAM 2", "NUM_CONTAM 2000000000"),
               {"Error: file contam.cmt, line 4: the NUM_CONTAM 2000000000 lies outside 1 to 10000.\n"}),
        contam("NUM_CONTAM as a fraction", replaced("NUM_CONTAM 2", "NUM_CONTAM 2.5"),
               {"line 4: the NUM_CONTAM \"2.5\" is not a whole number.\n"}),
        contam("NUM_CONTAM line missing", replaced("NUM_CONTAM 2\n", ""),
               {"Error: The number of contaminants is not a positive value.\n",
                "contam.cmt, line 4: the NUM_CONTAM line must follow the table line; found \"\"Decaying\" "
                "\"Plane\" \"decay\"\".\n"}),
        contam("one contaminant more than the table holds", replaced("NUM_CONTAM 2", "NUM_CONTAM 3"),
               {"Error: table CONTAMINANT_TRANSPORT in the mapping table file contam.cmt ends before "
                "constituent #3 of its NUM_CONTAM.\n"}),

        // A constituent's lines.
        contam("names line without its quotes",
               replaced("\"Decaying\" \"Plane\" \"decay\"", "Decaying Plane decay"),
               {"contam.cmt, line 5: constituent #1 needs its names line here, three double-quoted fields "
                "(description, index map, output file); found \"Decaying Plane decay\".\n"}),
        contam("PRECIP_CONC line missing", replaced("PRECIP_CONC 5\n", ""),
               {"Error in reading the precip concentration of constituent #1\n",
                "contam.cmt, line 6: constituent #1 needs its PRECIP_CONC line here; found \"PARTITION "
                "0.5\".\n"}),
        contam("PARTITION line missing", replaced("PARTITION 0.5\n", ""),
               {"Error in reading the partition coefficient of constituent #1\n",
                "contam.cmt, line 7: constituent #1 needs its PARTITION line here; found \"NUM_IDS 1\".\n"}),
        contam("index map not declared", replaced("\"Decaying\" \"Plane\"", "\"Decaying\" \"Plain\""),
               {"unable to match index map\n",
                "Error: constituent #1 of table CONTAMINANT_TRANSPORT in the mapping table file contam.cmt "
                "names the index map \"Plain\", which no INDEX_MAP line declares.\n",
                "Error reading the contaminant transport tables in the mapping table file.\n"}),
        contam("file cut inside a constituent",
               [](std::string t) { return t.substr(0, t.find("PARTITION 0\n")); },
               {"Error in reading the partition coefficient of constituent #2\n",
                "Error: table CONTAMINANT_TRANSPORT in the mapping table file contam.cmt ends before the "
                "PARTITION line of constituent #2.\n"}),

        // A constituent's rows against its index map.
        contam("row whose ID the map never uses", replaced(contam_row1, row(2, "1 2 0.5 2 0 0 0 0")),
               {"Error: cell 1 (row 1, column 1) of index map contam.idx has the ID 1, for which " +
                table_of + " has no row.\n"}),
        contam("a spare row beside the used one",
               replaced("NUM_IDS 1\nID\n" + contam_row1,
                        "NUM_IDS 2\nID\n" + contam_row1 + row(5, "1 2 0.5 2 0 0 0 0")),
               {"Warning: no cell of index map contam.idx has the ID 5 of " + table_of + ".\n"}, 0),
        contam("an ID given twice",
               replaced("NUM_IDS 1\nID\n" + contam_row1, "NUM_IDS 2\nID\n" + contam_row1 + contam_row1),
               {"Error: table CONTAMINANT_TRANSPORT of the mapping table file contam.cmt gives ID 1 twice, "
                "in rows 1 and 2.\n"}),
        contam("negative decay rate", replaced(" 1 2 0.5 2 0", " 1 -2 0.5 2 0"),
               {"Error: in table CONTAMINANT_TRANSPORT of the mapping table file contam.cmt, column 2 of ID "
                "1 is -2; it must be 0 or more.\n"}),

        // Sediment classes and the soil erosion properties.
        erosion("NUM_SED far too large", replaced("SEDIMENTS\nNUM_SED 3", "SEDIMENTS\nNUM_SED 2000000000"),
                {"Error: file erosion.cmt, line 4: the NUM_SED 2000000000 lies outside 1 to 10000.\n"}),
        erosion("NUM_SED beyond the file", replaced("SEDIMENTS\nNUM_SED 3", "SEDIMENTS\nNUM_SED 500"),
                {"Error: file erosion.cmt, line 4: the NUM_SED 500 is more than the "}),
        erosion("NUM_SED as a fraction", replaced("SEDIMENTS\nNUM_SED 3", "SEDIMENTS\nNUM_SED 3.7"),
                {"Error: table SEDIMENTS of the mapping table file erosion.cmt, line 4: the NUM_SED \"3.7\" "
                 "is not a whole number.\n"}),
        erosion("NUM_IDS with a letter", replaced("NUM_IDS 2", "NUM_IDS 2x"),
                {"Error: table SOIL_EROSION_PROPS of the mapping table file erosion.cmt, line 10: the "
                 "NUM_IDS \"2x\" is not a number.\n"}),
        erosion("erosion classes that do not match", replaced("NUM_IDS 2\nNUM_SED 3", "NUM_IDS 2\nNUM_SED 2"),
                {"Error: The number of sediments specified in the SEDIMENTS table is 3 while the number of "
                 "sediments \n"
                 "specified in the SED_EROS_PROPS table is 2. The values must match.\n",
                 "Error: table SOIL_EROSION_PROPS of the mapping table file erosion.cmt, line 11: NUM_SED is "
                 "2, but table SEDIMENTS has 3 classes and each takes one fraction column here.\n"}),
        erosion("soil ID without a row", replaced("\n     2    ", "\n     3    "),
                {"Error: cell 5 (row 1, column 5) of index map erosion_soil.idx has the ID 2, for which "
                 "table SOIL_EROSION_PROPS of the mapping table file erosion.cmt has no row.\n"}),
        erosion("negative splash coefficient", replaced(" 60 0.00002", " -60 0.00002"),
                {"column 1 of ID 1 is -60; it must be 0 or more.\n"}),
        erosion("size fraction above 1", replaced("1.0 0.2 0.5 0.3", "1.0 1.2 0.5 0.3"),
                {"Error: in table SOIL_EROSION_PROPS of the mapping table file erosion.cmt, column 6 of ID 1 "
                 "is 1.2; it must be from 0 to 1.\n"}),

        // The aquatic-environment file of the nutrient module.
        aquatic("aquatic file empty", whole(""),
                {"Error: The header for the aquatic environment file is invalid or does not match \n the "
                 "current version. \n The aquatic environment file specified is: nutr.env\n The header "
                 "should be : AQUATIC_ENV_QBN10\nError: the aquatic environment file nutr.env is empty.\n"}),
        aquatic("aquatic file missing", nullptr,
                {"Error: unable to open the aquatic environment file nutr.env.\n"}),
        aquatic("aquatic file of random bytes", whole(noise_bytes(2000, 2024u)),
                {"The header should be : AQUATIC_ENV_QBN10\nError: line 1 of the aquatic environment file "
                 "nutr.env begins with \""}),
        aquatic("aquatic header misspelt", replaced("AQUATIC_ENV_QBN10", "AQUATIC_ENV_QBN01"),
                {"\nError: line 1 of the aquatic environment file nutr.env begins with \"AQUATIC_ENV_QBN01 "
                 "tw\".\n"}),
        aquatic("aquatic id count far too large", replaced("NUM_IDS 2", "NUM_IDS 2000000000"),
                {"Error: file nutr.env, line 4: the number of ids NUM_IDS 2000000000 lies outside 1 to "
                 "100000.\n"}),
        aquatic("aquatic value line cut short", replaced(value_line1, "1.0 2.0 3.0 4.0 5.0 6.0\n"),
                {"Error: line 7 of the aquatic environment file nutr.env: value line 1 of the block holds 6 "
                 "of its 7 values.\n"}),
        aquatic("aquatic id given twice", replaced("\n2\nDEFAULT", "\n1\nDEFAULT"),
                {"Error: line 18 of the aquatic environment file nutr.env: the id 1 has a block already, at "
                 "line 6.\n"}),
        aquatic("aquatic id beyond NUM_IDS", replaced("\n2\nDEFAULT", "\n3\nDEFAULT"),
                {"Error: An index [3] in the aquatic environment table is greater than the\nnumber of IDs "
                 "specified [2]\n",
                 "Error: line 18 of the aquatic environment file nutr.env: the id 3 lies outside 1 to 2 "
                 "(NUM_IDS).\n"}),
        aquatic("aquatic file without OV_MAP", replaced("OV_MAP nutr.idx\n", ""),
                {"Error: Unable to open the overland Aquatic Environment map.\n",
                 "Error: the aquatic environment file nutr.env has no OV_MAP line naming it.\n"}),

        // Nutrient tables of the mapping-table file.
        nutrient_table("negative nutrient concentration", replaced("0.05 2 1 0.8", "-0.05 2 1 0.8"),
                       {"Error: in table QBN_N of the mapping table file nutr.cmt, column 1 of ID 1 is "
                        "-0.05; it must be 0 or more.\n"}),
        nutrient_table("negative rain concentration", replaced("PRECIP_CONC 0.1 50", "PRECIP_CONC -0.1 50"),
                       {"Error: in table QBN_N of the mapping table file nutr.cmt, line 21: PRECIP_CONC "
                        "value 1 (\"-0.1\") is below 0; the table takes 4.\n"}),
        nutrient_table("soil pool ID without a row",
                       replaced(row(2, "0.2 0.4 0.6 0.8 1.0"), row(3, "0.2 0.4 0.6 0.8 1.0")),
                       {"of index map nutr.idx has the ID 2, for which table QBN_SOIL_N of the mapping table "
                        "file nutr.cmt has no row.\n"}),
    };
    expect_variants(cases);
}
