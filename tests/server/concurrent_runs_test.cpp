// Many runs at once: each on its own analysis state, so 200 concurrent runs of the examples give the
// numbers of single runs. The latency of each example under that load is printed (p50, p99).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <latch>
#include <map>

#include <gtest/gtest.h>

#include "served_folder.h"

namespace vorta::test {
namespace {

constexpr std::size_t kRuns = 200;

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t i = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(i, values.size() - 1)];
}

TEST(ConcurrentRuns, TwoHundredRunsOfTheExamplesAtOnceGiveTheNumbersOfSingleRuns) {
    const std::vector<std::string> examples = exampleNames();
    ASSERT_FALSE(examples.empty());
    ServedFolder served(examples);
    std::map<std::string, std::string> bodies;
    std::map<std::string, std::string> single;
    for (const std::string& e : examples) {
        bodies[e] = exampleJson(e).dump();
        const auto r = served.client().Post("/api/run", bodies[e], "application/json");
        ASSERT_TRUE(r) << e;
        ASSERT_EQ(r->status, 200) << e;
        single[e] = r->body;
    }

    std::vector<std::string> answers(kRuns);
    std::vector<int> statuses(kRuns, 0);
    std::vector<double> milliseconds(kRuns, 0.0);
    std::latch start(static_cast<std::ptrdiff_t>(kRuns));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < kRuns; ++i) {
        threads.emplace_back([&, i] {
            httplib::Client c = served.client();
            const std::string& body = bodies[examples[i % examples.size()]];
            start.arrive_and_wait();
            const auto begun = std::chrono::steady_clock::now();
            const auto r = c.Post("/api/run", body, "application/json");
            milliseconds[i] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun).count();
            if (!r) std::fprintf(stderr, "run %zu: %s after %.0f ms\n", i, httplib::to_string(r.error()).c_str(), milliseconds[i]);
            if (r) {
                statuses[i] = r->status;
                answers[i] = r->body;
            }
        });
    }
    for (std::thread& t : threads) t.join();

    std::map<std::string, std::vector<double>> byExample;
    for (std::size_t i = 0; i < kRuns; ++i) {
        const std::string& e = examples[i % examples.size()];
        EXPECT_EQ(statuses[i], 200) << "run " << i << " of " << e;
        EXPECT_TRUE(answers[i] == single[e]) << "run " << i << " of " << e << " differs from a single run";
        byExample[e].push_back(milliseconds[i]);
    }
    std::printf("latency of a run under %zu concurrent runs (ms):\n%-36s %8s %8s\n", kRuns, "example", "p50", "p99");
    for (const auto& [e, times] : byExample) std::printf("%-36s %8.1f %8.1f\n", e.c_str(), percentile(times, 0.5), percentile(times, 0.99));
    std::printf("%-36s %8.1f %8.1f\n", "all", percentile(milliseconds, 0.5), percentile(milliseconds, 0.99));
    // The server still answers.
    EXPECT_TRUE(served.client().Get("/api/info"));
}

}  // namespace
}  // namespace vorta::test
