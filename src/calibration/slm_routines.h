// Routines of the secant Levenberg-Marquardt toolbox that work between model
// runs: parameter classes, objective, lambda schedule, stopping tests and
// the stop file. Vectors and matrices are 1-based (numerical_routines.h).
#pragma once

#include <cstdio>
#include <string>

#include "calibration/pest_control.h"

// Parameter classes, from the transform word.
inline bool is_tied(const pest_param& p) { return p.transform == "tied"; }
inline bool is_fixed(const pest_param& p) { return p.transform == "fixed"; }
inline bool is_adjustable(const pest_param& p) { return !is_tied(p) && !is_fixed(p); }
inline bool is_log(const pest_param& p) { return p.transform == "log"; }
// The value in natural units.
double natural_value(const pest_param& p, double stored);

// The six output names of a calibration: case base, .rec, .sen, .mtt, .par, .rst.
struct toolbox_names {
    std::string base, rec, sen, mtt, par, rst;
};

// Names from command-line word 2 (the base is the name up to its first
// '.'); 1 after a message when the base is longer than 95 characters.
int FilesNamesForWrite(int argc, char** argv, toolbox_names& names);
int ClassifyParameters(pest_control& pc);
int SetTieRatios(pest_control& pc);
// Slot 1 onward: the indices of the adjustable parameters in order.
int ListAdjustableParameters(const pest_control& pc, int* list);
int RandomStartPoint(pest_control& pc, int& seed);
int WriteRecordHeader(char** argv, const pest_control& pc, std::FILE* rec);

// Phi from simulated slot 0 or 1, split by observation group.
int ObjectiveByGroup(pest_control& pc, int slot, double& phi);
// Prior terms added to their groups; their sum in prior_phi. The prior
// matrix has nprior rows and one column per adjustable parameter.
int PriorObjective(pest_control& pc, double** prior, double& prior_phi);

int NextLambda(double lambda_start, double& lambda_prev, int& reversal, double phi, const double* trial_phi, int m,
               pest_control& pc);
int TestLambdaSearch(std::FILE* rec, double phi_start, int m, const double* trial_phi, const pest_control& pc,
                     int& chosen);
int TestTermination(std::FILE* rec, int n, int iter_lowest, int small_changes, const double* phi_history,
                    double lowest_phi, double phi, const pest_control& pc, int& stop, int model_calls);

// Reads "pest.stp": 0 when there is none or it asks for nothing (it is
// then deleted); 1, 2 or 3 for a stop request (after its message).
int ReadStopRequest();
// The same, ending the process with status 0 on a stop request.
int CheckStopFile();
