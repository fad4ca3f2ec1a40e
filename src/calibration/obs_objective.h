// Observed peaks and volumes of a calibration and the statistics that score
// one trial against them, with the logs every trial leaves.
#pragma once

#include <string>
#include <vector>

constexpr double calib_fail_value = 999999.99; // statistic without a value
constexpr double calib_no_value = -999.99;     // sink entry no event end wrote
constexpr double calib_no_max = -99999.999;    // start value of the maxima

// The statistics of one trial with its own copy of the parameter values.
struct calib_result {
    double cost = 0.0;
    double hmle = 0.0;
    double rmse = 0.0;
    double max_peak = 0.0;
    double max_volume = 0.0;
    std::vector<double> params; // 1..n
    double log_error = 0.0;
    int n = 0;
};

enum calib_stat : int {
    stat_cost = 0,
    stat_hmle,
    stat_rmse,
    stat_max_peak,
    stat_max_volume,
    stat_log_error,
    stat_count
};

// Records added since the last write, and for each statistic the record
// positions ordered by that statistic (ties in the order added).
struct calib_results {
    std::vector<calib_result> records;
    std::vector<int> index[stat_count];
};

void calib_results_add(calib_results& store, calib_result record);
void calib_results_clear(calib_results& store);

struct obs_objective {
    double hmle = 0.0;
    double rmse = 0.0;
    double log_error = 0.0;
    double max_peak = 0.0;
    double max_volume = 0.0;
    double cost = 0.0;
    std::vector<double> obs_peak; // 1..n
    std::vector<double> obs_volume;
    std::vector<double> peak_weight;
    std::vector<double> volume_weight;
    int nevents = 0;
    double scale = 1.0;
    calib_results results;

    // Reads the observation file: 1 when all entries were read, else -1.
    int read(const std::string& path);

    // Scores one trial; empty arrays stand for a run without results.
    double evaluate(const std::vector<double>& peaks, const std::vector<double>& volumes, int rank, int n,
                    const double* x);

    // Appends the stored records to "results_all.out" (rank and member 0)
    // and empties the store.
    void write_results(int rank, int member, int group_id);

    // The six statistics.
    double calc_hmle(const std::vector<double>& peaks, const std::vector<double>& volumes) const;
    double calc_rmse(const std::vector<double>& peaks, const std::vector<double>& volumes) const;
    double calc_log_error(const std::vector<double>& peaks, const std::vector<double>& volumes) const;
    double calc_cost(const std::vector<double>& peaks, const std::vector<double>& volumes, int rank) const;
    double calc_max_peak(const std::vector<double>& peaks) const;
    double calc_max_volume(const std::vector<double>& volumes) const;
    double calc_max(const std::vector<double>& values, const std::vector<double>& weights) const;

    // Largest observed peak over largest observed volume.
    double observation_scale() const;
    void write_obs_log(const std::vector<double>& peaks, const std::vector<double>& volumes, int rank) const;
};

struct file_rec;

// Opens an output file for appending; when it is new (or empty) it is
// opened for writing instead and true is returned in `created` so that the
// caller writes the header. False when it cannot be opened.
bool open_log_for_append(file_rec& rec, const std::string& name, bool& created);
