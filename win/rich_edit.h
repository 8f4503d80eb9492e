// Typed wrappers for the messages sent to the rich edit view (riched32's "RICHEDIT"
// class), so that every use names what it does and the compiler checks the arguments.
#pragma once

#include <richedit.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace ramilux {

// The error of a line the view did not take whole (its text limit reached).
inline constexpr char kInsertError[] = "Erreur d'insertion de ligne RichEdit";

}  // namespace ramilux

namespace ramilux::rich_edit {

inline int64_t TextLength(HWND view) {
  return SendMessageA(view, WM_GETTEXTLENGTH, 0, 0);
}

inline int64_t LineIndex(HWND view, int64_t line) {
  return SendMessageA(view, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
}

inline int64_t LineFromChar(HWND view, int64_t charIndex) {
  return SendMessageA(view, EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(charIndex));
}

inline int64_t LineLength(HWND view, int64_t charIndex) {
  return SendMessageA(view, EM_LINELENGTH, static_cast<WPARAM>(charIndex), 0);
}

// Lines of the view, less one when the last line is empty: text ending in CR LF counts
// its terminated lines, an empty view 0.
inline int64_t LineCount(HWND view) {
  int64_t count = SendMessageA(view, EM_GETLINECOUNT, 0, 0);
  if (count > 0 && LineLength(view, LineIndex(view, count - 1)) == 0) --count;
  return count;
}

inline CHARRANGE Selection(HWND view) {
  CHARRANGE range{};
  SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

inline void Select(HWND view, int64_t first, int64_t last) {
  CHARRANGE range{static_cast<LONG>(first), static_cast<LONG>(last)};
  SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

inline void SetCaret(HWND view, int64_t index) {
  Select(view, index, index);
}

inline void ScrollCaret(HWND view) {
  SendMessageA(view, EM_SCROLLCARET, 0, 0);
}

// Puts the text (ANSI bytes, NUL-free) in place of the selection, without undo.
inline void ReplaceSelection(HWND view, const std::string& text) {
  SendMessageA(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

inline std::string SelectedText(HWND view) {
  CHARRANGE range = Selection(view);
  if (range.cpMax <= range.cpMin) return {};
  std::string text(static_cast<size_t>(range.cpMax - range.cpMin) * 2 + 1, '\0');
  auto got = SendMessageA(view, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

inline void SetRedraw(HWND view, bool on) {
  SendMessageA(view, WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on) InvalidateRect(view, nullptr, TRUE);
}

inline void SetTextLimit(HWND view, int64_t limit) {
  SendMessageA(view, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(limit));
}

inline void Clear(HWND view) {
  SetWindowTextA(view, "");
}

// The font of the whole view (the "default" character format applies to all text).
inline CHARFORMATA CharFormat(HWND view) {
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(view, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return format;
}

inline bool SetCharFormat(HWND view, CHARFORMATA format) {
  format.cbSize = sizeof format;
  bool ok = SendMessageA(view, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(view, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return ok;
}

// Streams the whole content out (SF_RTF or SF_TEXT) through the stream's callback; the
// stream's dwError tells whether every chunk was taken.
inline int64_t StreamOut(HWND view, UINT format, EDITSTREAM& stream) {
  return SendMessageA(view, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
}

inline int64_t TextLimit(HWND view) {
  return SendMessageA(view, EM_GETLIMITTEXT, 0, 0);
}

// The whole text as ANSI bytes, with CR LF line ends.
inline std::string Text(HWND view) {
  std::string text(static_cast<size_t>(TextLength(view)) * 2 + 1, '\0');
  auto got = SendMessageA(view, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

// The characters first .. last - 1 as ANSI bytes.
inline std::string TextRange(HWND view, int64_t first, int64_t last) {
  if (last <= first) return {};
  std::string text(static_cast<size_t>(last - first) * 2 + 1, '\0');
  TEXTRANGEA range{{static_cast<LONG>(first), static_cast<LONG>(last)}, text.data()};
  auto got = SendMessageA(view, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  text.resize(static_cast<size_t>(got));
  return text;
}

}  // namespace ramilux::rich_edit
