// The listing as CSV rows and as a Markdown document.
#include <algorithm>
#include <cstdio>

#include "line_writers.h"

namespace ramilux {
namespace {

constexpr std::string_view kCrLf = "\r\n";
std::string_view UnreadReason(const TFileObject& entry) {
  if (entry.Attr() & kAttrUnreadDenied) return "acc\xC3\xA8s refus\xC3\xA9";
  if (entry.Attr() & kAttrUnreadOther) return "illisible";
  return {};
}

// The folder paths of one folder's entries are made once, not once per entry.
class TExactFolders {
 public:
  explicit TExactFolders(const TLineContext& context) : context_(context) {}
  const std::string& Of(TFolderPath folder) {
    if (folder.Record() != last_ || !made_) {
      raw_.clear();
      folder.AppendText(raw_);
      exact_ = ExactText(context_, raw_, true);
      last_ = folder.Record();
      made_ = true;
    }
    return exact_;
  }

 private:
  const TLineContext& context_;
  const TFolderRecord* last_ = nullptr;
  bool made_ = false;
  std::string raw_, exact_;
};

size_t LongestBacktickRun(std::string_view text) {
  size_t longest = 0;
  for (size_t run = 0; char c : text) {
    run = c == '`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

// A title's characters that Markdown would read as markup, escaped.
std::string MarkdownTitle(std::string_view text) {
  std::string title = "# ";
  for (char c : text) {
    if (std::string_view("\\`*_[]<>#!|~&").find(c) != std::string_view::npos) title += '\\';
    title += c;
  }
  return title;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view field, char separator) {
  const bool quoted =
      field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos;
  if (!quoted) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::optional<std::string> PackedIsoTime(uint32_t time) {
  TDateTime when;
  if (time == 0 || !DecodePackedTime(time, when)) return std::nullopt;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.Year, when.Month, when.Day,
                when.Hour, when.Minute, when.Second);
  return std::string(text);
}

void WriteCsv(const TLineContext& context, const TCsvOptions& options, const TTextSink& sink) {
  const char s = options.Separator;
  std::string block(kUtf8Bom);
  for (std::string_view column : {"path", "name", "type", "depth", "size", "modified"}) {
    block += column;
    block += s;
  }
  block += "state";
  block += kCrLf;
  const std::string root = ExactText(context, context.Listing.Directory(), true);
  TExactFolders folders(context);
  std::string path;
  for (const TFileObject& entry : context.Listing.Entries().Items) {
    const bool folder = (entry.Attr() & kAttrDirectory) != 0;
    const std::string name = ExactText(context, entry.Name, true);
    path = root + folders.Of(entry.Directory()) + name;
    AppendCsvField(block, path, s);
    block += s;
    AppendCsvField(block, name, s);
    block += s;
    block += folder ? "folder" : "file";
    block += s;
    block += std::to_string(entry.Directory().Depth() + 1);
    block += s;
    if (!folder && !(entry.Attr() & kAttrSizeUnknown)) block += std::to_string(entry.Size);
    block += s;
    const std::optional<std::string> modified =
        options.Modified ? options.Modified(entry) : PackedIsoTime(entry.Time);
    if (modified) block += *modified;
    block += s;
    AppendCsvField(block, UnreadReason(entry), s);
    block += kCrLf;
    PassOnFull(block, sink);
  }
  sink(block);
}

void WriteMarkdown(const TLineContext& context, std::string_view lineEnd, const TTextSink& sink) {
  size_t longest = LongestBacktickRun(context.Listing.Directory());
  for (const TFileObject& entry : context.Listing.Entries().Items) {
    longest = std::max(longest, LongestBacktickRun(entry.Name));
  }
  const std::string fence(std::max<size_t>(3, longest + 1), '`');
  std::string head = MarkdownTitle(ExactHeaderLine(context));
  head += lineEnd;
  head += lineEnd;
  head += fence;
  head += lineEnd;
  sink(head);
  WriteUnicodeLines(context, lineEnd, sink, {2, SIZE_MAX});
  std::string tail = fence;
  tail += lineEnd;
  sink(tail);
}

}  // namespace ramilux
