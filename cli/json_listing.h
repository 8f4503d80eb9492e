// arbo --json: the ordered entries of a finished run as one JSON document, written entry
// by entry as the lines would be, never held whole in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console_output.h"
#include "listing.h"
#include "system.h"

namespace arbo {

// Counts of what a listing holds, for --summary.
struct TListingCounts {
  int64_t Folders = 0;
  int64_t Files = 0;
  int64_t Bytes = 0;  // of the files
};

TListingCounts CountEntries(const ramilux::TEntryList& entries);
// "N dossiers, M fichiers, T Ko", the size as the size column writes it.
std::string SummaryLine(const ramilux::TListing& listing, const TListingCounts& counts);

// Writes the document: the root, the entries in list order, and with `summary` the
// counts; `separator` is the file system's, as the entries' folders hold it. Returns
// early, false, when Ctrl-C comes; the output's own failures show in output.Error() at
// its Finish.
bool WriteJsonListing(const ramilux::TListing& listing, char separator, bool summary,
                      TConsoleOutput& output);

// An entry's last-write time as the document gives it: ISO 8601, local, with the offset of
// its instant; `folder` is its folder below `root`, as the entry's records spell it.
std::optional<std::string> ModifiedTime(std::string_view root, const ramilux::TFileObject& entry,
                                        std::string_view folder);

// Where the run's lines go when the JSON document replaces them.
class TNowhereTarget final : public TOutputTarget {
 public:
  bool Write(const char*, size_t, std::string&) override { return true; }
  bool Commit(std::string&) override { return true; }
};

}  // namespace arbo
