// Helpers of the window tests (see app_test_support.h).
#include "app_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "platform.h"
#include "rich_edit.h"

namespace ramilux::test {

TFormHarness::TFormHarness(TStartOptions options, TFileSystem* files,
                           std::unique_ptr<TTextServices> text)
    : text_(text ? std::move(text) : NewPlatformTextServices()) {
  if (!files) {
    ownFiles_ = NewPlatformFileSystem();
    files = ownFiles_.get();
  }
  form_ = std::make_unique<TFrmMain>(std::move(options), *files, *text_);
  if (!form_->Create()) std::abort();
  form_->Show();
  SetForegroundWindow(form_->Handle());
  Pump();
}

TFormHarness::~TFormHarness() {
  form_.reset();
  MSG message;  // leave nothing of this window in the queue for the next test
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

void TFormHarness::Click(int id) {
  HWND control = Get(id);
  RECT client;
  GetClientRect(control, &client);
  LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  PostMessageA(control, WM_LBUTTONUP, 0, centre);
  Pump();
}

THeldKey::THeldKey(int key) {
  BYTE keys[256] = {};
  if (key != 0) keys[key] = 0x80;
  SetKeyboardState(keys);
}

THeldKey::~THeldKey() {
  BYTE none[256] = {};
  SetKeyboardState(none);
}

bool IsShown(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}
bool IsEnabled(HWND control) {
  return IsWindowEnabled(control) != FALSE;
}
bool IsChecked(HWND control) {
  return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> ViewLines(HWND view) {
  std::string text = rich_edit::Text(view);
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2) {
    lines.push_back(text.substr(begin, end - begin));
  }
  if (begin < text.size()) lines.push_back(text.substr(begin));
  return lines;
}

RECT PlaceIn(HWND control, HWND parent) {
  RECT box;
  GetWindowRect(control, &box);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

void AtFirstProgressStep(HWND bar, std::function<void()>* action) {
  SetWindowSubclass(
      bar,
      [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
         DWORD_PTR data) -> LRESULT {
        auto* pending = reinterpret_cast<std::function<void()>*>(data);
        if (message == PBM_SETPOS && *pending) std::exchange(*pending, nullptr)();
        return DefSubclassProc(window, message, wParam, lParam);
      },
      1, reinterpret_cast<DWORD_PTR>(action));
}

// ---- dialogs

TDialogDriver::TDialogDriver(std::vector<TAction> actions)
    : actions_(std::move(actions)),
      watcher_([this](HWND dialog) { OnOpen(dialog); }, [this](HWND) { ++unexpected_; },
               std::chrono::seconds(8)) {}

void TDialogDriver::OnOpen(HWND dialog) {
  Sleep(50);
  if (handled_ < static_cast<int>(actions_.size())) {
    // Counted before the action closes the dialog: the test reads the count as soon as
    // the dialog is gone.
    actions_[handled_++](dialog);
  } else {
    ++unexpected_;
    test::CancelDialog(dialog);
  }
}

namespace {

constexpr int kPickerTree = 0x3741;

std::string ItemLabel(HWND tree, HTREEITEM item) {
  char label[MAX_PATH] = {};
  TVITEMA query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = label;
  query.cchTextMax = sizeof label;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  return label;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent) {
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); child;
       child = Next(tree, child, TVGN_NEXT)) {
    children.push_back(child);
  }
  return children;
}

// The drive's item, "(C:)" in its label, within the first levels below the desktop.
HTREEITEM FindDrive(HWND tree, const std::string& drive) {
  std::vector<HTREEITEM> level;
  for (HTREEITEM root = Next(tree, nullptr, TVGN_ROOT); root; root = Next(tree, root, TVGN_NEXT)) {
    level.push_back(root);
  }
  for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
    std::vector<HTREEITEM> below;
    for (HTREEITEM item : level) {
      if (ItemLabel(tree, item).find("(" + drive + ")") != std::string::npos) return item;
      for (HTREEITEM child : Children(tree, item)) below.push_back(child);
    }
    level = below;
  }
  return nullptr;
}

// Walks the tree view by labels, the way that works in every picker.
bool WalkTo(HWND tree, const std::string& path) {
  HTREEITEM item = FindDrive(tree, path.substr(0, 2));
  size_t begin = 3;
  while (item && begin < path.size()) {
    size_t end = path.find('\\', begin);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(begin, end - begin);
    HTREEITEM match = nullptr;
    for (HTREEITEM child : Children(tree, item)) {
      if (lstrcmpiA(ItemLabel(tree, child).c_str(), part.c_str()) == 0) match = child;
    }
    item = match;
    begin = end + 1;
  }
  if (!item) return false;
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  return true;
}

std::string LeafName(const std::string& path) {
  return path.substr(path.find_last_of('\\') + 1);
}

}  // namespace

std::string PickerSelectionLabel(HWND picker) {
  HWND tree = GetDlgItem(picker, kPickerTree);
  return ItemLabel(tree, Next(tree, nullptr, TVGN_CARET));
}

bool PickerHasSelection(HWND picker) {
  return Next(GetDlgItem(picker, kPickerTree), nullptr, TVGN_CARET) != nullptr;
}

bool SelectInPicker(HWND picker, const std::string& path) {
  SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
  if (lstrcmpiA(PickerSelectionLabel(picker).c_str(), LeafName(path).c_str()) == 0) return true;
  WalkTo(GetDlgItem(picker, kPickerTree), path);
  return lstrcmpiA(PickerSelectionLabel(picker).c_str(), LeafName(path).c_str()) == 0;
}

// ---- folders

TTempTree::TTempTree() {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  root_ = std::string(temp) + "ramilux-app-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter) + "\\";
  RemoveTree(root_);
  CreateDirectoryA(root_.c_str(), nullptr);
}

TTempTree::~TTempTree() {
  RemoveTree(root_);
}

std::string TTempTree::AddFolder(const std::string& relative) {
  std::string path = root_ + relative;
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

std::string TTempTree::AddFile(const std::string& relative, size_t size) {
  std::string path = root_ + relative;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes(size, 'x');
  DWORD written = 0;
  if (size > 0) WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return path;
}

void TTempTree::SetTime(const std::string& relative, int year, int month, int day, int hour,
                        int minute, int second) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  local.wSecond = static_cast<WORD>(second);
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  HANDLE handle = CreateFileA((root_ + relative).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(handle, nullptr, nullptr, &utc);
  CloseHandle(handle);
}

// ---- probe

TProbe::TProbe() {
  WNDCLASSA probeClass{};
  probeClass.lpfnWndProc = Proc;
  probeClass.hInstance = GetModuleHandleA(nullptr);
  probeClass.lpszClassName = "RamiluxTestProbe";
  RegisterClassA(&probeClass);
  window_ = CreateWindowExA(0, "RamiluxTestProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TProbe::~TProbe() {
  DestroyWindow(window_);
}

void TProbe::Post(std::function<void()> action) {
  pending_.push_back(std::move(action));
  PostMessageA(window_, WM_APP, pending_.size() - 1, 0);
}

LRESULT CALLBACK TProbe::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TProbe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_APP && self) {
    ++self->ran_;
    self->pending_[wParam]();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ramilux::test
