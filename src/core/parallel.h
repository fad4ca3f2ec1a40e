// Below this many cells a per-cell loop runs on one thread: starting the
// threads would cost more than the work.
#pragma once

constexpr int parallel_min_cells = 4096;
