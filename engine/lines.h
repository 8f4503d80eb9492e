// The listing's lines taken apart for the formats other than the view's own bytes: each
// entry's connector groups, its exact name, its columns and its unread mark, made from the
// very line the view receives, so that every column a line gains reaches every writer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "columns.h"
#include "listing.h"

namespace ramilux {

// Text of the run's encoding as UTF-8: the identity for a UTF-8 run; the window gives the
// ANSI code page's conversion.
using TToUtf8 = std::function<std::string(std::string_view)>;

// What the writers need to know of the run beside its entries.
struct TLineContext {
  TListing& Listing;
  TToUtf8 ToUtf8;  // unused (may be empty) when the run is in UTF-8
  char Separator;
};

// One entry's line.
struct TLineRecord {
  const TFileObject* Entry = nullptr;
  std::vector<TPrefix::TGroup> Groups;  // from the root down; the last is the entry's own
  std::string ShownName;                // as the view shows it, in the run's encoding
  std::string ExactName;                // UTF-8, control characters as "?"
  std::string Columns;                  // UTF-8, with their leading blanks: "  1,50 Ko  ..."
  std::string Mark;                     // UTF-8, with its leading blanks; "" when read
  size_t Depth() const { return Groups.empty() ? 0 : Groups.size() - 1; }
};

// The lines of the run's entries, in list order.
class TLineReader {
 public:
  explicit TLineReader(const TLineContext& context);
  // The next entry's line; false after the last.
  bool Next(TLineRecord& line);
  size_t Index() const { return next_; }  // of the entry after the last one read

 private:
  const TLineContext& context_;
  TPrefixWriter prefixes_;
  TColumnTexts columns_;
  std::string line_;
  size_t next_ = 0;
};

// The exact form of a name or a path in UTF-8: in an ANSI run each name that carries its
// exact form after a NUL gives that form, the rest is converted. Control characters
// become "?" unless `keepControls` (a CSV field can hold them; a line cannot).
std::string ExactText(const TLineContext& context, std::string_view text, bool keepControls);

// The header line as the view shows it, with the root's exact form, in UTF-8.
std::string ExactHeaderLine(const TLineContext& context);

// A connector group as UTF-8 box drawing: "├─ ", "└─ ", "│  " or three blanks.
std::string_view GroupUtf8(TPrefix::TGroup group);

// Where the writers put their text, in pieces of any size.
using TTextSink = std::function<void(std::string_view)>;

// Hands `block` to `sink` and empties it once it holds about 64 KiB: the writers pass
// their text on in pieces of that size.
void PassOnFull(std::string& block, const TTextSink& sink);

// The Unicode listing: the view's lines (header, the line of one blank, one per entry)
// with box-drawing connectors, exact names and the columns, each ending in `lineEnd`.
// `first` and `last` choose lines by the view's numbers (0 the header); the default is
// every line.
struct TLineRange {
  size_t First = 0;
  size_t Last = SIZE_MAX;
};
void WriteUnicodeLines(const TLineContext& context, std::string_view lineEnd, const TTextSink& sink,
                       TLineRange range = {});

}  // namespace ramilux
