// The CSV, HTML and Markdown outputs of arbo, made by the engine's line writers.
#include "format_listing.h"

#include "json_listing.h"
#include "line_writers.h"

namespace arbo {

bool WriteFormattedListing(ramilux::TListing& listing, char separator, const TArboOptions& options,
                           TConsoleOutput& output) {
  // The run is in UTF-8: its names are the exact ones and need no conversion.
  const ramilux::TLineContext context{listing, nullptr, separator};
  bool interrupted = false;
  const ramilux::TTextSink sink = [&](std::string_view text) {
    interrupted = interrupted || Interrupted();
    if (!interrupted) output.Put(text);
  };
  if (options.Format == TOutputFormat::Csv) {
    ramilux::TCsvOptions csv;
    csv.Separator = options.CsvSeparator;
    std::string folder;
    // The same time as the JSON document's, offset included.
    csv.Modified = [&](const ramilux::TFileObject& entry) {
      folder.clear();
      entry.Directory().AppendText(folder);
      return ModifiedTime(listing.Directory(), entry, folder);
    };
    ramilux::WriteCsv(context, csv, sink);
  } else if (options.Format == TOutputFormat::Html) {
    ramilux::WriteHtmlDocument(context, sink);
  } else {
    ramilux::WriteMarkdown(context, "\n", sink);
  }
  return !interrupted;
}

}  // namespace arbo
