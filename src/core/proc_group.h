// The process-group context. The program always runs as one process, so the
// group has one member; the numbers steer screen echo, output and the
// run-time line.
#pragma once

#include <vector>

struct proc_group {
    int rank = 0;         // number in the group; screen echo only from 0
    int num_threads = 1;  // processor count at start-up
    int member = 0;       // outputs and samples come from member 0
    int num_parts = 1;    // parts the mask is divided into
    int group_size = 1;   // number of members
    int group_id = 0;     // group number for result merges
    int proc_number = 0;  // process number in log names
};

extern proc_group group_ctx;

// Start-up: processor count into the context and the runtime's thread count.
// Runs from a static initialiser before main; callable again by tests.
void init_process_group();

// The n values of every member one after the other; in a one-member group a
// copy of the n values.
std::vector<double> process_group_gather(const proc_group& group, int n, const double* values);
