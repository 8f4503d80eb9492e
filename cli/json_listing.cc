// The JSON document and the summary line of arbo, both made from the entry list after the
// run has ordered it.
#include "json_listing.h"

#include <algorithm>
#include <cstdio>

#include "columns.h"
#include "json_system.h"
#include "json_text.h"
#include "utf8.h"

namespace arbo {
namespace {

// A folder whose contents could not be read says why, in the words of its line's mark.
std::optional<std::string_view> UnreadReason(const ramilux::TFileObject& entry) {
  if (entry.Attr() & ramilux::kAttrUnreadDenied) return "acc\xC3\xA8s refus\xC3\xA9";
  if (entry.Attr() & ramilux::kAttrUnreadOther) return "illisible";
  return std::nullopt;
}

bool IsFolder(const ramilux::TFileObject& entry) {
  return (entry.Attr() & ramilux::kAttrDirectory) != 0;
}

void AppendQuoted(std::string& out, std::string_view text) {
  ramilux::AppendJsonQuoted(out, text);
}

using ramilux::AppendBytesField;

// "2003-01-10T11:00:04+01:00", without the offset when there is none.
std::string IsoTime(const ramilux::TDateTime& when, std::optional<int> offset) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.Year, when.Month, when.Day,
                when.Hour, when.Minute, when.Second);
  std::string iso = text;
  if (offset) {
    const int minutes = *offset < 0 ? -*offset : *offset;
    std::snprintf(text, sizeof text, "%c%02d:%02d", *offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    iso += text;
  }
  return iso;
}

bool SameTime(const ramilux::TDateTime& a, const ramilux::TDateTime& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour &&
         a.Minute == b.Minute && a.Second == b.Second;
}

}  // namespace

// The packed local time with the offset of its instant. Where the packed time cannot
// tell the instant (the hour repeated when summer time ends) or cannot hold it (before
// 1980, after 2107), the file's time is read again, and taken while it still agrees with
// what the walk saw: a file changed since then keeps the walk's time.
std::optional<std::string> ModifiedTime(std::string_view root, const ramilux::TFileObject& entry,
                                        std::string_view folder) {
  ramilux::TDateTime when;
  const bool packed = ramilux::DecodePackedTime(entry.Time, when);
  const TUtcOffsets offsets = packed ? UtcOffsetsOf(when) : TUtcOffsets{};
  if (packed && offsets.Count == 1) return IsoTime(when, offsets.Minutes[0]);
  std::string path(root);
  path.append(folder);
  path.append(entry.Name);
  if (std::optional<TLocalInstant> exact = ReadLocalTime(path)) {
    exact->Local.Second &= ~1;  // the two-second steps of every other time
    const bool outside = exact->Local.Year < 1980 || exact->Local.Year > 2107;
    if (packed ? SameTime(exact->Local, when) : outside && entry.Time == 0) {
      return IsoTime(exact->Local, exact->OffsetMinutes);
    }
  }
  if (!packed) return std::nullopt;
  return IsoTime(when, offsets.Count > 0 ? std::optional<int>(offsets.Minutes[offsets.Count - 1])
                                         : std::nullopt);
}

namespace {

// One entry as one line of the document.
class TEntryWriter {
 public:
  // `totals`: the listing whose folders' totals go with them, null without totals.
  TEntryWriter(std::string_view root, char separator, const ramilux::TListing* totals)
      : root_(root), separator_(separator), totals_(totals) {}

  void Append(std::string& out, const ramilux::TFileObject& entry) {
    // The names are UTF-8 (the run is made in UTF-8), where a separator byte can only be
    // the separator.
    // The entry's folder relative to the root, ending in the separator, made from the
    // walk's folder records.
    folder_.clear();
    entry.Directory().AppendText(folder_);
    path_.assign(folder_);
    path_ += entry.Name;
    if (separator_ != '/') std::replace(path_.begin(), path_.end(), separator_, '/');
    out += "    {\"path\": ";
    AppendQuoted(out, path_);
    out += ", \"name\": ";
    AppendQuoted(out, entry.Name);
    out += IsFolder(entry) ? ", \"type\": \"folder\"" : ", \"type\": \"file\"";
    out += ", \"depth\": ";
    out += std::to_string(entry.Directory().Depth() + 1);
    if (!IsFolder(entry) && !(entry.Attr() & ramilux::kAttrSizeUnknown)) {
      out += ", \"size\": ";
      out += std::to_string(entry.Size);
    }
    if (std::optional<std::string> when = ModifiedTime(root_, entry, folder_)) {
      out += ", \"modified\": \"";
      out += *when;
      out += '"';
    }
    if (std::optional<std::string_view> reason = UnreadReason(entry)) {
      out += ", \"reason\": ";
      AppendQuoted(out, *reason);
    }
    if (totals_ && IsFolder(entry)) AppendTotals(out, totals_->FolderTotals(entry));
    AppendBytesField(out, "name_bytes", entry.Name);
    AppendBytesField(out, "path_bytes", path_);
    out += '}';
  }

 private:
  static void AppendTotals(std::string& out, const ramilux::TFolderTotals& totals) {
    out += ", \"total_size\": " + std::to_string(totals.Size);
    out += ", \"total_files\": " + std::to_string(totals.Files);
    out += ", \"total_folders\": " + std::to_string(totals.Folders);
    out += totals.Incomplete ? ", \"complete\": false" : ", \"complete\": true";
  }

  std::string_view root_;
  char separator_;
  const ramilux::TListing* totals_;
  std::string folder_, path_;
};

}  // namespace

TListingCounts CountEntries(const ramilux::TEntryList& entries) {
  TListingCounts counts;
  for (const ramilux::TFileObject& entry : entries.Items) {
    if (IsFolder(entry)) {
      ++counts.Folders;
    } else {
      ++counts.Files;
      if (!(entry.Attr() & ramilux::kAttrSizeUnknown)) counts.Bytes += entry.Size;
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
  AppendBytesField(block, "root_bytes", listing.Directory());
  block += ",\n  \"entries\": [";
  TEntryWriter writer(listing.Directory(), separator, listing.TotalsOn() ? &listing : nullptr);
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
