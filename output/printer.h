// The application's printer: the current printer (the default one until the print dialog
// picks another), device contexts on it, the display font at its resolution, and the
// flag that refuses a second job while one is being printed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "outcome.h"
#include "page_arithmetic.h"

namespace ramilux {

// Texts in the ANSI code page (1252), as the message box shows them.
inline constexpr char kNoDefaultPrinter[] =
    "Aucune imprimante par d\xE9"
    "faut s\xE9lectionn\xE9"
    "e";
inline constexpr char kInvalidPrinter[] =
    "Imprimante s\xE9lectionn\xE9"
    "e incorrecte";
inline constexpr char kPrinting[] = "Impression en cours";

struct TDcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using TPrinterDc = std::unique_ptr<std::remove_pointer_t<HDC>, TDcDeleter>;

struct TGlobalFreer {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using TGlobalMemory = std::unique_ptr<void, TGlobalFreer>;

// The view's font as a character height in screen pixels (negative): the view keeps
// its size in twips.
int ScreenFontHeight(HWND view, int screenDpi);

// The view's font (face, size, style, character set) for a device context.
LOGFONTA DisplayFontFor(HWND view, HDC device);

// The default printer's name; empty when none is selected or when it names a printer
// that was removed since.
std::string DefaultPrinterName();

class TPrinter {
 public:
  // The current printer's device context, with one copy asked of the driver when
  // `singleCopy` (the renderer repeats the pages itself). Fails with kNoDefaultPrinter
  // when there is no printer, kInvalidPrinter when its device context can't be made.
  TResult<TPrinterDc> CreateDc(bool singleCopy = false) const;

  // An information context on the current printer with its settings (for listing its
  // fonts); fails like CreateDc.
  TResult<TPrinterDc> CreateInfoContext() const;

  // Copies of the current printer's settings for the print dialog (null: the default).
  TGlobalMemory DevNames() const;
  TGlobalMemory DevMode() const;

  // Makes the dialog's printer and settings (copies included) the current printer.
  void Choose(HGLOBAL devNames, HGLOBAL devMode);

  // Copies asked in the current settings (at least 1).
  int Copies() const;

  bool Printing() const { return printing_; }

  // Held for the length of one print; a second one is refused (kPrinting) while the
  // first is held.
  class TJob {
   public:
    explicit TJob(TPrinter& printer);
    ~TJob() {
      if (held_) printer_.printing_ = false;
    }
    TJob(const TJob&) = delete;
    TJob& operator=(const TJob&) = delete;
    TOutcome Outcome() const { return held_ ? TOutcome() : TOutcome::Failed(kPrinting); }

   private:
    TPrinter& printer_;
    bool held_;
  };

 private:
  // The chosen printer if it still exists, else the default one; or kNoDefaultPrinter.
  TResult<std::string> CurrentName() const;

  std::string driver_, device_, port_;
  std::vector<BYTE> devMode_;
  bool printing_ = false;
};

// The one printer object of the program, like the platform's.
TPrinter& ThePrinter();

}  // namespace ramilux
