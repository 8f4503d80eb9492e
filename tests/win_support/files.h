// Files the Windows tests make, read and take away again, and Unix programs run from
// Wine to read them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ramilux::test {

// Removes a folder with everything below it, read-only files included.
void RemoveTree(const std::string& path);

// A fresh folder in the temporary folder, removed with what it holds.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // with a trailing backslash

 private:
  std::string path_;
};

std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> FilesIn(const std::string& folder);

// The Unix path of a Windows path under Wine; nothing on Windows itself.
std::optional<std::string> UnixPath(const std::string& windowsPath);

// Runs a Unix program (Wine starts ELF files natively) and returns its standard output;
// nothing when it has not ended after `timeoutMs`.
std::optional<std::string> RunUnixProgram(const std::string& program,
                                          const std::vector<std::string>& args,
                                          int timeoutMs = 30000);

}  // namespace ramilux::test
