// The keywords of the channel input file and the grid-stream file, with the
// allowed range of every value a card carries.
#pragma once

#include <string>

enum class chan_card {
    none,
    alpha,
    beta,
    theta,
    links,
    maxnodes,
    dx,
    connect,
    link,
    nodes,
    node,
    x_y,
    elev,
    kind, // arg: the kind word (4..11)
    erodible,
    subsurface,
    overbank,
    backwater,
    lake,
    structure,
    xsec,
    bottom_width,
    bankfull_depth,
    side_slope,
    mannings_n,
    max_erosion,
    gw_bed_conductivity,
    gw_bed_thickness,
    npairs,
    x1,
    num_interp,
    ignored,
    numstructs,
    structtype,
    struct_value, // arg: the chan_struct_rec field (struct_field)
    mlake,
    static_lake,
    numrate,
    minwse,
    initwse,
    maxwse,
    numpts,
    pointsource,
    pumpto,
    streamcells,
    cellij,
    numnodes,
    linknode,
};

// Fields of a structure element that the parameter cards fill.
enum struct_field {
    sf_length,
    sf_up_elev,
    sf_down_invert,
    sf_slope,
    sf_coeff_forward,
    sf_coeff_reverse,
    sf_size1,
    sf_size2,
    sf_crest_low_loc,
    sf_rough_coeff
};

// Allowed range of one value; the bounds that depend on the network are
// resolved by the reader (links 1..L, nodes 1..MAXNODES, grid rows and
// columns).
enum class value_limit {
    real,     // any finite number
    nonneg,   // finite, at least 0
    above0,   // finite, above 0
    fraction, // 0 to 1
    count,    // whole number, at least 0
    positive, // whole number, at least 1
    integer,  // any whole number
    link,     // 1..LINKS
    link0,    // 0..LINKS (0: no link)
    node,     // 1..MAXNODES
    row,      // 1..grid rows
    col,      // 1..grid columns
};

struct chan_card_def {
    const char* word; // lower case
    chan_card card;
    int arg;
    value_limit limits[3]; // of the card's first values, in order
};

// Finds the card of the line's first word (blanks, tabs and newlines before
// it skipped; the word ends at a blank, tab, newline or the line's end and
// is compared in lower case) and removes the word with the white space
// before it. Null when the word is no keyword.
const chan_card_def* chan_card_lookup(std::string& line);

// Keyword as written in files (upper case), for messages.
std::string chan_card_name(const chan_card_def& def);
