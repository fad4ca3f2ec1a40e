// The restart file: the loop's state after an iteration, so that a search
// started again with "/r" goes on as if it had not been interrupted.
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "calibration/slm_routines.h"
#include "core/text_parse.h"

int WriteRestartFile(const pest_search_state& st, const pest_control& pc, const toolbox_names& names)
{
    std::remove(names.rst.c_str());
    std::FILE* fp = std::fopen(names.rst.c_str(), "wb");
    if (!fp) {
        std::printf("Cannot write the restart file %s\n", names.rst.c_str());
        return 1;
    }
    const int n = pc.num_adjustable;
    const int rows = pc.nobs + pc.nprior;
    // Seventeen significant digits: every value reads back exactly, however small.
    auto real = [fp](double v) { std::fprintf(fp, "%.17E\n", v); };
    auto integer = [fp](int v) { std::fprintf(fp, "%d\n", v); };
    auto jacobian = [&](double** j) {
        for (int r = 1; r <= rows; ++r) {
            for (int c = 1; c <= n; ++c)
                std::fprintf(fp, "%.17E\t", j[r][c]);
            std::fprintf(fp, "\n");
        }
    };
    integer(pc.method);
    integer(pc.full_update);
    real(pc.full_update_threshold);
    integer(pc.cyclic_columns);
    real(pc.phi_ratio);
    jacobian(st.jac);
    jacobian(st.best_jac);
    integer(st.iteration);
    real(st.phi);
    real(st.phi_prev);
    for (int i = 1; i <= st.iteration; ++i)
        real(st.phi_history[i]);
    for (int i = 1; i <= pc.npar; ++i)
        real(st.best_values[i]);
    for (int i = 1; i <= pc.nobs; ++i)
        real(st.best_outputs[i]);
    real(st.lowest_phi);
    integer(st.iter_lowest);
    integer(st.three_point);
    for (int i = 1; i <= pc.nobs; ++i)
        real(pc.obs[i].simulated[0]);
    for (int i = 1; i <= pc.nobs; ++i)
        real(pc.obs[i].simulated[1]);
    for (int i = 1; i <= pc.npar; ++i)
        real(pc.params[i].value);
    for (int g = 1; g <= pc.nobsgp; ++g)
        real(pc.obs_groups[g].contribution);
    real(pc.lambda);
    real(st.max_rel_change);
    integer(st.small_changes);
    real(st.last_rel_change);
    for (int c = 1; c <= n; ++c)
        real(st.start_values[c]);
    integer(st.model_calls);
    integer(st.last_cyclic);
    if (std::fclose(fp) != 0) {
        std::printf("Cannot write the restart file %s\n", names.rst.c_str());
        return 1;
    }
    return 0;
}

int ReadRestartFile(pest_search_state& st, pest_control& pc, const toolbox_names& names)
{
    std::FILE* fp = std::fopen(names.rst.c_str(), "rb");
    if (!fp) {
        std::printf("\n\nError opening the restart file.\n");
        std::printf("Possibly previous run was not halted prematurely.\n\n");
        return 1;
    }
    std::vector<std::string> tokens;
    std::string line, tok;
    while (read_raw_line(fp, line))
        while (pop_token(line, tok))
            tokens.push_back(tok);
    std::fclose(fp);

    const int n = pc.num_adjustable;
    const int rows = pc.nobs + pc.nprior;
    const std::size_t k_at = 5 + 2 * static_cast<std::size_t>(rows) * n;
    auto refuse = [&](const std::string& why) {
        std::printf("The restart file %s does not match the control file: %s.\n", names.rst.c_str(),
                    why.c_str());
        return 1;
    };
    int k = -1;
    if (tokens.size() <= k_at || parse_int_strict(tokens[k_at], k) != num_status::ok || k < 0)
        return refuse("no iteration count where the counts place it");
    const std::size_t expected =
        k_at + 1 + 2 + k + pc.npar + pc.nobs + 3 + 2 * pc.nobs + pc.npar + pc.nobsgp + 4 + n + 2;
    if (tokens.size() != expected)
        return refuse(std::to_string(tokens.size()) + " values where " + std::to_string(expected) +
                      " belong");

    std::size_t at = 0;
    bool ok = true;
    auto real = [&]() {
        double v = 0.0;
        ok = ok && parse_double_strict(tokens[at], v) == num_status::ok;
        ++at;
        return v;
    };
    auto integer = [&]() {
        int v = 0;
        ok = ok && parse_int_strict(tokens[at], v) == num_status::ok;
        ++at;
        return v;
    };
    pc.method = integer();
    pc.full_update = integer();
    pc.full_update_threshold = real();
    pc.cyclic_columns = integer();
    // The ratio after the first iteration is infinite (no phi before it).
    if (tokens[at] == "INF") {
        pc.phi_ratio = std::numeric_limits<double>::infinity();
        ++at;
    } else {
        pc.phi_ratio = real();
    }
    for (double** j : {st.jac, st.best_jac})
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= n; ++c)
                j[r][c] = real();
    st.iteration = integer();
    st.phi = real();
    st.phi_prev = real();
    pc.phi_ratio = st.phi / st.phi_prev;
    st.phi_history.assign(st.iteration + 1, 0.0);
    for (int i = 1; i <= st.iteration; ++i)
        st.phi_history[i] = real();
    st.best_values.assign(pc.npar + 1, 0.0);
    for (int i = 1; i <= pc.npar; ++i)
        st.best_values[i] = real();
    st.best_outputs.assign(pc.nobs + 1, 0.0);
    for (int i = 1; i <= pc.nobs; ++i)
        st.best_outputs[i] = real();
    st.lowest_phi = real();
    st.iter_lowest = integer();
    st.three_point = integer();
    for (int i = 1; i <= pc.nobs; ++i)
        pc.obs[i].simulated[0] = real();
    for (int i = 1; i <= pc.nobs; ++i)
        pc.obs[i].simulated[1] = real();
    for (int i = 1; i <= pc.npar; ++i)
        pc.params[i].value = real();
    for (int g = 1; g <= pc.nobsgp; ++g)
        pc.obs_groups[g].contribution = real();
    pc.lambda = real();
    st.max_rel_change = real();
    st.small_changes = integer();
    st.last_rel_change = real();
    st.start_values.assign(n + 1, 0.0);
    for (int c = 1; c <= n; ++c)
        st.start_values[c] = real();
    st.model_calls = integer();
    st.last_cyclic = integer();
    if (!ok)
        return refuse("a value is not a number of its kind");
    return 0;
}
