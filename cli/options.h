// arbo's command line: the options as the window's controls would hold them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console_output.h"

namespace arbo {

enum class TSizeDirection { None, AtLeast, AtMost };
enum class TOutputFormat { Text, Json, Csv, Html, Markdown };

struct TArboOptions {
  std::string Folder;
  bool Files = false;                                   // CbxFile
  std::optional<std::string> Mask;                      // CbxMask checked and the text of EdtMask
  TSizeDirection SizeDirection = TSizeDirection::None;  // CbxMinSize, RbnHigher / RbnLower
  std::string SizeText;                                 // EdtMinSize, in kilobytes
  bool SizeColumn = false;                              // CbxSize
  bool DateColumn = false;                              // CbxDateTime
  int SortIndex = 0;                                    // RgpSort: 0 alpha, 1 size, 2 date
  TEncodingChoice Encoding = TEncodingChoice::Utf8;
  std::optional<std::string> OutputFile;
  bool Help = false;
  bool Json = false;                           // one JSON document instead of the lines
  TOutputFormat Format = TOutputFormat::Text;  // --format; Json above follows it
  char CsvSeparator = ',';                     // --csv-separator
  int MaxDepth = 0;                            // levels below the folder that are listed; 0: all
  std::optional<std::string> Exclude;          // masks of names left out, files and folders
  bool Summary = false;                        // a closing line with the counts
  bool Totals = false;                         // each folder's totals on its line
  std::optional<std::string> Snapshot;         // --snapshot: the file to write, of Folder
  std::optional<std::string> From;             // --from: the snapshot listed instead of a folder
  std::optional<std::string> Compare;          // --compare: the old snapshot; Folder the new side
  bool All = false;                            // --compare lists unchanged entries too
};

// Reads the arguments after the program's name. False with a one-line message when they
// are not understood.
bool ParseArguments(const std::vector<std::string>& arguments, TArboOptions& options,
                    std::string& error);

std::string UsageText();

}  // namespace arbo
