#include <limits>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"
#include "support/test_support.h"

namespace
{

pest_control restart_case()
{
    pest_control pc;
    pc.method = 1;
    pc.full_update = 1;
    pc.full_update_threshold = 0.9;
    pc.cyclic_columns = 1;
    pc.npar = 3;
    pc.params.resize(4);
    const char* transforms[] = {"", "none", "log", "fixed"};
    for (int i = 1; i <= 3; ++i) {
        pc.params[i].name = "p" + std::to_string(i);
        pc.params[i].transform = transforms[i];
        pc.params[i].value = 0.1 * i + 1.0 / 3.0;
    }
    ClassifyParameters(pc);
    pc.nobs = 2;
    pc.obs.resize(3);
    pc.obs[1].simulated = {1.25, 1.5, 0.0};
    pc.obs[2].simulated = {2.0 / 3.0, 2.5, 0.0};
    pc.nobsgp = 1;
    pc.obs_groups = {{}, {"g", 0.75}};
    pc.lambda = 2.5;
    return pc;
}

TEST(SlmRestart, StateReadsBackExactlyAndShapeIsChecked)
{
    torva_test::scratch_dir dir{"slm_restart"};
    toolbox_names names;
    names.rst = dir.file("case.rst");
    pest_control pc = restart_case();
    pest_search_state st;
    st.jac = matrix(1, 2, 1, 2);
    st.best_jac = matrix(1, 2, 1, 2);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            st.jac[r][c] = r + c / 7.0;
            st.best_jac[r][c] = r - c / 9.0;
        }
    st.iteration = 3;
    st.phi = 4.0;
    st.phi_prev = 8.0;
    st.phi_history = {0.0, 20.0, 8.0, 4.0};
    st.best_values = {0.0, 1.0, 2.0, 3.0};
    st.best_outputs = {0.0, 1.1e-22, 2.2}; // a tiny value keeps its digits
    st.lowest_phi = 4.0;
    st.iter_lowest = 2;
    st.three_point = 1;
    st.max_rel_change = 0.125;
    st.small_changes = 1;
    st.last_rel_change = 0.0625;
    st.start_values = {0.0, 0.5, 0.25};
    st.model_calls = 17;
    st.last_cyclic = 2;
    pc.phi_ratio = std::numeric_limits<double>::infinity(); // as after the first iteration
    ASSERT_EQ(WriteRestartFile(st, pc, names), 0);

    pest_control back = restart_case();
    back.lambda = 0.0;
    back.obs[2].simulated = {0.0, 0.0, 0.0};
    back.params[2].value = 0.0;
    pest_search_state rs;
    rs.jac = matrix(1, 2, 1, 2);
    rs.best_jac = matrix(1, 2, 1, 2);
    ASSERT_EQ(ReadRestartFile(rs, back, names), 0);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            EXPECT_DOUBLE_EQ(rs.jac[r][c], st.jac[r][c]);
            EXPECT_DOUBLE_EQ(rs.best_jac[r][c], st.best_jac[r][c]);
        }
    EXPECT_EQ(rs.iteration, 3);
    EXPECT_EQ(rs.phi_history, st.phi_history);
    EXPECT_EQ(rs.best_values, st.best_values);
    EXPECT_EQ(rs.best_outputs, st.best_outputs);
    EXPECT_EQ(rs.start_values, st.start_values);
    EXPECT_EQ(rs.model_calls, 17);
    EXPECT_EQ(rs.last_cyclic, 2);
    EXPECT_EQ(rs.three_point, 1);
    EXPECT_DOUBLE_EQ(back.phi_ratio, 0.5);
    EXPECT_DOUBLE_EQ(back.lambda, 2.5);
    EXPECT_DOUBLE_EQ(back.obs[2].simulated[0], 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(back.params[2].value, pc.params[2].value);
    EXPECT_DOUBLE_EQ(back.obs_groups[1].contribution, 0.75);

    // A control file with other counts is refused.
    pest_control other = restart_case();
    other.nobs = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadRestartFile(rs, other, names), 1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("does not match the control file"),
              std::string::npos);

    names.rst = dir.file("absent.rst");
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadRestartFile(rs, back, names), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "\n\nError opening the restart file.\nPossibly previous run was not halted prematurely.\n\n");
    for (double** m : {st.jac, st.best_jac, rs.jac, rs.best_jac})
        free_matrix(m, 1, 1);
}

} // namespace
