// A real folder tree under %TEMP% for the Win32 tests, removed with everything in it
// when the test ends; and folder links, made whichever way the system allows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ramilux::test {

class TTempTree {
 public:
  TTempTree();
  TTempTree(const TTempTree&) = delete;
  TTempTree& operator=(const TTempTree&) = delete;
  ~TTempTree();

  // The root, ending in a backslash.
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + relative; }

  void Folder(const std::string& relative) const;
  void File(const std::string& relative, const std::string& content = "") const;
  // The same for names the ANSI code page cannot hold.
  void Folder(const std::wstring& relative) const;
  void File(const std::wstring& relative, const std::string& content = "") const;
  // A file of `size` bytes made by moving its end: sparse where the file system allows.
  void FileOfSize(const std::string& relative, int64_t size) const;
  void Attributes(const std::string& relative, DWORD attributes) const;
  // Sets the last-write time to the given local date and time.
  void WriteTime(const std::string& relative, const SYSTEMTIME& local) const;

 private:
  std::string root_;
};

// Makes `link` a folder link to `target` (absolute paths): a directory symbolic link,
// else a junction, else, under Wine (which has neither), a Unix symbolic link, which
// Windows programs see as a folder with the reparse-point bit. False when none works.
bool MakeFolderLink(const std::string& link, const std::string& target);
// Removes the link itself, never what it points at.
void RemoveFolderLink(const std::string& link);

// Removes a folder and everything in it, without following links.
void RemoveTree(const std::string& folder);

}  // namespace ramilux::test
