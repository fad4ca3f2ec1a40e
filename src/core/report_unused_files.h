// The files a project names for a process (or an output) it never switches on.
#pragma once

struct model_state;

// Prints one warning line for each card that names a file the run will not
// read, or will not write (or leaves empty, or with its header only),
// because the process that reads or fills it is off. The run goes on: a
// project may keep a file named while its process is switched off.
void report_unused_files(const model_state& state);
