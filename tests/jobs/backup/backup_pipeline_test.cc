#include "jobs/backup/backup_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tarvelin {
namespace {

TEST(OrderedPipeline, ResultsComeInSubmissionOrderWhateverTheFinishingOrder) {
  for (int threads : {0, 1, 3}) {
    std::vector<int> delivered;
    OrderedPipeline<int> pipeline(threads, 8, 1000, [&](int&& n) { delivered.push_back(n); });
    for (int i = 0; i < 40; ++i) {
      pipeline.Submit(1, [i] {
        // Early jobs take longest, so later ones finish first.
        std::this_thread::sleep_for(std::chrono::microseconds((40 - i) * 50));
        return i;
      });
    }
    pipeline.Finish();
    std::vector<int> expected(40);
    for (int i = 0; i < 40; ++i) expected[i] = i;
    EXPECT_EQ(delivered, expected) << threads << " threads";
  }
}

TEST(OrderedPipeline, WorkInFlightStaysWithinItsBounds) {
  std::atomic<int> running{0};
  std::atomic<int> most_running{0};
  int64_t outstanding_weight = 0;
  int outstanding_jobs = 0;
  {
    OrderedPipeline<int64_t> pipeline(4, 3, 100, [&](int64_t&& weight) {
      outstanding_weight -= weight;
      --outstanding_jobs;
    });
    for (int i = 0; i < 30; ++i) {
      const int64_t weight = i % 5 == 0 ? 150 : 40;  // a job alone may exceed the bound
      pipeline.Submit(weight, [&, weight] {
        int now = ++running;
        int seen = most_running.load();
        while (now > seen && !most_running.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --running;
        return weight;
      });
      outstanding_weight += weight;
      ++outstanding_jobs;
      EXPECT_LE(outstanding_jobs, 3);
      EXPECT_LE(outstanding_weight, std::max<int64_t>(100, weight)) << i;
    }
    pipeline.Finish();
  }
  EXPECT_EQ(outstanding_jobs, 0);
  EXPECT_LE(most_running.load(), 3);
}

TEST(OrderedPipeline, AJobsExceptionReachesTheCallerInOrder) {
  std::vector<int> delivered;
  OrderedPipeline<int> pipeline(2, 4, 100, [&](int&& n) { delivered.push_back(n); });
  pipeline.Submit(1, [] { return 1; });
  pipeline.Submit(1, []() -> int { throw std::runtime_error("job failed"); });
  pipeline.Submit(1, [] { return 3; });
  EXPECT_THROW(pipeline.Finish(), std::runtime_error);
  EXPECT_EQ(delivered, std::vector<int>{1});
}

TEST(OrderedPipeline, WorkersAreWorthStarting) {
  EXPECT_GE(PipelineThreads(), 1);
  EXPECT_LE(PipelineThreads(), 8);
}

}  // namespace
}  // namespace tarvelin
