// The size and date columns of the listing's lines, appended straight to the block of
// lines: no string of their own per line, and each date and each time of day asked of the
// locale once per output, since a million files share a few thousand of each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_object.h"
#include "ports.h"

namespace ramilux {

// A packed date and time taken apart; false when it is no real date and time.
bool DecodePackedTime(uint32_t time, TDateTime& when);

// Kilobytes with two decimals rounded half away from zero, in exact integer arithmetic.
void AppendSizeText(std::string& out, int64_t size, std::string_view decimalSeparator);

class TColumnTexts {
 public:
  explicit TColumnTexts(const TTextServices& text);

  void AppendSize(std::string& out, int64_t size) const { AppendSizeText(out, size, decimal_); }
  // A folder's totals: "12,34 Ko  3 fichiers  1 dossier", after "au moins " when some of
  // what it holds could not be read or sized.
  void AppendTotals(std::string& out, const TFolderTotals& totals) const;
  // Appends the date, and the time unless it is midnight; false (nothing appended) when
  // the time does not decode to a real date and time or the locale's text is empty.
  bool AppendDateTime(std::string& out, uint32_t time);

 private:
  // The locale's texts by a 16-bit part of the packed value, each formatted once.
  class TTextTable {
   public:
    template <typename TFormat>
    std::string_view Get(uint16_t key, TFormat format);

   private:
    std::vector<uint32_t> where_;  // per key: 0 when not formatted yet, else end in pool_
    std::vector<uint16_t> length_;
    std::string pool_;
    std::string spare_;
  };

  const TTextServices& text_;
  std::string decimal_;
  TTextTable dates_;
  TTextTable times_;
};

}  // namespace ramilux
