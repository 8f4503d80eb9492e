// The listing's bytes on their way out: buffered in large writes, and in the utf8
// encoding with the connector bytes of each line's prefix drawn as UTF-8 box characters
// and CR LF turned into LF.
#pragma once

#include <string>
#include <string_view>

#include "system.h"

namespace arbo {

enum class TEncodingChoice { Utf8, Ansi };

class TConsoleOutput {
 public:
  TConsoleOutput(TOutputTarget& target, TEncodingChoice encoding);

  // Takes whole lines, each ending in CR LF, as the view receives them. False once the
  // target has failed; Error() then says why.
  bool Put(std::string_view text);
  // Writes what is buffered and gives the target its final name.
  bool Finish();
  const std::string& Error() const { return error_; }

 private:
  void PutUtf8Line(std::string_view line);
  size_t PutPrefix(std::string_view line);
  bool Flush();

  TOutputTarget& target_;
  TEncodingChoice encoding_;
  // The connector groups as UTF-8 box characters.
  const std::string_view bar_, branch_, corner_;
  std::string buffer_;
  bool atLineStart_ = true;
  bool failed_ = false;
  std::string error_;
};

}  // namespace arbo
