// The thread count of a run without a NUM_THREADS card.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/platform.h"

TEST(DefaultThreadCount, FollowsOmpNumThreadsElseEveryProcessor)
{
    const char* before = std::getenv("OMP_NUM_THREADS");
    const std::string saved = before ? before : "";
    platform_override_processor_count(6);

    unsetenv("OMP_NUM_THREADS");
    EXPECT_EQ(default_thread_count(), 6);
    const struct {
        const char* value;
        int threads;
    } cases[] = {{"3", 3}, {"2,1", 2}, {"1", 1}, {"0", 6}, {"-2", 6}, {"four", 6}, {"", 6}, {"3x", 6}};
    for (const auto& c : cases) {
        setenv("OMP_NUM_THREADS", c.value, 1);
        EXPECT_EQ(default_thread_count(), c.threads) << '"' << c.value << '"';
    }

    platform_override_processor_count(0);
    if (before)
        setenv("OMP_NUM_THREADS", saved.c_str(), 1);
    else
        unsetenv("OMP_NUM_THREADS");
}
