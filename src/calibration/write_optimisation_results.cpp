// The run record, the iteration headers and the optimisation results of
// the toolbox, in PEST's manner.
#include <cmath>
#include <cstdio>

#include "calibration/slm_routines.h"

namespace
{

bool regularisation(const pest_control& pc)
{
    return pc.mode == "regularization" || pc.mode == "regularisation";
}

void regularisation_lines(std::FILE* out, const char* indent, const pest_control& pc, double weight_factor,
                          double measurement_phi, double regularisation_phi)
{
    std::fprintf(out, "%sCurrent regularization weight factor                      =  %E\n", indent,
                 weight_factor);
    std::fprintf(out, "%sCurrent value of measurement objective function           =  %E\n", indent,
                 measurement_phi);
    std::fprintf(out, "%sCurrent value of regularisation objective function        =  %E\n\n", indent,
                 regularisation_phi);
    static_cast<void>(pc);
}

void iteration_header(std::FILE* out, const pest_control& pc, int iteration, int model_calls, double phi,
                      double regularisation_phi, double total_phi)
{
    const bool est = pc.mode == "estimation";
    if (!est && !regularisation(pc))
        return;
    std::fprintf(out, "\n");
    std::fprintf(out, "OPTIMIZATION ITERATION NO.\t\t\t\t: %d\n", iteration);
    std::fprintf(out, "Model Calls so far\t\t\t\t\t: %d\n", model_calls);
    if (!est)
        regularisation_lines(out, "", pc, pc.weight_factor, phi, regularisation_phi);
    std::fprintf(out, "Starting objective function value for this iteration\t: %E\n", est ? phi : total_phi);
    for (int g = 1; g <= pc.nobsgp; ++g)
        std::fprintf(out, "Contribution to phi from observation group '%s'\t= %E\n",
                     pc.obs_groups[g].name.c_str(), pc.obs_groups[g].contribution);
    std::fprintf(out, "\n");
}

// A matrix table over the adjustable parameters; the last parameter's slot ends each line.
void matrix_table(std::FILE* rec, const pest_control& pc, double** m, bool statistic_format)
{
    std::fprintf(rec, "\t\t");
    for (int j = 1; j <= pc.npar; ++j) {
        const pest_param& p = pc.params[j];
        if (is_adjustable(p))
            std::fprintf(rec, "%s\t", p.name.c_str());
        if (j == pc.npar)
            std::fprintf(rec, "\n");
    }
    int row = 0;
    for (int i = 1; i <= pc.npar; ++i) {
        if (!is_adjustable(pc.params[i]))
            continue;
        ++row;
        std::fprintf(rec, "%s\t", pc.params[i].name.c_str());
        int col = 0;
        for (int j = 1; j <= pc.npar; ++j) {
            if (is_adjustable(pc.params[j])) {
                ++col;
                const double v = m[row][col];
                if (statistic_format)
                    std::fprintf(rec, "%s\t", format_statistic(v).c_str());
                else
                    std::fprintf(rec, "%lf\t", v);
            }
            if (j == pc.npar)
                std::fprintf(rec, "\n");
        }
    }
}

} // namespace

int PrintRunRecord(double measurement_phi, double regularisation_phi, double phi, const pest_control& pc,
                   const toolbox_names& names)
{
    std::printf("\n");
    std::printf("Run record: case %s\n", names.base.c_str());
    std::printf("\n");
    std::printf("Model command line:\n");
    std::printf("pre TORVA batch file : ");
    std::printf("%s\n", pc.pre_run_batch.c_str());
    std::printf("post TORVA batch file : ");
    std::printf("%s\n", pc.post_run_batch.c_str());
    std::printf("\n");
    std::printf("Running model ...\n");
    std::printf("\n");
    if (regularisation(pc))
        regularisation_lines(stdout, "  ", pc, pc.wfinit, measurement_phi, regularisation_phi);
    std::printf("Sum of squared weighted residuals = %E\n", phi);
    for (int g = 1; g <= pc.nobsgp; ++g)
        std::printf("Contribution to phi from observation group '%s' = %E\n", pc.obs_groups[g].name.c_str(),
                    pc.obs_groups[g].contribution);
    std::printf("\n");
    return 0;
}

int WriteInitialRecord(std::FILE* rec, std::FILE* par, double measurement_phi, double regularisation_phi,
                       double phi, const pest_control& pc)
{
    std::fprintf(rec, "                            OPTIMIZATION RECORD\n\n");
    std::fprintf(rec, "INITIAL CONDITIONS:\n");
    if (regularisation(pc))
        regularisation_lines(rec, "  ", pc, pc.wfinit, measurement_phi, regularisation_phi);
    std::fprintf(rec, "   Sum of squared weighted residuals = %E\n", phi);
    for (int g = 1; g <= pc.nobsgp; ++g)
        std::fprintf(rec, "   Contribution to phi from observation group '%s' = %E\n",
                     pc.obs_groups[g].name.c_str(), pc.obs_groups[g].contribution);
    std::fprintf(rec, "\n");
    std::fprintf(rec, "      Current parameter values\n");
    for (int i = 1; i <= pc.npar; ++i)
        std::fprintf(rec, "      %s               %lf\n", pc.params[i].name.c_str(),
                     natural_value(pc.params[i], pc.params[i].value));
    for (int i = 1; i <= pc.npar; ++i)
        std::fprintf(par, "%lf\n", natural_value(pc.params[i], pc.params[i].value));
    return 0;
}

int PrintIterationHeader(const pest_control& pc, int iteration, int model_calls, double phi,
                         double regularisation_phi, double total_phi)
{
    iteration_header(stdout, pc, iteration, model_calls, phi, regularisation_phi, total_phi);
    return 0;
}

int WriteIterationHeader(const pest_control& pc, std::FILE* rec, int iteration, int model_calls, double phi,
                         double regularisation_phi, double total_phi)
{
    iteration_header(rec, pc, iteration, model_calls, phi, regularisation_phi, total_phi);
    return 0;
}

int WriteOptimisationResults(std::FILE* rec, double phi, double** cov, double** cor, double** eigenvectors,
                             const double* eigenvalues, const pest_control& pc, int singular, double** prior)
{
    const int n = pc.num_adjustable;
    const bool none = singular || pc.noptmax == 0;
    std::fprintf(rec, "\n\n");
    std::fprintf(rec, "                            OPTIMISATION RESULTS\n");
    std::fprintf(rec, "\n\n");
    if (none) {
        std::fprintf(rec, "Covariance matrix and parameter confidence intervals cannot be determined:\n");
        if (singular)
            std::fprintf(rec, "Normal matrix nearly singular; cannot be inverted.\n\n");
        if (pc.noptmax == 0)
            std::fprintf(rec, "No optimisation iterations carried out so Jacobian never calculated..\n\n");
        std::fprintf(rec, "Adjustable Parameters ----->\n\n");
        std::fprintf(rec, "Parameter        Estimated\n");
        std::fprintf(rec, "                 value\n");
        for (int i = 1; i <= pc.npar; ++i)
            if (is_adjustable(pc.params[i]))
                std::fprintf(rec, "%s              %10lf\n", pc.params[i].name.c_str(),
                             natural_value(pc.params[i], pc.params[i].value));
        std::fprintf(rec, "\n\n\n");
    } else {
        const int d = pc.nprior + pc.nobs - n;
        double t = d == 1 ? 12.706 : 0.0;
        StudentT95(d, t);
        std::fprintf(rec, "Adjustable Parameters ----->\n\n");
        std::fprintf(rec, "Parameter        Estimated         95 percent confidence limits\n");
        std::fprintf(rec, "                 value             lower limit       upper limit\n");
        int k = 0;
        for (int i = 1; i <= pc.npar; ++i) {
            const pest_param& p = pc.params[i];
            if (!is_adjustable(p))
                continue;
            ++k;
            const double s = std::sqrt(cov[k][k]);
            std::fprintf(rec, "%s              %10lf         %10lf        %10lf\n", p.name.c_str(),
                         natural_value(p, p.value), natural_value(p, p.value - t * s),
                         natural_value(p, p.value + t * s));
        }
        std::fprintf(rec, "\n");
        std::fprintf(rec, "Note: confidence limits provide only an indication of parameter uncertainty.\n");
        std::fprintf(rec, "      They rely on a linearity assumption which  may not extend as far in\n");
        std::fprintf(rec, "      parameter space as the confidence limits themselves.\n\n\n");
    }
    if (pc.num_tied > 0) {
        std::fprintf(rec, "Tied parameters ----->\n\n");
        for (int i = 1; i <= pc.npar; ++i)
            if (is_tied(pc.params[i]))
                std::fprintf(rec, "%s              %10lf\n", pc.params[i].name.c_str(),
                             natural_value(pc.params[i], pc.params[i].value));
        std::fprintf(rec, "\n\n");
    }
    if (pc.num_fixed > 0) {
        std::fprintf(rec, "Fixed parameters ----->\n\n");
        std::fprintf(rec, "Parameter        Fixed value\n");
        for (int i = 1; i <= pc.npar; ++i)
            if (is_fixed(pc.params[i]))
                std::fprintf(rec, "%s              %10lf\n", pc.params[i].name.c_str(),
                             natural_value(pc.params[i], pc.params[i].value));
        std::fprintf(rec, "\n\n");
    }
    std::fprintf(rec, "Observations ----->\n\n");
    std::fprintf(rec,
                 "Observation            Measured       Calculated     Residual       Weight     Group\n");
    std::fprintf(rec, "                       value          value\n");
    for (int i = 1; i <= pc.nobs; ++i) {
        const pest_obs& o = pc.obs[i];
        std::fprintf(rec, "%s\t\t%.20lf\t%.20lf\t%.20lf\t%lf\t%s\n", o.name.c_str(), o.measured,
                     o.simulated[0], o.measured - o.simulated[0], o.weight, o.group.c_str());
    }
    std::fprintf(rec, "\n");
    std::fprintf(rec, "\n");
    if (pc.nprior > 0) {
        std::fprintf(rec, "Prior information ----->\n\n");
        std::fprintf(
            rec, "Prior                  Provided       Calculated     Residual       Weight     Group\n");
        std::fprintf(rec, "information            value          value\n");
        for (int i = 1; i <= pc.nprior; ++i) {
            const pest_prior& pr = pc.priors[i];
            double computed = 0.0;
            int col = 0;
            for (int j = 1; j <= pc.npar; ++j)
                if (is_adjustable(pc.params[j]))
                    computed += prior[i][++col] * pc.params[j].value;
            std::fprintf(rec, "%s\t\t%.20lf\t%.20lf\t%.20lf\t%lf\t%s\n", pr.label.c_str(), pr.provided,
                         computed, pr.provided - computed, pr.weight, pr.group.c_str());
        }
        std::fprintf(rec, "\n");
        std::fprintf(rec, "\n");
    }
    std::fprintf(rec, "\n");
    std::fprintf(rec, "Objective function ----->\n\n");
    std::fprintf(rec, "Sum of squared weighted residuals (ie phi)\t\t: %E\n", phi);
    for (int g = 1; g <= pc.nobsgp; ++g)
        std::fprintf(rec, "Contribution to phi from observation group '%s'\t= %E\n",
                     pc.obs_groups[g].name.c_str(), pc.obs_groups[g].contribution);
    std::fprintf(rec, "\n");
    std::fprintf(rec, "\n");
    if (none) {
        std::fprintf(rec, "Covariance and other statistical matricies cannot be determined:\n");
        if (singular)
            std::fprintf(rec, "Normal matrix nearly singular; cannot be inverted.\n");
        if (pc.noptmax == 0)
            std::fprintf(rec, "No optimisation iterations carried out so Jacobian never calculated.\n");
        return 0;
    }
    std::fprintf(rec, "Parameter covariance matrix ----->\n");
    matrix_table(rec, pc, cov, true);
    std::fprintf(rec, "\n\n");
    std::fprintf(rec, "Parameter correlation coefficient matrix ----->\n");
    matrix_table(rec, pc, cor, false);
    std::fprintf(rec, "\n\n");
    std::fprintf(rec, "Normalized eigenvectors of covariance matrix ----->\n");
    matrix_table(rec, pc, eigenvectors, false);
    std::fprintf(rec, "\n\n");
    std::fprintf(rec, "Eigenvalues ----->\n\n");
    std::fprintf(rec, "\t");
    for (int k = 1; k <= n; ++k)
        std::fprintf(rec, "%s\t", format_statistic(eigenvalues[k]).c_str());
    return 0;
}
