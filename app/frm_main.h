// The main window FrmMain (class TFrmMain): the panel of tool buttons and options above
// the rich edit view, and the handlers of its controls. A run reaches the controls
// through the window's three ports: its option controls, its view, its run indicators.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "comparison.h"
#include "form_layout.h"
#include "handles.h"
#include "listing.h"
#include "listing_save.h"
#include "listing_source.h"
#include "message_pump.h"
#include "option_controls_port.h"
#include "ports.h"
#include "run_indicators_port.h"
#include "settings.h"
#include "view_port.h"
#include "view_thread.h"

namespace ramilux {

inline constexpr char kFrmMainClass[] = "TFrmMain";
inline constexpr char kPickerTitle[] = "Choisissez le r\xE9pertoire racine de l'arborescence";

struct TStartOptions {
  std::string FontArgument;    // the first command-line argument, "" when there is none
  std::string ExecutablePath;  // full path of the program; its folder holds the font file
  bool QuitOnDestroy = false;  // end the thread's message loop when the window goes
  int Dpi = 0;                 // the density the window is built for; 0: the screen's
  // The settings of the last session read at start and saved at close (the program does;
  // the tests' windows leave the registry alone).
  bool KeepSettings = false;
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
  // The ports through which a run reads and drives the controls.
  TOptionControlsPort& OptionControls() { return optionControls_; }
  TViewPort& View() { return view_; }
  TRunIndicatorsPort& Indicators() { return indicators_; }

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
  void PopMnuExplorerMenuClick();
  // A snapshot of the last run's root into a file the save dialog names.
  void PopMnuSnapshotClick();
  // The listing of a snapshot file, with every option, until a folder is chosen again.
  void PopMnuOpenSnapshotClick();
  // What changed since a snapshot in its folder as it is now, as an outline in the view.
  void PopMnuCompareSnapshotClick();
  // "Copier" and Ctrl+C in the view; the saves written from the last run's entries.
  void PopMnuCopyClick();
  void PopMnuSaveListingClick(const TSaveCommand& command, TListingFormat format);
  // Lists `folder` at once, as a folder chosen in the picker is (the command line, a drop,
  // Explorer's entry); a folder that does not exist is refused in an error box. Nothing
  // happens during a run. False when no run was made or the run ended by an error.
  bool ListFolder(const std::wstring& folder);
  // Opens the view's pop-up menu at a screen point.
  void ShowPopupMenu(POINT screen);

 private:
  // The view holds every line of the last run's entries, so that they stand for it.
  bool ViewHoldsListing();
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
  // A fresh, empty view in the place of the current one; the fresh one.
  HWND RecreateView();
  // The run of a root just chosen, and the buttons it leaves usable.
  bool RunChosenRoot();
  // Runs walk the disk again (a folder was chosen), with the usual header.
  void UseDisk();
  void ShowComparison();
  bool CopyComparison();
  void OnDropFiles(WPARAM drop);  // the HDROP of WM_DROPFILES
  // The check of "Menu de l'Explorateur": whether the entry runs this program.
  void UpdateExplorerMenuItem();
  void ApplySettings(const TSettings& settings);
  TSettings CurrentSettings() const;
  void ApplySavedFont(const TSavedFont& font);

  TStartOptions options_;
  // Every pump of the thread gives the window its key preview while it exists.
  TMessageFilterScope messageFilter_{[this](MSG& message) { return PreTranslateMessage(message); }};
  TOptionControlsPort optionControls_;
  TRunIndicatorsPort indicators_;
  TViewThreads viewThreads_;
  TViewPort view_{indicators_, viewThreads_, [this] { return RecreateView(); }};
  TListingSource source_;  // before the listing, which walks it
  TListing listing_;
  HWND hwnd_ = nullptr;
  std::unordered_map<int, HWND> controls_;
  std::vector<HWND> tabOrder_;
  TScaler scale_;
  int panelHeight_ = 0;
  TControlRecord viewRecord_;
  TGdiObject formFont_;
  std::vector<TGdiObject> menuImages_;
  TMenu popupMenu_;
  HWND hints_ = nullptr;
  std::string fontName_;                      // FFontName
  std::string fontFile_;                      // FFontFile
  std::wstring root_;                         // the last root chosen, exact; the picker opens there
  std::optional<WINDOWPLACEMENT> placement_;  // the saved one, for the first Show
  bool running_ = false;
  bool closeRequested_ = false;              // a close asked for during a run, done when it ends
  bool runCompleted_ = false;                // the last run ended without an error
  std::unique_ptr<TComparison> comparison_;  // the one the view shows, or none
};

}  // namespace ramilux
