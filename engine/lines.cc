// The lines of a listing taken apart from the view's own bytes, and the Unicode listing.
#include "lines.h"

#include <algorithm>

#include "utf8.h"

namespace ramilux {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kBlockBytes = 64 * 1024;

bool Utf8Run(const TLineContext& context) {
  return context.Listing.TextServices().Encoding() == TEncoding::Utf8;
}

std::string RunTextToUtf8(const TLineContext& context, std::string_view text) {
  if (Utf8Run(context) || !context.ToUtf8) return std::string(text);
  return context.ToUtf8(text);
}

// UTF-8 that every reader takes: ill-formed bytes as U+FFFD, control characters as "?"
// unless kept.
void AppendCleanUtf8(std::string& out, std::string_view text, bool keepControls) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t bad = 0;
    if (c < 0x20 || c == 0x7F) {
      out += keepControls ? static_cast<char>(c) : '?';
      ++i;
    } else if (size_t length = WellFormedUtf8Length(text.substr(i), bad); length != 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
}

TPrefix::TGroup GroupOf(std::string_view bytes) {
  if (bytes.empty()) return TPrefix::Blank;
  switch (bytes[0]) {
    case kBar:
      return TPrefix::Bar;
    case kBranch:
      return TPrefix::Branch;
    case kCorner:
      return TPrefix::Corner;
    default:
      return TPrefix::Blank;
  }
}

// The mark of an unread folder as its line holds it, with its two blanks.
std::string MarkOf(const TFileObject& entry, bool utf8) {
  const std::string_view mark = UnreadMarker(entry, utf8);
  return mark.empty() ? std::string() : "  " + std::string(mark);
}

}  // namespace

std::string ExactText(const TLineContext& context, std::string_view text, bool keepControls) {
  std::string out;
  // An exact form follows a NUL and runs to the next separator; what comes before the
  // name that holds it is converted as it is.
  for (size_t begin = 0; begin < text.size();) {
    const size_t nul = text.find('\0', begin);
    if (nul == std::string_view::npos) {
      AppendCleanUtf8(out, RunTextToUtf8(context, text.substr(begin)), keepControls);
      break;
    }
    const size_t separator = text.rfind(context.Separator, nul);
    const size_t nameStart =
        separator == std::string_view::npos || separator < begin ? begin : separator + 1;
    AppendCleanUtf8(out, RunTextToUtf8(context, text.substr(begin, nameStart - begin)),
                    keepControls);
    size_t end = text.find(context.Separator, nul);
    if (end == std::string_view::npos) end = text.size();
    AppendCleanUtf8(out, text.substr(nul + 1, end - nul - 1), keepControls);
    begin = end;
  }
  return out;
}

std::string ExactHeaderLine(const TLineContext& context) {
  // The root's totals close the header as they close the view's.
  const TListing& listing = context.Listing;
  return std::string(kHeaderText) + ExactText(context, listing.Directory(), false) +
         (listing.TotalsOn() ? "  " + listing.TotalsText(listing.RootTotals()) : std::string()) +
         RunTextToUtf8(context, listing.HeaderNote());
}

std::string_view GroupUtf8(TPrefix::TGroup group) {
  switch (group) {
    case TPrefix::Bar:
      return "\u2502  ";
    case TPrefix::Branch:
      return "\u251C\u2500 ";
    case TPrefix::Corner:
      return "\u2514\u2500 ";
    default:
      return "   ";
  }
}

TLineReader::TLineReader(const TLineContext& context)
    : context_(context), columns_(context.Listing.TextServices()) {}

bool TLineReader::Next(TLineRecord& line) {
  const TEntryList& entries = context_.Listing.Entries();
  if (next_ >= entries.size()) return false;
  const TFileObject& entry = entries[next_++];
  line.Entry = &entry;
  line_.clear();
  context_.Listing.AppendLine(line_, entry, prefixes_, columns_);
  std::string_view rest = line_;
  if (rest.ends_with(kLineEnd)) rest.remove_suffix(kLineEnd.size());

  line.Groups.clear();
  const size_t groups = std::min(entry.Prefix.Groups(), rest.size() / 3);
  for (size_t g = 0; g < groups; ++g) line.Groups.push_back(GroupOf(rest.substr(3 * g, 3)));
  rest.remove_prefix(3 * groups);

  line.ShownName = context_.Listing.DisplayText(entry.Name);
  if (rest.starts_with(line.ShownName)) rest.remove_prefix(line.ShownName.size());
  line.ExactName = ExactText(context_, entry.Name, false);

  // The mark is taken out wherever the columns put it, so that a column added after it
  // stays a column.
  std::string columns(rest);
  const std::string mark = MarkOf(entry, Utf8Run(context_));
  const size_t at = mark.empty() ? std::string::npos : columns.rfind(mark);
  if (at != std::string::npos) columns.erase(at, mark.size());
  line.Columns = RunTextToUtf8(context_, columns);
  line.Mark = at == std::string::npos ? std::string() : RunTextToUtf8(context_, mark);
  return true;
}

void PassOnFull(std::string& block, const TTextSink& sink) {
  if (block.size() < kBlockBytes) return;
  sink(block);
  block.clear();
}

void WriteUnicodeLines(const TLineContext& context, std::string_view lineEnd, const TTextSink& sink,
                       TLineRange range) {
  std::string block;
  size_t number = 0;
  const auto put = [&](std::string_view text) {
    if (number >= range.First && number <= range.Last) {
      block += text;
      block += lineEnd;
      PassOnFull(block, sink);
    }
    ++number;
  };
  put(ExactHeaderLine(context));
  put(" ");
  TLineReader reader(context);
  TLineRecord line;
  std::string text;
  while (number <= range.Last && reader.Next(line)) {
    if (number < range.First) {
      ++number;
      continue;
    }
    text.clear();
    for (TPrefix::TGroup group : line.Groups) text += GroupUtf8(group);
    text += line.ExactName;
    text += line.Columns;
    text += line.Mark;
    put(text);
  }
  if (!block.empty()) sink(block);
}

}  // namespace ramilux
