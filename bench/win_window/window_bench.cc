// Times a full listing (files, sizes and dates on) in the real main window, from the
// click on Refresh to the end of the run, next to the floor: the same text put into the
// same view in blocks of 64 KiB with redraw off. Not a test: it prints its figures.
//   window_bench FOLDER [RUNS]
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frm_main.h"
#include "platform.h"
#include "resource.h"
#include "rich_edit.h"

namespace {

using namespace ramilux;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

// Click on Refresh to the end of the run (the click's handler returns when it is over).
LARGE_INTEGER clickTime;

double TimeRun(TFrmMain& form) {
  LARGE_INTEGER start = Now();
  clickTime = start;
  SendMessageA(form.Control(IDC_SBN_REFRESH), BM_CLICK, 0, 0);
  return Seconds(start, Now());
}

// The floor: the text in blocks of whole lines of about 64 KiB, redraw off.
double TimeBlocks(TFrmMain& form, const std::string& text, size_t blockBytes) {
  form.ClearView();  // emptying the view is not part of the floor
  HWND view = form.Control(IDC_RICH_EDIT);
  LARGE_INTEGER start = Now();
  rich_edit::SetRedraw(view, false);
  rich_edit::SetCaret(view, 0);
  for (size_t begin = 0; begin < text.size();) {
    size_t end = std::min(text.size(), begin + blockBytes);
    size_t lineEnd = text.find("\r\n", end);
    end = lineEnd == std::string::npos ? text.size() : lineEnd + 2;
    rich_edit::ReplaceSelection(view, text.substr(begin, end - begin));
    begin = end;
  }
  rich_edit::SetCaret(view, 0);
  rich_edit::SetRedraw(view, true);
  UpdateWindow(view);
  return Seconds(start, Now());
}

struct TSpent {
  const char* Name;
  double Seconds = 0;
  long Calls = 0;
  LARGE_INTEGER First{}, Last{};  // when the first and the last message came
};

LRESULT CALLBACK Timed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                       DWORD_PTR spent) {
  LARGE_INTEGER start = Now();
  auto* total = reinterpret_cast<TSpent*>(spent);
  if (total->Calls == 0) total->First = start;
  total->Last = start;
  LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  double took = Seconds(start, Now());
  total->Seconds += took;
  if (took > 0.5) std::printf("    %s: message 0x%x took %.3f s\n", total->Name, message, took);
  ++total->Calls;
  return result;
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
  std::fflush(stdout);
  std::string text = rich_edit::Text(form.Control(IDC_RICH_EDIT));
  LARGE_INTEGER walkStart = Now();
  long walked = BareWalk(root);
  std::printf("bare walk, one FindFirstFileA pass per folder: %.3f s for %ld entries\n",
              Seconds(walkStart, Now()), walked);
  LARGE_INTEGER pumpStart = Now();
  for (int i = 0; i < 10000; ++i) form.ProcessMessages();
  std::printf("10,000 calls of the pending-input step on an empty queue: %.3f s\n",
              Seconds(pumpStart, Now()));
  pumpStart = Now();
  for (int i = 0; i < 1000; ++i) form.SetDirectoryLabel(i % 2 ? "Z:\\un\\" : "Z:\\deux\\");
  form.ProcessMessages();
  std::printf("1,000 folder labels shown: %.3f s\n", Seconds(pumpStart, Now()));
  // Time spent in the progress bar and the label, part of the run's time.
  static TSpent spent[] = {{"progress bar"}, {"folder label"}};
  int ids[] = {IDC_PROGRESS_BAR, IDC_LBL_DIRECTORY_NAME};
  for (int i = 0; i < 2; ++i) {
    SetWindowSubclass(form.Control(ids[i]), Timed, 7, reinterpret_cast<DWORD_PTR>(&spent[i]));
  }
  std::vector<double> run, floor;
  for (int i = 0; i < runs; ++i) {
    run.push_back(TimeRun(form));
    floor.push_back(TimeBlocks(form, text, 64 * 1024));
    std::printf("run %.3f s, floor %.3f s\n", run.back(), floor.back());
    for (TSpent& total : spent) {
      std::printf("  %s: %.3f s in %ld messages, from %.3f s to %.3f s after the click\n",
                  total.Name, total.Seconds, total.Calls, Seconds(clickTime, total.First),
                  Seconds(clickTime, total.Last));
      total = {total.Name};
    }
    std::fflush(stdout);
  }
  if (rich_edit::Text(form.Control(IDC_RICH_EDIT)) != text)
    std::printf("warning: the floor's text differs\n");
  double runTime = Median(run), floorTime = Median(floor);
  std::printf("entries: %zu  lines: %lld  text: %zu bytes\n", form.Listing().Entries().size(),
              static_cast<long long>(form.ViewLineCount()), text.size());
  std::printf("run, click to end (median of %d): %.3f s\n", runs, runTime);
  std::printf("floor, same text in 64 KiB blocks: %.3f s\n", floorTime);
  std::printf("ratio: %.2f (target <= 1.50)\n", runTime / floorTime);
  return 0;
}
