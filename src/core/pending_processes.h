// Processes a project can switch on whose steps are still empty. A project
// that asks for one is refused at start-up with "<process> is not available
// yet." instead of running without it, so no run and no summary ever
// passes a process that did not run for one that did. The list is data in
// pending_processes.cpp; an entry goes when its process is built.
#pragma once

struct model_state;

// Set only by tests that run a built process whose neighbours are still
// refused (channel transport needs the overland switch to read its table);
// the refusals are then skipped.
extern bool pending_processes_waived;

// After the option checks: the first card or switch of the table that is
// on stops the run (code 4000 after the message).
void refuse_pending_processes(model_state& s);

// After the inputs are read: a process that the inputs switch on and that
// is not built, or an overland boundary type whose treatment is not built,
// stops the run, naming the process or the type and its first cell.
void refuse_pending_boundary_types(model_state& s);
