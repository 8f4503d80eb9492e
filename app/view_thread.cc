// The view on a thread of its own (see the header).
#include "view_thread.h"

#include <richedit.h>

#include "rich_edit.h"

namespace ramilux {
namespace {

// Sent or posted by the window's thread to a view, handled by the view's thread.
constexpr UINT kDispose = WM_APP + 0x48;  // sent: hide, leave the parent, then go
constexpr UINT kDestroy = WM_APP + 0x49;  // posted
constexpr UINT kSync = WM_APP + 0x4A;     // posted; lParam: the event to set
constexpr UINT kReplace = WM_APP + 0x4B;  // sent; lParam: a TReplace
constexpr UINT_PTR kKeeperId = 0x5649;    // the thread's own subclass
constexpr UINT_PTR kFormSubclassId = 1;

struct TStart {
  TViewCreation Creation;
  DWORD WindowThread = 0;
  HANDLE Ready = nullptr;
  HWND View = nullptr;
};

struct TReplace {
  int64_t First;
  int64_t Last;
  const std::string* Text;
};

// One step: the range selected unless it is (setting the selection costs a walk through
// the text under Wine), then replaced.
int64_t Replace(HWND view, const TReplace& replace) {
  CHARRANGE selection = rich_edit::Selection(view);
  if (replace.First >= 0 && (selection.cpMin != replace.First || selection.cpMax != replace.Last)) {
    rich_edit::Select(view, replace.First, replace.Last);
    selection = {static_cast<LONG>(replace.First), static_cast<LONG>(replace.Last)};
  }
  const int64_t before = rich_edit::TextLength(view) - (selection.cpMax - selection.cpMin);
  rich_edit::ReplaceSelection(view, *replace.Text);
  return rich_edit::TextLength(view) - before;
}

LRESULT CALLBACK KeeperProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR formSubclass) {
  switch (message) {
    case kReplace:
      return Replace(view, *reinterpret_cast<const TReplace*>(lParam));
    case kSync:
      SetEvent(reinterpret_cast<HANDLE>(lParam));
      return 0;
    case kDispose:
      // The form may be gone before the view is: nothing of it is called from here on.
      RemoveWindowSubclass(view, reinterpret_cast<SUBCLASSPROC>(formSubclass), kFormSubclassId);
      ShowWindow(view, SW_HIDE);
      SetParent(view, HWND_MESSAGE);
      PostMessageA(view, kDestroy, 0, 0);
      return 0;
    case kDestroy:
      DestroyWindow(view);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(view, KeeperProc, kKeeperId);
      PostQuitMessage(0);
      break;
  }
  return DefSubclassProc(view, message, wParam, lParam);
}

// The form's key preview for the view's keys (F1 and Tab: the form has no mnemonics),
// posted to the form: true when the view does not get the key.
bool PostToForm(const MSG& message, HWND form) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (message.wParam == VK_TAB && message.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0) {
    PostMessageA(form, kViewTab, GetKeyState(VK_SHIFT) >= 0, 0);
    return true;
  }
  if (message.wParam == VK_F1) PostMessageA(form, kViewKeyDown, message.wParam, 0);
  return false;
}

DWORD WINAPI ViewThread(void* parameter) {
  auto* start = static_cast<TStart*>(parameter);
  const TViewCreation creation = start->Creation;
  AttachThreadInput(GetCurrentThreadId(), start->WindowThread, TRUE);
  const RECT& place = creation.Place;
  HWND view = CreateWindowExA(creation.ExStyle, creation.ClassName, "", creation.Style, place.left,
                              place.top, place.right, place.bottom, creation.Parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(creation.Id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (view) {
    SetWindowSubclass(view, KeeperProc, kKeeperId, reinterpret_cast<DWORD_PTR>(creation.Subclass));
    SetWindowSubclass(view, creation.Subclass, kFormSubclassId, creation.SubclassData);
  }
  start->View = view;
  SetEvent(start->Ready);  // `start` is the caller's, and gone from here on
  if (!view) return 0;
  const HWND form = GetAncestor(view, GA_ROOT);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (PostToForm(message, form)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

// Waits for `event` while answering what other threads send to this one (a view's
// creation and its thread's steps send to the parent): whether it came in time.
bool WaitAnswering(HANDLE event, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    DWORD woken =
        MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(end - now), QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return woken == WAIT_OBJECT_0;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

TViewThreads::~TViewThreads() {
  for (auto& [view, thread] : threads_) {
    PostMessageA(view, kDestroy, 0, 0);  // gone already when its parent went
    going_.push_back(thread);
  }
  for (HANDLE thread : going_) {
    WaitAnswering(thread, INFINITE);
    CloseHandle(thread);
  }
}

HWND TViewThreads::Create(const TViewCreation& creation) {
  TStart start{creation, GetCurrentThreadId(), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  if (!start.Ready) return nullptr;
  HANDLE thread = CreateThread(nullptr, 0, ViewThread, &start, 0, nullptr);
  if (thread) WaitAnswering(start.Ready, INFINITE);
  CloseHandle(start.Ready);
  if (start.View) {
    threads_[start.View] = thread;
  } else if (thread) {
    CloseHandle(thread);
  }
  return start.View;
}

void TViewThreads::Dispose(HWND view) {
  SendMessageA(view, kDispose, 0, 0);
  auto found = threads_.find(view);
  if (found == threads_.end()) return;
  going_.push_back(found->second);
  threads_.erase(found);
}

void TViewThreads::WaitGone(const std::function<void()>& pump) {
  constexpr DWORD kLookIntervalMs = 4;
  while (!going_.empty()) {
    if (WaitForSingleObject(going_.back(), 0) == WAIT_OBJECT_0) {
      CloseHandle(going_.back());
      going_.pop_back();
      continue;
    }
    MsgWaitForMultipleObjects(1, &going_.back(), FALSE, kLookIntervalMs, QS_ALLINPUT);
    pump();
  }
}

void SyncView(HWND view) {
  constexpr DWORD kSyncTimeoutMs = 10000;
  HANDLE handled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!handled) return;
  // Left open when the view's thread may still set it.
  if (!PostMessageA(view, kSync, 0, reinterpret_cast<LPARAM>(handled)) ||
      WaitAnswering(handled, kSyncTimeoutMs)) {
    CloseHandle(handled);
  }
}

int64_t ReplaceRange(HWND view, int64_t first, int64_t last, const std::string& text) {
  TReplace replace{first, last, &text};
  return SendMessageA(view, kReplace, 0, reinterpret_cast<LPARAM>(&replace));
}

}  // namespace ramilux
