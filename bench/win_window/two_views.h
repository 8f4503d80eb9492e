// The view's intake beside another full view: why a run cannot fill a fresh view while the
// old listing is still shown.
#pragma once

#include <windows.h>

#include <string>

namespace ramilux::bench {

// The floor's way of filling a view: the text in blocks of whole lines of about
// `blockBytes`, each put in place of the selection.
void InsertInBlocks(HWND view, const std::string& text, size_t blockBytes);

// Fills fresh views with `text` as the floor does (64 KiB blocks, redraw off) with nothing
// beside them, beside a full view, after a full view has gone and while one goes, and
// prints the times and the memory a full view holds. `model` is the form's view, whose
// place and styles the views take; it should be empty.
void TimeTwoViews(HWND model, const std::string& text);

}  // namespace ramilux::bench
