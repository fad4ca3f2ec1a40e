// State analyzers: run-time monitors of the channel network. Each line of
// the analyzer file names a channel array, the moments it is examined, a
// threshold test and what to print; the run tells every analyzer about run
// events through event bits.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/containers.h"
#include "core/file_rec.h"
#include "core/node_arrays.h"

struct model_state;

// Event bits passed to the analyzers.
enum analyzer_event : int {
    analyzer_step_end = 1,
    analyzer_rain_start = 2,
    analyzer_event_end = 4,
    analyzer_init_done = 8,
    analyzer_run_done = 16,
    analyzer_run_error = 32,
};

// Operator codes of an analyzer line; 5..8 are also the second-operand codes.
enum analyzer_op : unsigned {
    op_lt = 0,
    op_gt = 1,
    op_eq = 2,
    op_le = 3,
    op_ge = 4,
    op_plus = 5,
    op_minus = 6,
    op_times = 7,
    op_divide = 8,
    op_other = 9,
};

// Print letters of the ACTIONS token as bits.
enum analyzer_print : unsigned {
    print_list = 1,     // "t": the nodes that passed
    print_rows = 2,     // "v": one row per link
    print_screen = 4,   // "s"
    print_file = 8,     // "f"
    print_summary = 16, // "c": logic-test heading and summary
    print_values = 32,  // "d"
};

// A threshold test over every node of every channel link: one pass flag per
// node and the report of the last test. The arrays are looked up at each
// test, so a test always sees the current state.
class logical_OP
{
  public:
    virtual ~logical_OP() = default;
    bool test_lt(double t);
    bool test_le(double t);
    bool test_gt(double t);
    bool test_ge(double t);
    bool test_eq(double t);
    // The report of the last test to the file and/or the screen.
    void report(unsigned print_flags, int mask, std::FILE* file) const;

    const model_state* state = nullptr;
    double eval_time = 0.0;
    std::string desc;
    std::string array_name;

  protected:
    // False when the bound array does not hold the network.
    virtual bool bound() const = 0;
    // The tested value of a node (stored for the report where needed).
    virtual double tested_value(int link, int node) = 0;
    // The value the report prints for a node.
    virtual double reported_value(int link, int node) const = 0;
    virtual unsigned char& flag(int link, int node) = 0;
    virtual unsigned char flag_at(int link, int node) const = 0;
    virtual void clear_flags() = 0;

  private:
    template <class Pass> bool run(Pass pass, const char* format, double t);
};

// 1-D: row k of a per-constituent array, indexed by link x node_dim + node:
// a row of the constituent rows, or of a [constituent][node index] matrix
// (the channel point inputs' concentrations).
class st1d_logical_OP : public logical_OP
{
  public:
    void bind(const model_state& s, const row_array<double>* rows, int k, const std::string& name);
    void bind(const model_state& s, const dmat* matrix, int k, const std::string& name);

  protected:
    bool bound() const override;
    double tested_value(int link, int node) override;
    double reported_value(int link, int node) const override;
    unsigned char& flag(int link, int node) override;
    unsigned char flag_at(int link, int node) const override;
    void clear_flags() override;

  private:
    const double* values() const;
    const row_array<double>* rows_ = nullptr;
    const dmat* matrix_ = nullptr;
    int k_ = 0;
    int stride_ = 0;
    std::vector<unsigned char> flags_;
};

// 2-D: a [node][link] array with an optional second operand.
class st2d_logical_OP : public logical_OP
{
  public:
    void bind(const model_state& s, const dnode_mat* values, const std::string& name);
    void set_operand(int op, const dnode_mat* operand);
    double combined_value(int link, int node);

  protected:
    bool bound() const override;
    double tested_value(int link, int node) override;
    double reported_value(int link, int node) const override;
    unsigned char& flag(int link, int node) override;
    unsigned char flag_at(int link, int node) const override;
    void clear_flags() override;

  private:
    const dnode_mat* values_ = nullptr;
    const dnode_mat* operand_ = nullptr;
    int operand_op_ = op_other;
    node_mat<unsigned char> flags_;
    dnode_mat combined_;
};

struct analyzer {
    // The rest of the list is released one by one, not by recursion.
    virtual ~analyzer()
    {
        for (std::unique_ptr<analyzer> rest = std::move(next); rest;)
            rest = std::move(rest->next);
    }
    // Examines the analyzer when the event bits hold one of its triggers.
    virtual void trigger(model_state& state, int event_bits);
    // Fills the analyzer from its line (the kind word removed); false with
    // what is wrong in `fault` when the line cannot make an analyzer (a
    // variable that names no array prints its own message first).
    bool configure(model_state& state, std::string& line, std::string& fault);

    unsigned trigger_flags = 0;
    unsigned print_flags = 0;
    unsigned op = op_lt;
    double threshold = 0.0;
    file_rec out;
    std::string out_name;
    const double* now = nullptr;
    double next_time = 0.0;
    double interval = 0.0;  // days
    double tolerance = 0.0; // the run's 0.01 s in days, for the interval test
    std::unique_ptr<logical_OP> logic;
    std::unique_ptr<analyzer> next;

  protected:
    // Makes the test object bound to the array the variable names; false
    // (with its message) when it names none.
    virtual bool create_logic(model_state& /*state*/, const std::string& /*variable*/) { return false; }

  private:
    void evaluate(int event_bits);
};

// "1DS": a channel constituent array of one constituent.
struct stanalyzer_1dst : analyzer {
  protected:
    bool create_logic(model_state& state, const std::string& variable) override;
};

// "2DS": a channel hydraulic array: "depth", "area" or "flow".
struct stanalyzer_2dst : analyzer {
  protected:
    bool create_logic(model_state& state, const std::string& variable) override;
};

// The operator code of an OPERATOR word.
unsigned analyzer_op_code(const std::string& word);

// Calls every analyzer on the state's list, in list order.
void notify_analyzers(model_state& state, int event_bits);

// Reads the analyzer file and appends its analyzers to the state's list. A
// file that cannot be opened sets up none, with a warning; a line that
// cannot make its analyzer (an unknown kind, a variable naming no array, a
// token missing, a letter or operator the layout does not know, a number
// that is not one, an output file that cannot be written, a token left
// over) stops the run naming the file, the line and the fault.
void read_analyzer_file(model_state& state, const std::string& path);
