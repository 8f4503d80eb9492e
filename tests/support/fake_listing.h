// A listing engine wired to the three fakes, for tests that drive the engine whole.
#pragma once

#include "fake_file_system.h"
#include "fake_text_services.h"
#include "listing.h"
#include "recording_window.h"

namespace ramilux::test {

struct TFakeListing {
  // Backslash paths under "C:\root\" by default; '/' gives POSIX paths under "/root/".
  explicit TFakeListing(char separator = '\\')
      : Files(separator, separator == '/' ? "/root/" : "C:\\root\\") {
    Listing.SetRoot(Files.Root());
  }

  TFakeFileSystem Files;
  TFakeTextServices Text;
  TRecordingWindow Window;
  TListing Listing{TListingPorts{Files, Text, Window, Window, Window}};

  // The Name of every entry, in list order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const TFileObject& e : Listing.Entries().Items) names.emplace_back(e.Name);
    return names;
  }
};

}  // namespace ramilux::test
