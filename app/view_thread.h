// The view on a thread of its own. Destroying the view of a long listing takes the
// control a second or more under Wine; on the view's own thread that time no longer holds
// the window, so a run that replaces the listing answers input throughout. The view's
// keys still reach the form: F1 and Tab are posted to it as the messages below.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ramilux {

// Posted by a view's thread to the form.
inline constexpr UINT kViewKeyDown = WM_APP + 0x40;  // wParam: the key (the view gets it too)
inline constexpr UINT kViewTab = WM_APP + 0x41;      // wParam: 1 forward, 0 backward

struct TViewCreation {
  DWORD ExStyle = 0;
  const char* ClassName = nullptr;
  DWORD Style = 0;
  RECT Place{};  // left, top, width, height in the parent
  HWND Parent = nullptr;
  int Id = 0;
  SUBCLASSPROC Subclass = nullptr;  // put on the view by its own thread, as id 1
  DWORD_PTR SubclassData = 0;
};

// The threads of the window's views: each view lives on one, which ends with it.
class TViewThreads {
 public:
  TViewThreads() = default;
  TViewThreads(const TViewThreads&) = delete;
  TViewThreads& operator=(const TViewThreads&) = delete;
  // Destroys the views left and waits for every thread.
  ~TViewThreads();

  // Creates a view on a thread of its own, its input attached to the calling thread's;
  // null when it could not be made.
  HWND Create(const TViewCreation& creation);
  // Hides the view and takes it from its parent; its thread then destroys it while this
  // one goes on.
  void Dispose(HWND view);
  // Until the views disposed of are gone, calls `pump` at every look. A view going, or
  // still there hidden, holds an insertion into another view up many times over: under
  // Wine a full view holds some 17 KB a line, the new one then needs as much memory anew,
  // and one going frees into the heap the other fills from. A run's output waits for it.
  void WaitGone(const std::function<void()>& pump);

 private:
  std::unordered_map<HWND, HANDLE> threads_;  // of the views made and not disposed of
  std::vector<HANDLE> going_;                 // the threads of the views disposed of
};

// Returns when the view's thread has handled every message posted to it before the call.
void SyncView(HWND view);

// Puts `text` (NUL-free) in place of the characters first .. last - 1, or of the selection
// when first is -1, in one step of the view's thread, so that a click in the view cannot
// come between the placing and the insertion; what the text grew by.
int64_t ReplaceRange(HWND view, int64_t first, int64_t last, const std::string& text);

}  // namespace ramilux
