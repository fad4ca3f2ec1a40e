// The vocabulary of the project file: every card word and what it does to
// the three card records.
#pragma once

#include <string>

struct project_cards;
struct run_params;
struct precip_settings;
struct value_rule;

// What a card's action works on while the project file is read.
struct card_context {
    project_cards& cards;
    run_params& run;
    precip_settings& precip;
    int toolbox_trial;
    bool stop = false; // set by a card that ends the reading
    // Where the card stands, for messages: the project file and line, and
    // the card's word and allowed values (set by apply_card).
    std::string file;
    int line = 0;
    const char* word = "";
    const value_rule* rule = nullptr;
};

constexpr int card_ignore = -1;

// The card code of the line's first word; the word and the separators after
// it are removed from the line. Unknown words are warned about (unless in a
// toolbox trial or off the first process) and give card_ignore.
int card_code(std::string& line, int toolbox_trial);

// Carries out the action of a card on the rest of its line. Numbers are read
// strictly and checked against the card's allowed values; a value that is
// missing, not a number of the card's kind, not finite or out of range is
// refused with a message naming the file, line, card and value (the reading
// stops, code 4000).
void apply_card(int code, card_context& ctx, std::string& rest);

// The lower-case word of a card code (the first of its synonyms).
const char* card_word(int code);

// Number of card words in the table (comments and ignored words aside).
int card_word_count();

// Process-wide switch set by SUPER_QUIET; stays on for later runs.
extern int super_quiet_on;
