// Jobs that run on worker threads while their results are taken in the
// order the jobs were given: the backup compresses files in parallel but
// writes them one after another, the restore inflates in parallel but
// puts the files in place in archive order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tarvelin {

// The number of workers worth starting on this machine.
int PipelineThreads();

template <typename Result>
class OrderedPipeline {
 public:
  using Job = std::function<Result()>;
  using Deliver = std::function<void(Result&&)>;

  // `threads` workers (0: jobs run inside Submit). At most `max_jobs` jobs
  // and, unless a single job alone exceeds it, `max_weight` of their
  // weights are in flight; Submit hands finished results to `deliver`
  // until the new job fits.
  OrderedPipeline(int threads, size_t max_jobs, int64_t max_weight, Deliver deliver)
      : max_jobs_(max_jobs < 1 ? 1 : max_jobs),
        max_weight_(max_weight),
        deliver_(std::move(deliver)) {
    for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
  }
  // Stops the workers; results not yet delivered are dropped.
  ~OrderedPipeline() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }
  OrderedPipeline(const OrderedPipeline&) = delete;
  OrderedPipeline& operator=(const OrderedPipeline&) = delete;

  // An exception of a job is thrown again here or in Finish, in order.
  void Submit(int64_t weight, Job job) {
    while (!pending_.empty() &&
           (pending_.size() >= max_jobs_ || weight_in_flight_ + weight > max_weight_)) {
      DeliverFront();
    }
    auto slot = std::make_shared<Slot>();
    slot->job = std::move(job);
    slot->weight = weight;
    weight_in_flight_ += weight;
    pending_.push_back(slot);
    if (workers_.empty()) {
      Run(*slot);
      return;
    }
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(slot);
    }
    work_ready_.notify_one();
  }

  // Delivers every result still pending.
  void Finish() {
    while (!pending_.empty()) DeliverFront();
  }

 private:
  struct Slot {
    Job job;
    int64_t weight = 0;
    std::optional<Result> result;
    std::exception_ptr error;
    bool done = false;
  };

  static void Run(Slot& slot) {
    try {
      slot.result.emplace(slot.job());
    } catch (...) {
      slot.error = std::current_exception();
    }
    slot.job = nullptr;
  }

  void Work() {
    while (true) {
      std::shared_ptr<Slot> slot;
      {
        std::unique_lock lock(mutex_);
        work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        slot = std::move(queue_.front());
        queue_.pop_front();
      }
      Run(*slot);
      {
        std::lock_guard lock(mutex_);
        slot->done = true;
      }
      slot_done_.notify_all();
    }
  }

  void DeliverFront() {
    std::shared_ptr<Slot> slot = std::move(pending_.front());
    pending_.pop_front();
    if (!workers_.empty()) {
      std::unique_lock lock(mutex_);
      slot_done_.wait(lock, [&] { return slot->done; });
    }
    weight_in_flight_ -= slot->weight;
    if (slot->error) std::rethrow_exception(slot->error);
    deliver_(std::move(*slot->result));
  }

  const size_t max_jobs_;
  const int64_t max_weight_;
  Deliver deliver_;
  // Used by the submitting thread only.
  std::deque<std::shared_ptr<Slot>> pending_;
  int64_t weight_in_flight_ = 0;

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable slot_done_;
  std::deque<std::shared_ptr<Slot>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace tarvelin
