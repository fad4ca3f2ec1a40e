// Bad variants of the soil tables of examples/richards (Havercamp) and
// examples/layered run through the program: each stops with exit status 1
// and a message naming the file and the cause. Node spacings that ask for
// billions of nodes are refused before anything is sized.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/example_variant.h"

using namespace torva_test;

namespace
{

// The Richards table of the example with its three layers' thickness and
// node spacing.
std::string richards(const char* count_line, const char* id, const std::string& spacing1,
                     const std::string& extra = "")
{
    auto layer = [](const char* thickness, const std::string& dz) {
        return "33.984 0.287 0.075 0.10 0.08 0.15 " + std::string(thickness) + " 36.93 3.96 1.175e6 4.74 " +
               dz + "\n";
    };
    return std::string(count_line) + "\n" + id + "\n" + layer("10", spacing1) + layer("20", "1.0") +
           layer("40", "1.0") + extra;
}

// The example with its soil table given whole.
example_variant richards_table(const char* label, const std::string& table, std::vector<std::string> messages,
                               int status = 1)
{
    return {label, "richards", "richards.prj", {{"richards.tab", whole(table)}}, std::move(messages), status};
}

example_variant layered_table(const char* label, const std::string& table, std::vector<std::string> messages)
{
    return {label, "layered", "layered.prj", {{"layered.tab", whole(table)}}, std::move(messages)};
}

} // namespace

TEST(BadSoilTables, RichardsTableStopsWithStatusOneNamingTheFileAndTheCause)
{
    expect_variants({
        // Node counts beyond int once crashed the column set-up, or asked
        // for gigabytes and stopped naming no file.
        richards_table("spacing 1e-9", richards("1 0", "1", "1e-9"),
                       {"Error: file richards.tab, line 2: the node count of layer 1 of soil id 1 (thickness "
                        "10 cm / node spacing 1e-09 cm) 10000000000 lies outside 0 to 100000."}),
        richards_table("spacing 5e-9", richards("1 0", "1", "5e-9"),
                       {"the node count of layer 1 of soil id 1 (thickness 10 cm / node spacing 5e-09 cm) "
                        "2000000000 lies outside 0 to 100000."}),
        richards_table("2^31 nodes", richards("1 0", "1", "4.6566128730773926e-9"),
                       {"the node count of layer 1 of soil id 1 (thickness 10 cm / node spacing 4.65661e-09 "
                        "cm) 2147483648 lies outside 0 to 100000."}),
        richards_table("smallest spacing", richards("1 0", "1", "1e-300"),
                       {"the node count of layer 1 of soil id 1 (thickness 10 cm / node spacing 1e-300 cm) "
                        "1000000000000000000 lies outside 0 to 100000."}),
        // Ids, counts and values.
        richards_table(
            "id twice", richards("2 0", "1", "1.0", richards("", "1", "1.0").substr(1)),
            {"Error: soil table richards.tab, line 6: soil id 1 is given twice (first on line 2)."}),
        richards_table("id beyond the records", richards("1 0", "10000", "1.0"),
                       {"Error: soil table richards.tab: soil id 10000 is outside 0 to 9999."}),
        richards_table(
            "word", richards("1 0", "1", "fine"),
            {"Error: soil table richards.tab, soil id 1, layer 1: the node spacing is not a number."}),
        richards_table(
            "nan", richards("1 0", "1", "nan"),
            {"Error: soil table richards.tab, soil id 1, layer 1: the node spacing is not finite."}),
        richards_table("zero spacing", richards("1 0", "1", "0"),
                       {"Error: soil table richards.tab, soil id 1, layer 1: the node spacing 0 is outside "
                        "1e-300 to 1e+300."}),
        richards_table("row cut short",
                       "1 0\n1\n33.984 0.287 0.075 0.10 0.08 0.15 10 36.93 3.96 1.175e6 4.74 1.0\n",
                       {"Error: soil table richards.tab, soil id 1, layer 2: the conductivity is missing."}),
        richards_table("no count", "",
                       {"Error: soil table richards.tab: the number of soil types is missing."}),
        // The spacing of the example written another way runs as it does.
        richards_table("spacing 1e0", richards("1 0", "1", "1e0"), {}, 0),
    });
}

TEST(BadSoilTables, LayeredTableStopsWithStatusOneNamingTheFileAndTheCause)
{
    const std::string head = "1\nconductivity(cm/h) pore-index capillary-head(cm) porosity field-capacity "
                             "wilting-point residual initial thickness(cm)\n";
    const std::string layers = "2.0  0.25 11.0 0.45 0.30 0.12 0.05 0.15 10.0\n0.2  0.20 21.0 0.46 0.35 0.20 "
                               "0.08 0.30 20.0\n0.1  0.15 27.0 0.47 0.38 0.25 0.10 0.35\n";
    expect_variants({
        layered_table("id twice", "2" + head.substr(1) + "1\n" + layers + "1\n" + layers,
                      {"Error: soil table layered.tab, line 7: soil id 1 is given twice (first on line 3)."}),
        layered_table(
            "word",
            head + "1\n2.0 0.25 high 0.45 0.30 0.12 0.05 0.15 10.0\n" + layers.substr(layers.find('\n') + 1),
            {"Error: soil table layered.tab, soil id 1, layer 1: the capillary head is not a number."}),
        layered_table("inf",
                      head + "1\ninf 0.25 11.0 0.45 0.30 0.12 0.05 0.15 10.0\n" +
                          layers.substr(layers.find('\n') + 1),
                      {"Error: soil table layered.tab, soil id 1, layer 1: the conductivity is not finite."}),
        layered_table(
            "porosity above 1",
            head + "1\n2.0 0.25 11.0 1.45 0.30 0.12 0.05 0.15 10.0\n" + layers.substr(layers.find('\n') + 1),
            {"Error: soil table layered.tab, soil id 1, layer 1: the porosity 1.45 is outside 0 to 1."}),
        layered_table("layer missing", head + "1\n" + layers.substr(0, layers.rfind("0.1 ")),
                      {"Error: soil table layered.tab, soil id 1, layer 3: the conductivity is missing."}),
        layered_table("empty", "", {"Error: soil table layered.tab: the number of soil types is missing."}),
    });
}
