// How far a bulk import has got, on standard error so that the summary
// alone is the output: on a terminal a bar redrawn in place as accounts are
// done; otherwise "done/total" lines. Either way the figure is shown again
// at least every second, also while one account waits (for a lock held by
// another program), so a long import visibly lives.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tarvelin::cli {

class ImportProgress {
 public:
  explicit ImportProgress(int total);
  // Clears the bar; without a terminal, ends with "total/total" (or where
  // the import stopped) when any line was printed, so a log of a long
  // import shows how it ended.
  ~ImportProgress();
  ImportProgress(const ImportProgress&) = delete;
  ImportProgress& operator=(const ImportProgress&) = delete;

  // `done` accounts of the total are through.
  void Show(int done);

 private:
  void Tick();
  void Draw(int done, bool force);  // mutex_ held

  const bool terminal_;
  const int total_;
  std::atomic<int> done_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool drawn_ = false;
  std::string last_bar_;
  int lines_ = 0;
  std::thread ticker_;
};

}  // namespace tarvelin::cli
