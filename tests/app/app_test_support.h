// Helpers of the window tests: the real main window on the real platform, a driver that
// answers the modal dialogs the UI thread opens, temporary folder trees on disk, and a
// probe window whose posted messages run inside a listing run.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs.h"
#include "files.h"
#include "frm_main.h"
#include "ports.h"
#include "resource.h"
#include "view_thread.h"

namespace ramilux::test {

// The main window, created and shown, on the Win32 file search and text services
// (or on the file system and text services a test gives it).
class TFormHarness {
 public:
  explicit TFormHarness(TStartOptions options = {}, TFileSystem* files = nullptr,
                        std::unique_ptr<TTextServices> text = nullptr);
  ~TFormHarness();
  TFrmMain& Form() { return *form_; }
  HWND Get(int id) { return form_->Control(id); }
  // Dispatches what is waiting, with the form's preview, as the program's loop would,
  // once the view's own thread has passed on what was posted to the view.
  void Pump() {
    SyncView(Get(IDC_RICH_EDIT));
    form_->Indicators().ProcessMessages();
  }
  // Clicks a control as the user would: mouse down and up on its centre, then pump.
  void Click(int id);

 private:
  std::unique_ptr<TFileSystem> ownFiles_;
  std::unique_ptr<TTextServices> text_;
  std::unique_ptr<TFrmMain> form_;
};

// Holds `key` (a modifier; 0 for none) down in the keyboard state, which the view's
// thread shares, while it lives; nothing is held after it.
class THeldKey {
 public:
  explicit THeldKey(int key);
  ~THeldKey();
  THeldKey(const THeldKey&) = delete;
  THeldKey& operator=(const THeldKey&) = delete;
};

bool IsShown(HWND control);
bool IsEnabled(HWND control);
bool IsChecked(HWND control);
using test::WindowText;
// The view's whole text split at CR LF (without the empty piece after the last one).
std::vector<std::string> ViewLines(HWND view);
// A control's window rectangle in the client coordinates of `parent`.
RECT PlaceIn(HWND control, HWND parent);
// Calls `action` once, at the progress bar's first step: the first step belongs to the
// output, after the walk has read the boxes.
void AtFirstProgressStep(HWND bar, std::function<void()>* action);

// Acts, from a second thread, on each modal dialog (#32770) that the calling thread
// opens, in the order given; a dialog beyond the list, or one still open long after its
// action ran, is cancelled and counted as unexpected.
class TDialogDriver {
 public:
  using TAction = std::function<void(HWND dialog)>;
  explicit TDialogDriver(std::vector<TAction> actions);
  int Handled() const { return handled_; }
  int Unexpected() const { return unexpected_; }

 private:
  void OnOpen(HWND dialog);
  std::vector<TAction> actions_;
  std::atomic<int> handled_{0};
  std::atomic<int> unexpected_{0};
  test::DialogWatcher watcher_;  // last: it stops before the rest goes
};

// Dialog helpers for the driver's actions (they run on the driver's thread).
using test::MessageBoxText;
using test::PressButton;
// The folder picker: selects `path` (a folder without trailing backslash), true when the
// tree view's selection then shows that folder's name.
bool SelectInPicker(HWND picker, const std::string& path);
// Whether the picker's tree has a selection: one asked for before the picker has filled
// its tree is lost, and OK then gives the tree's top.
bool PickerHasSelection(HWND picker);
std::string PickerSelectionLabel(HWND picker);

// A folder under the temporary folder, removed with everything in it at the end.
class TTempTree {
 public:
  TTempTree();
  ~TTempTree();
  // The folder's path with a trailing backslash.
  const std::string& Root() const { return root_; }
  std::string AddFolder(const std::string& relative);
  std::string AddFile(const std::string& relative, size_t size);
  // Sets a file's or folder's last-write time, given in local time.
  void SetTime(const std::string& relative, int year, int month, int day, int hour, int minute,
               int second);

 private:
  std::string root_;
};

using test::RemoveTree;

// A message-only window of the test's thread: messages posted to it are dispatched by
// the next pump, which during a run is the run's own handling of pending input.
class TProbe {
 public:
  TProbe();
  ~TProbe();
  // Runs `action` when the run next handles pending input.
  void Post(std::function<void()> action);
  int Ran() const { return ran_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::vector<std::function<void()>> pending_;
  int ran_ = 0;
};

}  // namespace ramilux::test
