// The input files a project names for a process it never switches on.
#pragma once

struct model_state;

// Prints one warning line for each card that names a file the run will not
// read because the process that reads it is off. The run goes on: a project
// may keep a file named while its process is switched off.
void report_unread_inputs(const model_state& state);
