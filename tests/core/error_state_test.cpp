#include <gtest/gtest.h>

#include "core/error_state.h"
#include "core/error_messages.h"

TEST(ErrorState, PlaceholderBuildsMessage)
{
    error_rec rec;
    rec.code = err_project_not_found;
    EXPECT_EQ(build_error_message(rec), "Error: The specified project file was not found.\n");
}
