// The JSON document and the summary line of arbo, both made from the entry list after the
// run has ordered it.
#include "json_listing.h"

#include <algorithm>
#include <cstdio>

#include "columns.h"
#include "json_system.h"
#include "utf8.h"

namespace arbo {
namespace {

constexpr std::string_view kReplacement = "\uFFFD";

void AppendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
  }
  char code[8];
  std::snprintf(code, sizeof code, "\\u%04x", c);
  out += code;
}

// A folder whose contents could not be read says why, in the words of its line's mark.
std::optional<std::string_view> UnreadReason(const ramilux::TFileObject& entry) {
  if (entry.Attr & ramilux::kAttrUnreadDenied) return "acc\xC3\xA8s refus\xC3\xA9";
  if (entry.Attr & ramilux::kAttrUnreadOther) return "illisible";
  return std::nullopt;
}

bool IsFolder(const ramilux::TFileObject& entry) {
  return (entry.Attr & ramilux::kAttrDirectory) != 0;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  AppendJsonString(out, text);
  out += '"';
}

// One entry as one line of the document.
class TEntryWriter {
 public:
  explicit TEntryWriter(char separator) : separator_(separator) {}

  void Append(std::string& out, const ramilux::TFileObject& entry) {
    // The names are UTF-8 (the run is made in UTF-8), where a separator byte can only be
    // the separator.
    directory_.clear();
    entry.Directory.AppendText(directory_);
    if (separator_ != '/') std::replace(directory_.begin(), directory_.end(), separator_, '/');
    name_.clear();
    AppendJsonString(name_, entry.Name);
    out += "    {\"path\": \"";
    AppendJsonString(out, directory_);
    out += name_;
    out += "\", \"name\": \"";
    out += name_;
    out += IsFolder(entry) ? "\", \"type\": \"folder\"" : "\", \"type\": \"file\"";
    out += ", \"depth\": ";
    out += std::to_string(entry.Directory.Depth() + 1);
    if (!IsFolder(entry) && !(entry.Attr & ramilux::kAttrSizeUnknown)) {
      out += ", \"size\": ";
      out += std::to_string(entry.Size);
    }
    if (std::optional<std::string> when = IsoLocalTime(entry.Time)) {
      out += ", \"modified\": \"";
      out += *when;
      out += '"';
    }
    if (std::optional<std::string_view> reason = UnreadReason(entry)) {
      out += ", \"reason\": ";
      AppendQuoted(out, *reason);
    }
    out += '}';
  }

 private:
  char separator_;
  std::string directory_, name_;
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  while (!text.empty()) {
    size_t bad = 0;
    const size_t length = ramilux::WellFormedUtf8Length(text, bad);
    if (length == 0) {
      out += kReplacement;
      text.remove_prefix(bad);
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (length == 1 && (c < 0x20 || c == '"' || c == '\\')) {
      AppendEscaped(out, c);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
}

std::optional<std::string> IsoLocalTime(uint32_t packed) {
  ramilux::TDateTime when;
  if (!ramilux::DecodePackedTime(packed, when)) return std::nullopt;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.Year, when.Month, when.Day,
                when.Hour, when.Minute, when.Second);
  std::string iso = text;
  if (std::optional<int> offset = UtcOffsetMinutes(when)) {
    const int minutes = *offset < 0 ? -*offset : *offset;
    std::snprintf(text, sizeof text, "%c%02d:%02d", *offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    iso += text;
  }
  return iso;
}

TListingCounts CountEntries(const ramilux::TEntryList& entries) {
  TListingCounts counts;
  for (const ramilux::TFileObject& entry : entries.Items) {
    if (IsFolder(entry)) {
      ++counts.Folders;
    } else {
      ++counts.Files;
      if (!(entry.Attr & ramilux::kAttrSizeUnknown)) counts.Bytes += entry.Size;
    }
  }
  return counts;
}

std::string SummaryLine(const ramilux::TListing& listing, const TListingCounts& counts) {
  // French counts: the singular up to one, "0 dossier, 1 fichier".
  const auto counted = [](int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count > 1 ? "s" : "");
  };
  return counted(counts.Folders, "dossier") + ", " + counted(counts.Files, "fichier") + ", " +
         listing.SizeText(counts.Bytes) + " Ko";
}

bool WriteJsonListing(const ramilux::TListing& listing, char separator, bool summary,
                      TConsoleOutput& output) {
  std::string block = "{\n  \"root\": ";
  AppendQuoted(block, listing.Directory());
  block += ",\n  \"entries\": [";
  TEntryWriter writer(separator);
  const ramilux::TEntryList& entries = listing.Entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (Interrupted()) return false;
    block += i == 0 ? "\n" : ",\n";
    writer.Append(block, entries[i]);
    if (block.size() >= 64 * 1024) {
      output.Put(block);
      block.clear();
    }
  }
  block += entries.empty() ? "]" : "\n  ]";
  if (summary) {
    const TListingCounts counts = CountEntries(entries);
    block += ",\n  \"summary\": {\"folders\": " + std::to_string(counts.Folders) +
             ", \"files\": " + std::to_string(counts.Files) +
             ", \"bytes\": " + std::to_string(counts.Bytes) + "}";
  }
  block += "\n}\n";
  output.Put(block);
  return true;
}

}  // namespace arbo
