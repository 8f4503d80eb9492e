// A small strict JSON reader that pulls one value at a time from a stream, for documents of
// a known shape: nothing is kept but the value being read, so a file of any length reads in
// the memory of its longest string.
#pragma once

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>

namespace ramilux {

// What went wrong: the document ended too early, or it is no JSON of the expected shape.
class TJsonFault : public std::runtime_error {
 public:
  TJsonFault(bool truncated, const std::string& what)
      : std::runtime_error(what), Truncated(truncated) {}
  bool Truncated;
};

class TJsonPull {
 public:
  explicit TJsonPull(std::istream& in) : in_(in) {}

  // Each step throws TJsonFault when the document does not go on as expected.
  void Expect(char c);
  // Takes `c` when it comes next (after blanks).
  bool Accept(char c);
  // The next member's name of an object just opened by Expect('{') (`first`) or going on;
  // "" when the object closes instead.
  std::string Member(bool first);
  std::string String();
  int64_t Integer();
  bool Boolean();
  // Nothing but blanks is left.
  void End();
  // Fails at the current place.
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  int Next();  // the next byte, -1 at the end
  int Peek();
  int Blank();  // skips blanks, peeks
  void AppendEscape(std::string& out);
  unsigned Hex4();

  std::istream& in_;
  char buffer_[64 * 1024];
  size_t at_ = 0, size_ = 0;
  uint64_t offset_ = 0;  // of buffer_[0] in the stream
  bool ended_ = false;
};

}  // namespace ramilux
