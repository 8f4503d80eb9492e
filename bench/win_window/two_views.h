// The view's intake beside another full view: why a run cannot fill a fresh view while the
// old listing is still shown.
#pragma once

#include <windows.h>

#include <string>

namespace ramilux::bench {

// Fills fresh views with `text` as the floor does (64 KiB blocks, redraw off) with nothing
// beside them, beside a full view, after a full view has gone and while one goes, and
// prints the times and the memory a full view holds. `model` is the form's view, whose
// place and styles the views take; it should be empty.
void TimeTwoViews(HWND model, const std::string& text);

}  // namespace ramilux::bench
