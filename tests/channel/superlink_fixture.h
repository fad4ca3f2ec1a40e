// Pipe-network projects on the 3 x 4 grid of the input fixture, loaded
// through the input hub; the network file of each test is given as text.
//
//   cell numbers
//   . 1 2 .
//   3 4 5 6
//   7 8 9 .
#pragma once

#include <string>

#include "input/input_fixture.h"

namespace torva_test
{

// A manhole with one grate at cell 1 drains through two 100 m pipes to an
// outlet onto the surface at cell 9.
constexpr const char* two_pipe_network = R"(SJUNC 1 100 98 1.0 1 1 2 0.5 0.3
SJUNC 2 99 96 0 888 3 3 0 0
CONNECT 1 1 2
SLINK 1 2
NODE 1 100 98 0 0 1 2 0 0
NODE 2 99.5 97 0.5 0 2 2 0 0
NODE 3 99 96 0 0 3 3 0 0
PIPE 1 1 0.5 0 0.01 0.013 100 0 0
PIPE 2 1 0.5 0 0.01 0.013 100 0 0
)";

struct PipeProject : InputProject {
    PipeProject() { option_checks = false; }

    // Loads the network through the input hub with the extra cards.
    bool load_pipes(const std::string& network, const std::string& extra = "")
    {
        file("p.pip", network);
        return load(cards_with("STORM_SEWER p.pip\n" + extra));
    }
};

} // namespace torva_test
