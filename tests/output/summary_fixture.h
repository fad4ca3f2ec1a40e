// A small model state whose run summary file is open in a scratch folder,
// for the tests of the event close and the summaries.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "support/test_support.h"

namespace summary_test
{

struct SummaryFixture : testing::Test {
    torva_test::scratch_dir dir{"summary"};
    std::unique_ptr<model_state> s;

    // A fresh state (also between the cases of a table).
    void SetUp() override
    {
        error_state_clear();
        reset_file_name_globals();
        s = std::make_unique<model_state>();
        ASSERT_TRUE(file_rec_open(s->summary_file, dir.file("run.sum"), "w"));
        s->super_quiet = 1;
    }
    void TearDown() override
    {
        reset_file_name_globals();
        error_state_clear();
    }

    // Active cells 1..n of dx metres, all dry.
    void cells(int n, double dx)
    {
        s->num_cells = n;
        s->gridsize = dx;
        s->ov_depth.assign(n, 0.0);
        s->ground_elev.assign(n, 0.0);
    }

    // What the summary file holds so far.
    std::string summary()
    {
        std::fflush(s->summary_file.fp);
        return torva_test::read_file(dir.file("run.sum"));
    }

    // What the summary file received from f.
    template <class F> std::string written_by(F&& f)
    {
        const std::size_t before = summary().size();
        f();
        return summary().substr(before);
    }
};

inline bool holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// True when a number was printed as "nan" or "inf" (a word of its own,
// perhaps signed).
inline bool has_bad_number(const std::string& text)
{
    for (const char* word : {"nan", "inf"}) {
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            const char before = at == 0 ? ' ' : text[at - 1];
            const char after = at + 3 < text.size() ? text[at + 3] : ' ';
            if ((before == ' ' || before == '-') && (after == ' ' || after == '%' || after == '\n'))
                return true;
        }
    }
    return false;
}

} // namespace summary_test
