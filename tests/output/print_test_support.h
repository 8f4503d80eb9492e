// What the print tests share: a driver that answers the dialogs of the UI thread from a second
// thread, and the jobs of the test printer read back as text through Ghostscript and Poppler.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "dialogs.h"
#include "view_window.h"

namespace ramilux::test {

// The printer that scripts/test-printer sets up; its jobs land in kPrintedFolder.
inline constexpr char kTestPrinter[] = "Ramilux Test";
inline constexpr char kPrintedFolder[] = "C:\\printed";

// A dialog (class #32770) of the UI thread seen by the driver.
struct SeenDialog {
  bool printDialog;  // the print dialog (it has the printer list)
  std::string text;  // a message box's text as shown, in UTF-8
};

// Answers every dialog the UI thread opens with `answer`, run on the driver's thread
// once the dialog's modal loop pumps. A dialog still open after `timeoutMs` is
// cancelled and counted as a failure (`timedOut`), so a hang becomes a failed test.
class DialogDriver {
 public:
  using Answer = std::function<void(HWND dialog)>;
  explicit DialogDriver(Answer answer, int timeoutMs = 15000);

  std::vector<SeenDialog> seen();
  bool timedOut() const { return timedOut_; }

 private:
  void OnOpen(HWND dialog);
  Answer answer_;
  std::atomic<bool> timedOut_{false};
  std::mutex mutex_;
  std::vector<SeenDialog> seen_;
  DialogWatcher watcher_;  // last: it stops before the rest goes
};

bool IsPrintDialog(HWND dialog);
// A message box's text as shown, in UTF-8: a text given in the wrong code page shows
// up as the wrong characters.
std::string ShownText(HWND box);

// Print dialog controls.
inline constexpr int kAllPages = 0x420, kSelection = 0x421, kPageNums = 0x422;
inline constexpr int kFromPage = 0x480, kToPage = 0x481, kCopies = 0x482;
inline constexpr int kPrintToFile = 0x410;
void ChooseRange(HWND dialog, int radio);

// The jobs printed since the object was made, oldest first, each as the text of its
// pages (pdftotext -layout; pages end with a form feed), once the file is complete.
class PrintedJobs {
 public:
  PrintedJobs();
  // Windows paths of the new .ps files, once `expected` of them have come (or a few
  // seconds have passed); with 0, after a moment in which a stray job would show.
  std::vector<std::string> NewJobFiles(size_t expected = 1) const;
  static std::string ToText(const std::string& psFile);
  static int PageCountOf(const std::string& psFile);
  // The document name the job carries.
  static std::string TitleOf(const std::string& psFile);
  // The text of each page (pdftotext -layout), in order.
  static std::vector<std::string> PageTexts(const std::string& psFile);

  // Where pdftotext finds each word, in points from the page's top-left corner.
  struct Word {
    double xMin, yMin, xMax, yMax;
    std::string text;  // UTF-8
  };
  struct Page {
    double width, height;  // points
    std::vector<Word> words;
  };
  static std::vector<Page> WordsOf(const std::string& psFile);

  // The box around all the ink of each page as Ghostscript draws it, in points from the
  // page's bottom-left corner; an empty page has none.
  struct InkBox {
    double x0, y0, x1, y1;
  };
  static std::vector<InkBox> InkOf(const std::string& psFile);

 private:
  std::vector<std::string> before_;
};

// Runs a Unix shell command and waits for it (the prefix maps / to Z:).
void RunUnix(const std::string& command);
std::string UnixPrintedFolder();

// Lines of a printed text, empty ones dropped, each run of blanks as one blank.
std::vector<std::string> NonEmptyLines(const std::string& text);

// A listing-like text: a header and `count` lines with connectors.
std::vector<std::string> ListingLines(int count);

// The printed form of a view line: its bytes read in code page 1252, as UTF-8, blanks
// squeezed like NonEmptyLines.
// With `boxGlyphs` (the Ramilux font), the connector bytes come back as the box-drawing
// characters whose glyphs the font draws for them.
std::string AsPrinted(const std::string& line, bool boxGlyphs = false);

// Pumps the UI thread's messages for about `ms` milliseconds.
void PumpFor(int ms);

}  // namespace ramilux::test
