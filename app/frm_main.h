// The main window FrmMain (class TFrmMain): the panel of tool buttons and options above
// the rich edit view, the handlers of its controls, and the controls' operations through
// which the listing engine, by way of TFormPorts, drives them during a run.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "form_layout.h"
#include "form_ports.h"
#include "handles.h"
#include "listing.h"
#include "message_pump.h"
#include "ports.h"
#include "view_slices.h"

namespace ramilux {

inline constexpr char kFrmMainClass[] = "TFrmMain";
inline constexpr char kPickerTitle[] = "Choisissez le r\xE9pertoire racine de l'arborescence";

struct TStartOptions {
  std::string FontArgument;    // the first command-line argument, "" when there is none
  std::string ExecutablePath;  // full path of the program; its folder holds the font file
  bool QuitOnDestroy = false;  // end the thread's message loop when the window goes
  int Dpi = 0;                 // the density the window is built for; 0: the screen's
};

class TFrmMain final {
 public:
  // `files` and `text` serve the listing runs; they must outlive the window.
  TFrmMain(TStartOptions options, TFileSystem& files, TTextServices& text);
  ~TFrmMain();
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  // Builds the window and its controls from the form table, then runs FormCreate.
  bool Create();
  // FormShow, then centres the window on the screen and shows it.
  void Show(int showCommand = SW_SHOWNORMAL);

  HWND Handle() const { return hwnd_; }
  // A control by its IDC_... id, nullptr when unknown.
  HWND Control(int id) const;
  TListing& Listing() { return listing_; }
  const std::string& FontName() const { return fontName_; }
  const std::string& FontFile() const { return fontFile_; }
  bool WaitCursorShown() const { return waitCursor_; }

  // The form's key preview and Tab order, for every message taken from the queue: true
  // when the message was handled and must not be dispatched.
  bool PreTranslateMessage(MSG& message);
  // The thread's message loop until the window's thread is told to quit.
  int RunMessageLoop();

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void FormKeyDown(WPARAM key);
  void CbxFileClick();
  void CbxMaskClick();
  void CbxMinSizeClick();
  void SbnSelectDirectoryClick();
  void SbnPrintClick();
  // The listing run; false when an error ended it (shown already, buttons unlocked).
  bool SbnRefreshClick();
  void SbnStopClick();
  void SbnFontClick();
  void PopMnuSaveRtfClick();
  void PopMnuSaveTxtClick();
  void PopMnuAboutClick();
  // Opens the view's pop-up menu at a screen point.
  void ShowPopupMenu(POINT screen);

  // What a run does to the controls (the engine reaches them through TFormPorts).
  void SetWaitCursor(bool wait);
  void EnableButton(TButton button, bool enabled);
  void ShowButton(TButton button, bool shown);
  void SetDirectoryLabel(const std::string& text);
  bool MaskEditShown();
  std::string MaskText();
  bool MinSizeEditShown();
  std::string MinSizeText();
  void SetMinSizeText(const std::string& text);
  bool FileChecked();
  bool SizeChecked();
  bool DateTimeChecked();
  bool HigherSelected();
  int SortIndex();
  void ProcessMessages();
  void ClearView();
  void RepaintNow();
  void FocusView();
  void SetViewRedraw(bool on);
  int64_t ViewTextLength();
  void SetCaret(int64_t index);
  int64_t LineIndex(int64_t line);
  void ScrollCaret();
  int64_t ViewLineCount();
  bool ReplaceSelection(std::string_view text, std::string& error);
  void SetProgressMax(int64_t max);
  void ShowProgress(bool shown);
  void SetProgressPosition(int64_t position);
  void ShowErrorBox(const std::string& title, const std::string& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  bool OnSetCursor();
  void OnClose();
  void OnSize();

  void CreateControls(const std::vector<TControlRecord>& records);
  HWND CreateControl(const TControlRecord& record, const TControlRecord* previous);
  void BuildTabOrder(const std::vector<TControlRecord>& records);
  void SelectNextControl(bool forward);
  bool CanTakeFocus(HWND control) const;
  void CreatePopupMenuItems();
  void CreateHints(const std::vector<TControlRecord>& records);
  void SetViewFont(const std::string& face, BYTE charset);
  void RecreateView();
  HWND ButtonHandle(TButton button) const;
  bool Checked(int id) const;
  bool RunChecked(int slot, int id);
  void ForgetRunChecks();
  // Puts a pending folder name in the label: now, or when its interval has passed.
  void FlushDirectoryLabel(bool now);
  // One insertion in place of the selection; `grown` is what the text grew by.
  bool InsertText(std::string_view text, int64_t& grown, std::string& error);
  void KeepCaretAt(int64_t index);

  TStartOptions options_;
  // Every pump of the thread gives the window its key preview while it exists.
  TMessageFilterScope messageFilter_{[this](MSG& message) { return PreTranslateMessage(message); }};
  TFormPorts ports_{*this};
  TListing listing_;
  HWND hwnd_ = nullptr;
  std::unordered_map<int, HWND> controls_;
  std::vector<HWND> tabOrder_;
  TScaler scale_;
  int panelHeight_ = 0;
  TControlRecord viewRecord_;
  int64_t progressMax_ = 0;
  int64_t progressPixels_ = -1;  // filled length of the progress bar last drawn
  int progressWidth_ = 0;
  ULONGLONG progressShown_ = 0;   // GetTickCount64 when the bar last moved; 0: move it now
  ULONGLONG lastQueueLook_ = 0;   // GetTickCount64 of a run's last look at the queue; 0: look now
  ULONGLONG lastLabelShown_ = 0;  // GetTickCount64 when a run last set the folder label
  std::string pendingLabel_;      // a folder name not yet put in the label
  bool labelPending_ = false;     // pendingLabel_ waits to be shown
  TGdiObject formFont_;
  std::vector<TGdiObject> menuImages_;
  TMenu popupMenu_;
  HWND hints_ = nullptr;
  std::string fontName_;  // FFontName
  std::string fontFile_;  // FFontFile
  bool running_ = false;
  // The column boxes as a run last read them (-1: to be read again). In a run they can
  // change only while the queue is looked at, so the output asks the boxes a few times a
  // second rather than three messages a line.
  int runChecks_[3] = {-1, -1, -1};
  bool waitCursor_ = false;
  bool closeRequested_ = false;  // a close asked for during a run, done when it ends
  int64_t runCaret_ = -1;        // where a run's next lines go; -1: at the caret
  TSliceSizer sliceSizer_;       // the size of a run's insertions into the view
};

}  // namespace ramilux
