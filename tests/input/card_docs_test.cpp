// The card reference (docs/cards.md) names every card of the card table and
// every table of the mapping-table file, and names no card the table lacks.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "input/card_table.h"
#include "input/mapping_table.h"
#include "support/test_support.h"

using namespace torva_test;

namespace
{

std::string cards_doc()
{
    return read_file(std::string(TORVA_SOURCE_DIR) + "/docs/cards.md");
}

std::string upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The card of a row of a card table: the first cell when it is one word in
// backticks ("| `WORD` | ..."), else empty.
std::string row_card(const std::string& line)
{
    if (line.rfind("| `", 0) != 0) return "";
    const std::size_t end = line.find('`', 3);
    return end == std::string::npos ? "" : line.substr(3, end - 3);
}

} // namespace

TEST(CardDocs, EveryCardOfTheTableIsDocumented)
{
    const std::string doc = cards_doc();
    ASSERT_FALSE(doc.empty()) << "docs/cards.md is missing";
    ASSERT_GT(card_word_count(), 400);
    for (int i = 0; i < card_word_count(); ++i) {
        const std::string word = upper(card_word(i));
        EXPECT_NE(doc.find("| `" + word + "` |"), std::string::npos)
            << "card " << word << " has no row in docs/cards.md";
    }
}

TEST(CardDocs, EveryDocumentedCardIsACard)
{
    std::set<std::string> words;
    for (int i = 0; i < card_word_count(); ++i) words.insert(upper(card_word(i)));
    std::istringstream in(cards_doc());
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## The mapping-table file", 0) == 0) break; // the tables' keywords follow
        const std::string card = row_card(line);
        if (card.empty()) continue;
        ++rows;
        EXPECT_TRUE(words.count(card)) << card << " in docs/cards.md is not a card of the card table";
    }
    EXPECT_GE(rows, card_word_count());
}

TEST(CardDocs, EveryMappingTableIsDocumented)
{
    const std::string doc = cards_doc();
    const std::size_t tables = doc.find("## The mapping-table file");
    ASSERT_NE(tables, std::string::npos);
    std::vector<int> codes;
    for (int c = tc_roughness; c <= tc_ovr_flow_block; ++c) codes.push_back(c);
    codes.push_back(tc_multi_layer_soil);
    codes.push_back(tc_ratingcurves);
    for (const int c : codes) {
        const std::string name = table_name_from_code(c);
        ASSERT_FALSE(name.empty()) << c;
        EXPECT_NE(doc.find("`" + name + "`", tables), std::string::npos)
            << "mapping table " << name << " is missing from docs/cards.md";
    }
}
