// What the window benchmark measures inside a run without touching the program: the
// time each control spends on its messages, and how long input waits for the run to
// look at the queue.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace ramilux::bench {

LARGE_INTEGER Now();
double Seconds(LARGE_INTEGER from, LARGE_INTEGER to);

// The time a window spends in its messages, by message, counting only the outermost
// one when the window sends messages to itself.
class TMessageClock {
 public:
  explicit TMessageClock(const char* name) : name_(name) {}
  ~TMessageClock();
  TMessageClock(const TMessageClock&) = delete;
  TMessageClock& operator=(const TMessageClock&) = delete;
  // Times the messages of `window` from now on (until Reset or the window's end).
  void Attach(HWND window);
  void Reset();
  // One line for the whole, then the messages that took at least `share` of it.
  void Print(LARGE_INTEGER since, double share = 0.02) const;
  double Total() const { return total_; }
  LARGE_INTEGER First() const { return first_; }

 private:
  struct TCount {
    double Seconds = 0;
    long Calls = 0;
  };
  static LRESULT CALLBACK Timed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR clock);

  const char* name_;
  std::map<UINT, TCount> counts_;
  double total_ = 0;
  long calls_ = 0;
  int depth_ = 0;
  LARGE_INTEGER first_{}, last_{};
  std::vector<HWND> windows_;  // what it is attached to, let go of at its end
};

// Posts a harmless message to a window every few milliseconds from a thread of its own
// and measures how long each waits before the window's thread takes it: the longest
// wait is how long a click on Stop can go unanswered.
class TInputProbe {
 public:
  explicit TInputProbe(HWND target);
  ~TInputProbe();
  TInputProbe(const TInputProbe&) = delete;
  TInputProbe& operator=(const TInputProbe&) = delete;

  void Start(int intervalMs);
  // Stops posting and takes what is still waiting in the queue.
  void Finish();
  // Waits of the probes posted from `from` (s after `origin`) up to `to`.
  void Print(const char* phase, LARGE_INTEGER origin, double from, double to) const;
  double Longest() const;

 private:
  static LRESULT CALLBACK Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR probe);
  void Post(int intervalMs);

  HWND target_;
  std::thread poster_;
  std::atomic<bool> posting_{false};
  static constexpr size_t kMaxProbes = 1 << 16;
  std::vector<LARGE_INTEGER> posted_, answered_;
  std::atomic<size_t> count_{0};
};

// The message the probe posts; the target answers nothing else by it.
inline constexpr UINT kProbeMessage = WM_APP + 0x2A;

}  // namespace ramilux::bench
