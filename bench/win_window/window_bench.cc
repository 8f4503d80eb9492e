// Times a full listing (files, sizes and dates on) in the real main window, from the
// click on Refresh to the end of the run, next to the floor: the same text put into the
// same view in blocks of 64 KiB with redraw off. Then how long input waits during a run,
// and how soon a click on Stop is answered. Not a test: it prints its figures.
//   window_bench FOLDER [RUNS]
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "frm_main.h"
#include "message_clock.h"
#include "platform.h"
#include "resource.h"
#include "rich_edit.h"
#include "two_views.h"

namespace {

using namespace ramilux;
using bench::Now;
using bench::Seconds;

// Click on Refresh to the end of the run (the click's handler returns when it is over)
// and the view painted, as the floor ends with it painted.
double TimeRun(TFrmMain& form, LARGE_INTEGER& clicked) {
  clicked = Now();
  SendMessageA(form.Control(IDC_SBN_REFRESH), BM_CLICK, 0, 0);
  UpdateWindow(form.Control(IDC_RICH_EDIT));
  return Seconds(clicked, Now());
}

// The full view emptied as a run empties it: a fresh view in its place, and the old one
// gone on its own thread before any text goes in.
void EmptyView(TFrmMain& form) {
  form.View().ClearView();
  std::string error;
  form.View().ReplaceSelection("", error);  // waits for the old view
}

// The floor: the text in blocks of whole lines of about 64 KiB, redraw off. Emptying
// the view first is not part of the floor; `cleared` takes its time.
double TimeBlocks(TFrmMain& form, const std::string& text, size_t blockBytes,
                  double* cleared = nullptr) {
  LARGE_INTEGER start = Now();
  EmptyView(form);
  if (cleared) *cleared = Seconds(start, Now());
  HWND view = form.Control(IDC_RICH_EDIT);
  start = Now();
  rich_edit::SetRedraw(view, false);
  rich_edit::SetCaret(view, 0);
  bench::InsertInBlocks(view, text, blockBytes);
  rich_edit::SetCaret(view, 0);
  rich_edit::SetRedraw(view, true);
  UpdateWindow(view);
  return Seconds(start, Now());
}

// A bare walk of the tree, one FindFirstFileA pass per folder: what the walk costs the
// platform alone, for comparison.
long BareWalk(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  long entries = 0;
  do {
    if (found.cFileName[0] == '.' &&
        (found.cFileName[1] == 0 || (found.cFileName[1] == '.' && found.cFileName[2] == 0))) {
      continue;
    }
    ++entries;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries += BareWalk(folder + found.cFileName + "\\");
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// What the platform's own steps cost, to read the run's figures by.
void PrintPlatformCosts(TFrmMain& form, const std::string& root) {
  LARGE_INTEGER start = Now();
  long walked = BareWalk(root);
  std::printf("bare walk, one FindFirstFileA pass per folder: %.3f s for %ld entries\n",
              Seconds(start, Now()), walked);
  start = Now();
  for (int i = 0; i < 10000; ++i) form.Indicators().ProcessMessages();
  std::printf("10,000 calls of the pending-input step on an empty queue: %.3f s\n",
              Seconds(start, Now()));
  start = Now();
  for (int i = 0; i < 1000; ++i)
    form.Indicators().SetDirectoryLabel(i % 2 ? "Z:\\un\\" : "Z:\\deux\\");
  form.Indicators().ProcessMessages();
  std::printf("1,000 folder labels shown: %.3f s\n", Seconds(start, Now()));
}

// The run against the floor, alternated; where the run's time goes in the controls. The
// time the view takes text depends on how the view before it was filled (its memory is
// given back when it goes): every timed fill follows one made the floor's way, and the
// floor that follows the run is shown apart.
void TimeRunsAndFloor(TFrmMain& form, const std::string& text, int runs) {
  // The view lives on a thread of its own, made afresh when a long listing is replaced:
  // its own messages are not timed here.
  bench::TMessageClock bar("progress bar"), label("folder label");
  bar.Attach(form.Control(IDC_PROGRESS_BAR));
  label.Attach(form.Control(IDC_LBL_DIRECTORY_NAME));
  std::vector<double> run, floor, clear;
  TimeBlocks(form, text, 64 * 1024);
  for (int i = 0; i < runs; ++i) {
    for (auto* clock : {&bar, &label}) clock->Reset();
    LARGE_INTEGER clicked;
    run.push_back(TimeRun(form, clicked));
    std::printf("run %.3f s, times after the click:\n", run.back());
    for (auto* clock : {&label, &bar}) clock->Print(clicked);
    std::printf("floor after the run %.3f s\n", TimeBlocks(form, text, 64 * 1024));
    clear.push_back(0);
    floor.push_back(TimeBlocks(form, text, 64 * 1024, &clear.back()));
    std::printf("floor %.3f s, after emptying the full view in %.3f s\n", floor.back(),
                clear.back());
    std::fflush(stdout);
  }
  if (rich_edit::Text(form.Control(IDC_RICH_EDIT)) != text) {
    std::printf("warning: the floor's text differs\n");
  }
  double runTime = Median(run), floorTime = Median(floor);
  std::printf("run, click to end (median of %d): %.3f s\n", runs, runTime);
  std::printf("floor, same text in 64 KiB blocks: %.3f s\n", floorTime);
  std::printf("emptying the full view (median): %.3f s\n", Median(clear));
  std::printf("ratio: %.2f (target <= 1.15)\n", runTime / floorTime);
}

// A run with a harmless message posted every few milliseconds: how long input waits in
// each phase (walk, sort and the view's replacement; output).
void ProbeInput(TFrmMain& form) {
  bench::TMessageClock bar("progress bar");
  bar.Attach(form.Control(IDC_PROGRESS_BAR));
  bench::TInputProbe probe(form.Control(IDC_SBN_STOP));
  probe.Start(3);
  LARGE_INTEGER clicked;
  double took = TimeRun(form, clicked);
  probe.Finish();
  double barAt = Seconds(clicked, bar.First());
  std::printf("run with input probes every 3 ms: %.3f s\n", took);
  probe.Print("walk, sort, the view replaced", clicked, 0, barAt);
  probe.Print("output", clicked, barAt, took);
  std::printf("  longest input wait of the run: %.1f ms (target <= 100 ms)\n",
              probe.Longest() * 1000);
}

// When Stop was answered: its click's arrival at the button.
LARGE_INTEGER stopAnswered;

LRESULT CALLBACK StopHeard(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
  if (message == BM_CLICK) stopAnswered = Now();
  return DefSubclassProc(window, message, wParam, lParam);
}

// Runs stopped by a click on Stop `after` seconds into the walk.
void TimeStops(TFrmMain& form, const std::vector<double>& delays) {
  HWND stop = form.Control(IDC_SBN_STOP);
  SetWindowSubclass(stop, StopHeard, 0x7C12, 0);
  for (double after : delays) {
    stopAnswered = {};
    LARGE_INTEGER posted{};
    std::thread clicker([&] {
      Sleep(static_cast<DWORD>(after * 1000));
      posted = Now();
      PostMessageA(stop, BM_CLICK, 0, 0);
    });
    LARGE_INTEGER clicked;
    double took = TimeRun(form, clicked);
    clicker.join();
    if (stopAnswered.QuadPart == 0) {
      std::printf("Stop %.1f s into the run: not answered before its end (%.3f s)\n", after, took);
      continue;
    }
    std::printf(
        "Stop %.1f s into the run: answered in %.1f ms, run over %.1f ms after the "
        "click, %lld lines listed\n",
        after, Seconds(posted, stopAnswered) * 1000, (took - Seconds(clicked, posted)) * 1000,
        static_cast<long long>(form.View().ViewLineCount()));
  }
  RemoveWindowSubclass(stop, StopHeard, 0x7C12);
}

// The floor's way with other block sizes, in alternating rounds, and the emptying of the
// full view: where the control's cost per insertion and per byte lie.
void TimeVariants(TFrmMain& form, const std::string& text) {
  const std::vector<size_t> sizes = {2, 4, 8, 16, 32, 64};
  std::vector<std::vector<double>> times(sizes.size());
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 0; i < sizes.size(); ++i) {
      times[i].push_back(TimeBlocks(form, text, sizes[i] * 1024));
    }
  }
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::printf("blocks of %zu KiB: %.3f s (median of 3)\n", sizes[i], Median(times[i]));
  }
  LARGE_INTEGER start = Now();
  EmptyView(form);
  std::printf("emptied by a fresh view: %.3f s\n", Seconds(start, Now()));
  std::fflush(stdout);
}

// Ways to empty the full view, each after the view was filled the floor's way: what a
// previous listing costs the next run, and whether it can go in pieces.
void TimeClears(TFrmMain& form, const std::string& text) {
  HWND view = form.Control(IDC_RICH_EDIT);
  TimeBlocks(form, text, 64 * 1024);
  LARGE_INTEGER start = Now();
  EmptyView(form);
  std::printf("emptied by a fresh view: %.3f s\n", Seconds(start, Now()));
  TimeBlocks(form, text, 64 * 1024);
  view = form.Control(IDC_RICH_EDIT);
  start = Now();
  ShowWindow(view, SW_HIDE);
  rich_edit::SetRedraw(view, false);
  double hidden = Seconds(start, Now());
  EmptyView(form);
  std::printf("hidden, redraw off in %.3f s, then a fresh view: %.3f s\n", hidden,
              Seconds(start, Now()));
  ShowWindow(form.Control(IDC_RICH_EDIT), SW_SHOW);
  // Deleting the text in pieces from its end: minutes (one piece of 500 lines took 6 to
  // 100 s at 50,000 lines), so only when asked.
  if (!std::getenv("BENCH_PIECES")) return;
  for (int64_t chunk : {500, 5000}) {
    TimeBlocks(form, text, 64 * 1024);
    view = form.Control(IDC_RICH_EDIT);
    rich_edit::SetRedraw(view, false);
    std::vector<double> times;
    start = Now();
    for (int64_t lines = rich_edit::LineCount(view); lines > 0; lines -= chunk) {
      LARGE_INTEGER began = Now();
      int64_t from = rich_edit::LineIndex(view, std::max<int64_t>(0, lines - chunk));
      rich_edit::Select(view, from, rich_edit::TextLength(view));
      rich_edit::ReplaceSelection(view, "");
      times.push_back(Seconds(began, Now()));
      if (times.size() <= 3) std::printf("  piece %zu: %.3f s\n", times.size(), times.back());
      std::fflush(stdout);
      if (Seconds(start, Now()) > 10) break;
    }
    rich_edit::SetRedraw(view, true);
    std::printf(
        "deleted from the end %lld lines at a time: %.3f s in %zu, first %.3f s, "
        "median %.3f s, longest %.3f s, lines left %lld\n",
        static_cast<long long>(chunk), Seconds(start, Now()), times.size(), times[0], Median(times),
        *std::max_element(times.begin(), times.end()),
        static_cast<long long>(rich_edit::LineCount(view)));
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_bench FOLDER [RUNS]\n");
    return 2;
  }
  std::string root = argv[1];
  if (root.back() != '\\') root += '\\';
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  auto files = NewPlatformFileSystem();
  auto textServices = NewPlatformTextServices();
  TFrmMain form({}, *files, *textServices);
  if (!form.Create()) return 1;
  form.Show();
  for (int id : {IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME}) {
    SendMessageA(form.Control(id), BM_CLICK, 0, 0);
  }
  form.Listing().SetRoot(root);
  LARGE_INTEGER warm = Now();
  form.SbnRefreshClick();  // warms the file system's caches; enables Refresh
  std::printf("first run: %.3f s\n", Seconds(warm, Now()));
  std::string text = rich_edit::Text(form.Control(IDC_RICH_EDIT));
  std::printf("entries: %zu  lines: %lld  text: %zu bytes\n", form.Listing().Entries().size(),
              static_cast<long long>(form.View().ViewLineCount()), text.size());
  PrintPlatformCosts(form, root);
  std::fflush(stdout);
  if (argc > 3 && std::string(argv[3]) == "clears") {
    TimeClears(form, text);
    return 0;
  }
  if (argc > 3 && std::string(argv[3]) == "two-views") {
    EmptyView(form);
    bench::TimeTwoViews(form.Control(IDC_RICH_EDIT), text);
    return 0;
  }
  if (argc > 3 && std::string(argv[3]) == "variants") {
    TimeVariants(form, text);
    return 0;
  }
  // "probe": only the waits of input and Stop.
  if (argc <= 3 || std::string(argv[3]) != "probe") TimeRunsAndFloor(form, text, runs);
  ProbeInput(form);
  TimeStops(form, {0.2, 0.6, 1.0});
  return 0;
}
