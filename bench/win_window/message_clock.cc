// The message clock and the input probe of the window benchmark.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "message_clock.h"

#include <algorithm>
#include <cstdio>

namespace ramilux::bench {
namespace {

constexpr UINT_PTR kClockId = 0x7C10;
constexpr UINT_PTR kProbeId = 0x7C11;

}  // namespace

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency);
}

TMessageClock::~TMessageClock() {
  for (HWND window : windows_) {
    if (IsWindow(window)) RemoveWindowSubclass(window, Timed, kClockId);
  }
}

void TMessageClock::Attach(HWND window) {
  windows_.push_back(window);
  SetWindowSubclass(window, Timed, kClockId, reinterpret_cast<DWORD_PTR>(this));
}

void TMessageClock::Reset() {
  counts_.clear();
  total_ = 0;
  calls_ = 0;
  first_ = last_ = {};
}

LRESULT CALLBACK TMessageClock::Timed(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR clock) {
  auto* self = reinterpret_cast<TMessageClock*>(clock);
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Timed, kClockId);
  if (self->depth_ > 0) return DefSubclassProc(window, message, wParam, lParam);
  LARGE_INTEGER start = Now();
  if (self->calls_ == 0) self->first_ = start;
  ++self->depth_;
  LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  --self->depth_;
  self->last_ = Now();
  double took = Seconds(start, self->last_);
  TCount& count = self->counts_[message];
  count.Seconds += took;
  ++count.Calls;
  self->total_ += took;
  ++self->calls_;
  return result;
}

void TMessageClock::Print(LARGE_INTEGER since, double share) const {
  if (calls_ == 0) {
    std::printf("  %s: no message\n", name_);
    return;
  }
  std::printf("  %s: %.3f s in %ld messages, from %.3f s to %.3f s\n", name_, total_, calls_,
              Seconds(since, first_), Seconds(since, last_));
  for (const auto& [message, count] : counts_) {
    if (count.Seconds < share * total_) continue;
    std::printf("    message 0x%04x: %.3f s in %ld\n", message, count.Seconds, count.Calls);
  }
}

TInputProbe::TInputProbe(HWND target)
    : target_(target), posted_(kMaxProbes), answered_(kMaxProbes) {
  SetWindowSubclass(target_, Answer, kProbeId, reinterpret_cast<DWORD_PTR>(this));
}

TInputProbe::~TInputProbe() {
  Finish();
  RemoveWindowSubclass(target_, Answer, kProbeId);
}

void TInputProbe::Start(int intervalMs) {
  Finish();
  count_ = 0;
  posting_ = true;
  poster_ = std::thread([this, intervalMs] { Post(intervalMs); });
}

void TInputProbe::Post(int intervalMs) {
  while (posting_) {
    size_t index = count_.load();
    if (index >= kMaxProbes) break;
    answered_[index] = {};
    posted_[index] = Now();
    count_ = index + 1;
    PostMessageA(target_, kProbeMessage, index, 0);
    Sleep(static_cast<DWORD>(intervalMs));
  }
}

void TInputProbe::Finish() {
  posting_ = false;
  if (poster_.joinable()) poster_.join();
  MSG message;
  while (PeekMessageA(&message, target_, kProbeMessage, kProbeMessage, PM_REMOVE)) {
    DispatchMessageA(&message);
  }
}

LRESULT CALLBACK TInputProbe::Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR probe) {
  if (message != kProbeMessage) return DefSubclassProc(window, message, wParam, lParam);
  auto* self = reinterpret_cast<TInputProbe*>(probe);
  if (wParam < kMaxProbes) self->answered_[wParam] = Now();
  return 0;
}

void TInputProbe::Print(const char* phase, LARGE_INTEGER origin, double from, double to) const {
  std::vector<double> waits;
  double lastLong = -1;
  for (size_t i = 0; i < count_; ++i) {
    double at = Seconds(origin, posted_[i]);
    if (at < from || at >= to || answered_[i].QuadPart == 0) continue;
    waits.push_back(Seconds(posted_[i], answered_[i]) * 1000);
    // The start of each wait past 100 ms, to find what held the queue.
    if (waits.back() > 100 && at > lastLong) {
      std::printf("    %.0f ms wait from %.3f s\n", waits.back(), at);
      lastLong = at + waits.back() / 1000;
    }
  }
  if (waits.empty()) return;
  std::sort(waits.begin(), waits.end());
  std::printf(
      "  input waits %s (%.2f to %.2f s): %zu probes, median %.1f ms, 99%% %.1f ms, "
      "longest %.1f ms\n",
      phase, from, to, waits.size(), waits[waits.size() / 2], waits[waits.size() * 99 / 100],
      waits.back());
}

double TInputProbe::Longest() const {
  double longest = 0;
  for (size_t i = 0; i < count_; ++i) {
    if (answered_[i].QuadPart != 0) {
      longest = std::max(longest, Seconds(posted_[i], answered_[i]));
    }
  }
  return longest;
}

}  // namespace ramilux::bench
