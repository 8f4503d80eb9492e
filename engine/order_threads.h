// The sort's threads: one piece of work run on several threads, this one among them.
#pragma once

#include <algorithm>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace ramilux {

// Runs `work` on `threads` threads, this one among them, and rethrows the first failure
// once all have ended; `stop` is called on a failure so that the others end early.
inline void RunOnThreads(unsigned threads, const std::function<void()>& work,
                         const std::function<void()>& stop) {
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(std::max(threads, 1u));
  auto run = [&](unsigned t) {
    try {
      work();
    } catch (...) {
      failures[t] = std::current_exception();
      stop();
    }
  };
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(run, t);
  run(0);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace ramilux
