// Runs the card-file reader of a lumped model on a text: the text written to
// a scratch file, the reader called on a one-cell state with both console
// streams captured, and the stop read from the error record, which is then
// cleared.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "support/test_support.h"

namespace torva_test
{

struct lumped_read {
    bool stopped = false;
    std::string out, err;
};

// reader(state, file) reads the opened file.
template <class Reader>
lumped_read read_lumped_text(const char* folder, const char* name, const std::string& text, Reader&& reader)
{
    scratch_dir dir(folder);
    write_file(dir.file(name), text);
    model_state s;
    s.num_cells = 1;
    file_rec f;
    EXPECT_TRUE(file_rec_open(f, dir.file(name), "r"));
    error_state_clear();
    lumped_read r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    reader(s, f);
    r.err = testing::internal::GetCapturedStderr();
    r.out = testing::internal::GetCapturedStdout();
    file_rec_close(f);
    r.stopped = error_state.raised != 0;
    error_state_clear();
    return r;
}

} // namespace torva_test
