// The output suites' stand-in for the main window: a top-level window and its RICHEDIT
// view, set up as the main window sets up its own.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ramilux::test {

inline constexpr int kViewId = 101;

// Read-only, no word wrap, the raised text limit, `face` at 9 points.
class ViewWindow {
 public:
  explicit ViewWindow(const char* face = "Courier New");
  ~ViewWindow();
  ViewWindow(const ViewWindow&) = delete;
  ViewWindow& operator=(const ViewWindow&) = delete;

  HWND owner() const { return owner_; }
  HWND view() const { return view_; }

  // Face, size in points and character set of the view's font, automatic colour.
  void SetFont(const char* face, int points, BYTE charset = ANSI_CHARSET);
  // The program's display font, Ramilux.ttf beside the test, when the build made it
  // (registered for the rest of the process); false, and no change, without it.
  bool UseRamiluxFont();
  // Replaces the text with these lines, or adds them at the end; each ends in CR LF.
  void SetLines(const std::vector<std::string>& lines);
  void AddLines(const std::vector<std::string>& lines);
  void SelectLines(int first, int last);  // lines first .. last - 1
  // What a run does to a long listing: a fresh view with the same id, font and limit
  // in place of the old one, here holding `lines`; with `keepOne` false the old view
  // just goes.
  void ReplaceView(const std::vector<std::string>& lines, bool keepOne = true);

  // Called on the UI thread by a timer while a print is going on: a second press.
  std::function<void()> onPrinting;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND owner_ = nullptr;
  HWND view_ = nullptr;
};

std::string JoinLines(const std::vector<std::string>& lines);  // each line + CR LF

}  // namespace ramilux::test
