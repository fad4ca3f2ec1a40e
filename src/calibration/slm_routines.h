// Routines of the secant Levenberg-Marquardt toolbox that work between model
// runs: parameter classes, objective, lambda schedule, stopping tests and
// the stop file. Vectors and matrices are 1-based (numerical_routines.h).
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "calibration/pest_control.h"

// Parameter classes, from the transform word.
inline bool is_tied(const pest_param& p)
{
    return p.transform == "tied";
}
inline bool is_fixed(const pest_param& p)
{
    return p.transform == "fixed";
}
inline bool is_adjustable(const pest_param& p)
{
    return !is_tied(p) && !is_fixed(p);
}
inline bool is_log(const pest_param& p)
{
    return p.transform == "log";
}
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
// Reports a control file that cannot start a search (no adjustable
// parameter, or a start value outside its bounds): true means stop.
bool ParametersCannotStart(const pest_control& pc);
// Slot 1 onward: the indices of the adjustable parameters in order.
int ListAdjustableParameters(const pest_control& pc, int* list);
int RandomStartPoint(pest_control& pc, int& seed);
int WriteRecordHeader(char** argv, const pest_control& pc, std::FILE* rec);

// Phi from simulated slot 0 or 1, split by observation group.
int ObjectiveByGroup(pest_control& pc, int slot, double& phi);
// Prior terms added to their groups; their sum in prior_phi. The prior
// matrix has nprior rows and one column per adjustable parameter.
int PriorObjective(pest_control& pc, double** prior, double& prior_phi);

int NextLambda(double lambda_start, double& lambda_prev, int& reversal, double phi, const double* trial_phi,
               int m, pest_control& pc);
int TestLambdaSearch(std::FILE* rec, double phi_start, int m, const double* trial_phi, const pest_control& pc,
                     int& chosen);
int TestTermination(std::FILE* rec, int n, int iter_lowest, int small_changes, const double* phi_history,
                    double lowest_phi, double phi, const pest_control& pc, int& stop, int model_calls);

// Reads "pest.stp": 0 when there is none or it asks for nothing (it is
// then deleted); 1, 2 or 3 for a stop request (after its message).
int ReadStopRequest();
// The same, ending the process with status 0 on a stop request.
int CheckStopFile();

// Which parameter values a model call runs with.
enum class pest_values { current, perturbed1, perturbed2 };

// One model call: the chosen values go to the model, it runs, and the
// observations' simulated[slot] are filled. 0, or non-zero after a message
// when the call failed (the search then ends with that result). Tests
// replace the model by a cheap function of the values here.
using pest_model_call = std::function<int(pest_control& pc, pest_values which, int slot)>;

// Stored value one relative step (frac of its magnitude, natural units for
// a log-transformed parameter) away from x.
double perturbed_value(const pest_param& p, double x, double frac);
// The two-point perturbation of p; x1 == x when the bounds leave no room.
double two_point_value(const pest_param& p);
// The three-point perturbations of p.
void three_point_values(const pest_param& p, double& x1, double& x2);

// Columns (parameter indices, 1-based into cols, count returned) that the
// Jacobian of this iteration recomputes; advances the last cyclic column.
int JacobianColumns(const pest_control& pc, const int* adjustable, int iteration, int& last_cyclic,
                    std::vector<int>& cols);
int CountJacobianRuns(const pest_control& pc, int three_point, const std::vector<int>& cols, int& runs);

// Observation rows of the Jacobian by differences; 1 for a 'best_fit'
// group, or the model call's result when one failed.
int CalcJacobian(pest_control& pc, const int* adjustable, double** jac, int& model_calls, int three_point,
                 int iteration, int& last_cyclic, const pest_model_call& model);

// Tied parameters take ratio x parent value (natural units) in the chosen values.
void SetTiedValues(pest_control& pc, pest_values which);

// Residuals r[1..nobs+nprior]: measured - simulated[0] for observations,
// provided - computed for prior items (prior matrix times the adjustable
// stored values; prior may be null when nprior is 0).
void Residuals(const pest_control& pc, double** prior, double* r);
// Squared weights q[1..nobs+nprior] of the diagonal weight matrix.
void SquaredWeights(const pest_control& pc, double* q);

// The scaled Marquardt solution over n columns of J (rows 1..rows):
// (S N S + lambda' diag(1/N_ii)) y = S J'Q r, u = S y, N = J'QJ.
int MarquardtSolve(double** jac, int rows, int n, const double* q, const double* r, double lambda, double* u);
// u scaled by beta = sum q r t / sum q t^2, t = J u; left as it is when
// J u has no weighted component.
int OptimumLengthSolve(double** jac, int rows, int n, const double* q, const double* r, double* u);
// All adjustable columns, with the current lambda of pc.
int MarquardtUpgrade(double** jac, double** prior, const double* q, const pest_control& pc, double* u);
int OptimumLength(double** jac, double** prior, const double* q, const pest_control& pc, double* u);
// J <- J + (dy - J s) s' / (s's), s the step from the iteration's start
// values, dy the change of the trial run's outputs (and prior values).
int BroydenUpdate(const pest_control& pc, double** jac, double** prior);

// Writes "values.in" in the working folder: every parameter's chosen value
// in natural units as "%.7E ", all on one line. 1 after a message when the
// file cannot be written.
int WriteValuesFile(const pest_control& pc, pest_values which);

// The toolbox's model call: values file, model run, post-run program,
// instruction files (the search checks the stop file after the runs that
// ask for it). The run itself is a replaceable function
// (run_simulation by default) returning 0 for a completed run.
using pest_model_runner = std::function<int(const std::string& project, const std::string& mode)>;
struct toolbox_model {
    pest_handles* handles = nullptr;
    std::string mode; // passed to every run, as "-slm"
    pest_model_runner run;
    int calls = 0; // model calls made through this record
};
// The model output files named in the control file are removed before the
// run, so that a failed run is never read as the previous run's output.
int ToolboxModelCall(toolbox_model& tm, pest_control& pc, pest_values which, int slot);

// Composite sensitivity of every adjustable parameter; below 1e-8 (or with
// no weighted observation) the parameter is marked insensitive.
int CompositeSensitivities(pest_control& pc, double** jac, double** prior, const int* adjustable,
                           std::FILE* rec);
// Applies the upgrade u within the bounds: parameters pushed beyond a bound
// they stand at are frozen and the upgrade is recomputed without them;
// tied values follow. Non-zero when an upgrade cannot be computed.
int BoundedUpgrade(double** jac, double** prior, const double* q, pest_control& pc, double* u,
                   const int* adjustable, std::FILE* rec);

// Two-sided 95 % Student t for d = 2 and more degrees of freedom (table to
// 30, linear between 30, 40, 60, 120 and 9,999,999, 1.96 beyond); t is
// left as the caller set it for d below 2.
void StudentT95(int d, double& t);
// C = phi / (m - n) (J'QJ)^-1; singular is set when the normal matrix
// cannot be inverted or when there are no more weighted rows m than
// parameters n (after a message).
int CovarianceMatrix(double** jac, const double* q, double phi, double** cov, const pest_control& pc,
                     int& singular);
int CorrelationMatrix(double** cov, double** cor, const pest_control& pc);
// A covariance entry or eigenvalue: "%lf" above 1e-4 in magnitude, else "%.4E".
std::string format_statistic(double v);

// Record writers: the run record on the screen, the initial record and the
// parameter file, the iteration header (screen and record), the
// sensitivity file and the optimisation results.
int PrintRunRecord(double measurement_phi, double regularisation_phi, double phi, const pest_control& pc,
                   const toolbox_names& names);
int WriteInitialRecord(std::FILE* rec, std::FILE* par, double measurement_phi, double regularisation_phi,
                       double phi, const pest_control& pc);
int PrintIterationHeader(const pest_control& pc, int iteration, int model_calls, double phi,
                         double regularisation_phi, double total_phi);
int WriteIterationHeader(const pest_control& pc, std::FILE* rec, int iteration, int model_calls, double phi,
                         double regularisation_phi, double total_phi);
int WriteOptimisationResults(std::FILE* rec, double phi, double** cov, double** cor, double** eigenvectors,
                             const double* eigenvalues, const pest_control& pc, int singular, double** prior);
// Composite sensitivity of column c over the weighted rows (of one group
// when given); the count of those rows, prior items included, when asked.
double composite_sensitivity(const pest_control& pc, double** jac, double** prior, int c,
                             const std::string* group, int* weighted_rows);
// The sensitivity file: one table per iteration (final 0), the tables by
// group and over all rows at completion (final 1).
int WriteSensitivities(pest_control& pc, double** jac, double** prior, const int* adjustable,
                       const toolbox_names& names, int iteration, std::FILE* sen, int final_flag);

// What the iteration loop keeps between iterations and saves in the
// restart file. Vectors are 1-based; the Jacobians are rows x n matrices.
struct pest_search_state {
    double** jac = nullptr;      // current Jacobian
    double** best_jac = nullptr; // Jacobian at the lowest phi
    int iteration = 0;
    double phi = 0.0;
    double phi_prev = 0.0;            // phi at the start of the previous iteration
    std::vector<double> phi_history;  // 1..iteration
    std::vector<double> best_values;  // 1..npar
    std::vector<double> best_outputs; // 1..nobs
    double lowest_phi = 0.0;
    int iter_lowest = 0;
    int three_point = 0;
    double max_rel_change = 0.0;
    int small_changes = 0;
    double last_rel_change = 0.0;
    std::vector<double> start_values; // 1..n
    int model_calls = 0;
    int last_cyclic = 0;
};
// Replaces the .rst file with the state. 1 after a message when it cannot be written.
int WriteRestartFile(const pest_search_state& st, const pest_control& pc, const toolbox_names& names);
// Restores the state (the Jacobians must be allocated). 1 after a message
// when the file is missing or does not hold exactly what the control
// file's counts call for.
int ReadRestartFile(pest_search_state& st, pest_control& pc, const toolbox_names& names);

// 1 when the current values lie within the critical distance of one of the
// first K recorded points (columns of points, rows 1..npar, stored values),
// distances normalised by each parameter's range; a point at 1e-10 or less
// is the search standing on it and does not count. Parameters whose bounds
// are equal have no range and are left out of the distance.
int NearEarlierPoint(const pest_control& pc, double** points, int k, int& flag);

// One local search (Levenberg-Marquardt, or secant with method 1) from the
// values in pc: the initial run, iterations until a stopping test or
// NOPTMAX, a final run with the best values and the statistics in the
// record. argv[1] is the mode of every run; argv[3] "/r" resumes from the
// restart file. The record, sensitivity and parameter streams stay open;
// the matrix stream is accepted and not written. 0, or the first non-zero
// result of a routine or model call, which ends the search at once.
int LMInversion(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec, std::FILE* sen,
                std::FILE* mtt, std::FILE* par, const pest_model_call& model);
// The same for the global strategies: every iteration's point (rows
// 1..npar, stored values) is added as a column of points, count rising; the
// search stops as near an earlier point when it comes within the critical
// distance of one of the first `count` columns passed in. No "jac.txt".
int LMInversionRepelled(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec,
                        std::FILE* sen, std::FILE* mtt, std::FILE* par, const pest_model_call& model,
                        double** points, int& count, int& model_calls);
// The same with each point's phi in point_phi (the initial run's phi in the
// column `count` passed in); relative parameter changes on stored values.
int LMInversionMLSL(int argc, char** argv, pest_control& pc, toolbox_names names, std::FILE* rec,
                    std::FILE* sen, std::FILE* mtt, std::FILE* par, const pest_model_call& model,
                    double** points, double* point_phi, int& count, int& model_calls);
