// How every output command (print, save, font) fails: it gives back an outcome, done or
// the French text (ANSI bytes) that the error box shows. A print dropped because the
// program is quitting is cancelled, and shows nothing.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace ramilux {

class TOutcome {
 public:
  TOutcome() = default;  // done
  static TOutcome Failed(std::string text) { return TOutcome(TState::Failed, std::move(text)); }
  // A failed system call, by its error code: "Erreur système. Code : 5." and the
  // system's words on a line of their own.
  static TOutcome SystemFailure(unsigned long code);
  static TOutcome Cancelled() { return TOutcome(TState::Cancelled, {}); }

  bool Ok() const { return state_ == TState::Done; }
  bool WasCancelled() const { return state_ == TState::Cancelled; }
  const std::string& Text() const { return text_; }

  // The error box over `owner` for a failure; nothing when done or cancelled.
  void Show(HWND owner) const;

 private:
  enum class TState { Done, Failed, Cancelled };
  TOutcome(TState state, std::string text) : state_(state), text_(std::move(text)) {}

  TState state_ = TState::Done;
  std::string text_;
};

// A value, or the outcome that kept it from being made.
template <typename T>
class TResult {
 public:
  TResult(T value) : value_(std::move(value)) {}
  TResult(TOutcome failure) : outcome_(std::move(failure)) {}

  bool Ok() const { return outcome_.Ok(); }
  const TOutcome& Outcome() const { return outcome_; }
  T& Value() { return value_; }
  const T& Value() const { return value_; }

 private:
  T value_{};
  TOutcome outcome_;
};

}  // namespace ramilux
