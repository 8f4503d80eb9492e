#include "two_views.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>

#include "message_clock.h"
#include "rich_edit.h"
#include "view_thread.h"

namespace ramilux::bench {
namespace {

LRESULT CALLBACK Plain(HWND view, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  return DefSubclassProc(view, message, wParam, lParam);
}

double WorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.WorkingSetSize) / (1 << 20);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

class TViews {
 public:
  explicit TViews(HWND model) {
    RECT place;
    GetWindowRect(model, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(model), reinterpret_cast<POINT*>(&place), 2);
    creation_ = {static_cast<DWORD>(GetWindowLongPtrA(model, GWL_EXSTYLE)),
                 "RICHEDIT",
                 static_cast<DWORD>(GetWindowLongPtrA(model, GWL_STYLE)) & ~WS_VISIBLE,
                 {place.left, place.top, place.right - place.left, place.bottom - place.top},
                 GetParent(model),
                 0x7E57,
                 Plain,
                 0};
    limit_ = rich_edit::TextLimit(model);
    format_ = rich_edit::CharFormat(model);  // the display font: its shaping costs time
  }
  HWND Make() {
    HWND view = threads_.Create(creation_);
    rich_edit::SetTextLimit(view, limit_);
    rich_edit::SetCharFormat(view, format_);
    return view;
  }
  // The floor's way: blocks of about 64 KiB, redraw off.
  static double Fill(HWND view, const std::string& text) {
    LARGE_INTEGER start = Now();
    rich_edit::SetRedraw(view, false);
    InsertInBlocks(view, text, 64 * 1024);
    return Seconds(start, Now());
  }
  void Dispose(HWND view) { threads_.Dispose(view); }
  double WaitGone() {
    LARGE_INTEGER start = Now();
    threads_.WaitGone(Pump);
    return Seconds(start, Now());
  }

 private:
  TViewThreads threads_;
  TViewCreation creation_;
  int64_t limit_ = 0;
  CHARFORMATA format_{};
};

}  // namespace

void InsertInBlocks(HWND view, const std::string& text, size_t blockBytes) {
  for (size_t begin = 0; begin < text.size();) {
    size_t end = text.find("\r\n", std::min(text.size(), begin + blockBytes));
    end = end == std::string::npos ? text.size() : end + 2;
    rich_edit::ReplaceSelection(view, text.substr(begin, end - begin));
    begin = end;
  }
}

void TimeTwoViews(HWND model, const std::string& text) {
  const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  TViews views(model);
  const double before = WorkingSetMb();
  HWND first = views.Make();
  std::printf("a fresh view, nothing beside it: %.3f s\n", TViews::Fill(first, text));
  const double full = WorkingSetMb() - before;
  std::printf("  the full view holds %.0f MB, %.1f KB a line\n", full, full * 1024 / lines);
  HWND second = views.Make();
  std::printf("a fresh view beside the full one: %.3f s\n", TViews::Fill(second, text));
  views.Dispose(first);
  std::printf("the first destroyed in %.3f s\n", views.WaitGone());
  HWND third = views.Make();
  std::printf("a fresh view beside a full one, after another went: %.3f s\n",
              TViews::Fill(third, text));
  views.Dispose(second);
  LARGE_INTEGER start = Now();
  HWND fourth = views.Make();
  std::printf("a fresh view while a full one is destroyed: %.3f s\n", TViews::Fill(fourth, text));
  views.WaitGone();
  std::printf("  the destroyed one gone %.3f s after the start\n", Seconds(start, Now()));
  views.Dispose(third);
  views.Dispose(fourth);
  views.WaitGone();
  std::fflush(stdout);
}

}  // namespace ramilux::bench
