// Grid and control-file exchange with the host environment (QNT) and the
// co-run model (ZEBO) at the start of a run and at every event end.
#pragma once

#include <string>

#include "core/arrays.h"

struct model_state;

// Day number of a time in the control file: whole days since 01:00 on
// 31 December of the year before `year`.
int zebo_day_number(double jd, int year);

// Writes the exchange grids whose TO card is given and the control file;
// false after a failure (message printed, code 4000 set).
bool write_exchange_files(model_state& state);

// Reads one FROM grid into dest; false after a failure. `pass` (1 at the
// run's start, 2 at an event end) leads the open-failure message.
bool read_exchange_grid(model_state& state, const std::string& name, const char* what, int pass, dvec& dest);

// Bounds of a read-back soil moisture against porosity and residual content.
void bound_exchange_moisture(model_state& state);

// False (message printed, code 4000) when the porosity map (and in long-term
// runs the residual map) that bounds a read-back soil moisture was never filled.
bool exchange_moisture_bounds_known(model_state& state, const std::string& name);
