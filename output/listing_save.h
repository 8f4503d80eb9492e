// The last run's listing written from its entries rather than from the view: Unicode
// text, CSV, Markdown, HTML and the RTF that opens right anywhere; saved through the save
// dialog, or put on the clipboard.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "line_writers.h"
#include "listing.h"
#include "saving.h"

namespace ramilux {

enum class TListingFormat { UnicodeText, Csv, Markdown, Html, Rtf };

extern const TSaveCommand kSaveUnicodeText;
extern const TSaveCommand kSaveCsv;
extern const TSaveCommand kSaveMarkdown;
extern const TSaveCommand kSaveHtml;

// Text of the ANSI code page in UTF-8.
std::string AnsiToUtf8(std::string_view text);
// The display font of `view` as the RTF names it, with the code page's stand-ins.
TRtfFont ViewRtfFont(HWND view);

// The lines `range` of the listing (by the view's numbers) in `format`; the HTML page
// always holds the whole listing. The window's CSV is separated by ";", which French
// spreadsheets read.
void WriteListing(TListing& listing, TListingFormat format, HWND view, const TTextSink& sink,
                  TLineRange range = {});

// A save command over the last run's entries: dialog, save, error box.
void RunListingSave(HWND view, TListing& listing, const TSaveCommand& command,
                    TListingFormat format);

// "Copier": the lines the view's selection touches, or every line when nothing is
// selected, on the clipboard as Unicode text, RTF and HTML. False when the clipboard
// could not be had.
bool CopyListing(HWND view, TListing& listing);
// Text that is no listing of entries (a comparison) on the clipboard as Unicode text.
bool CopyUnicodeText(HWND owner, std::string_view utf8);
// The view's lines a selection touches: line 0 is the header, line 1 the blank line, then
// one line per entry; nothing selected gives every line.
TLineRange SelectedLines(HWND view);

}  // namespace ramilux
