// "Copier": the listing's lines on the clipboard in three formats at once, so that every
// program pastes the tree with its lines: Unicode text, RTF and HTML.
#include <cstdio>
#include <cstring>

#include "listing_save.h"
#include "rich_edit.h"
#include "wide_text.h"

namespace ramilux {
namespace {

std::string Written(TListing& listing, TListingFormat format, HWND view, TLineRange range) {
  std::string text;
  WriteListing(
      listing, format, view, [&](std::string_view part) { text += part; }, range);
  return text;
}

// The clipboard's HTML: a header of byte offsets, then the fragment in a page.
std::string HtmlClipboardText(std::string_view fragment) {
  constexpr char kHeader[] =
      "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\nStartFragment:%010zu\r\n"
      "EndFragment:%010zu\r\n";
  constexpr std::string_view kBefore = "<html><body>\r\n<!--StartFragment-->";
  constexpr std::string_view kAfter = "<!--EndFragment-->\r\n</body></html>";
  const size_t headerLength = static_cast<size_t>(
      std::snprintf(nullptr, 0, kHeader, size_t{0}, size_t{0}, size_t{0}, size_t{0}));
  const size_t startFragment = headerLength + kBefore.size();
  const size_t endFragment = startFragment + fragment.size();
  std::string text(headerLength + 1, '\0');
  std::snprintf(text.data(), text.size(), kHeader, headerLength, endFragment + kAfter.size(),
                startFragment, endFragment);
  text.resize(headerLength);
  text += kBefore;
  text += fragment;
  text += kAfter;
  return text;
}

bool PutOnClipboard(UINT format, const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory) == nullptr) {
    GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns it now
}

}  // namespace

bool CopyUnicodeText(HWND owner, std::string_view utf8) {
  const std::wstring wide = ToWide(utf8, CP_UTF8);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool put =
      PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
  return put;
}

TLineRange SelectedLines(HWND view) {
  const CHARRANGE selection = rich_edit::Selection(view);
  if (selection.cpMin == selection.cpMax) return {};
  const int64_t first = rich_edit::LineFromChar(view, selection.cpMin);
  int64_t last = rich_edit::LineFromChar(view, selection.cpMax);
  // A selection that ends at the start of a line does not touch that line.
  if (last > first && rich_edit::LineIndex(view, last) == selection.cpMax) --last;
  return {static_cast<size_t>(first), static_cast<size_t>(last)};
}

bool CopyListing(HWND view, TListing& listing) {
  const TLineRange range = SelectedLines(view);
  std::string text = Written(listing, TListingFormat::UnicodeText, view, range);
  text.erase(0, kUtf8Bom.size());
  const std::wstring wide = ToWide(text, CP_UTF8);
  const std::string rtf = Written(listing, TListingFormat::Rtf, view, range);
  std::string pre;
  WriteHtmlPre(
      {listing, AnsiToUtf8, '\\'}, [&](std::string_view part) { pre += part; }, range);
  const std::string html = HtmlClipboardText(pre);

  if (!OpenClipboard(GetAncestor(view, GA_ROOT))) return false;
  EmptyClipboard();
  bool put = PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  put = PutOnClipboard(RegisterClipboardFormatA("Rich Text Format"), rtf.c_str(), rtf.size() + 1) &&
        put;
  put =
      PutOnClipboard(RegisterClipboardFormatA("HTML Format"), html.c_str(), html.size() + 1) && put;
  CloseClipboard();
  return put;
}

}  // namespace ramilux
