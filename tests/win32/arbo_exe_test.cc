// arbo.exe end to end under Wine: names outside the ANSI code page in both encodings.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "temp_tree.h"

namespace ramilux {
namespace {

struct TArboExeResult {
  DWORD Status = ~0u;
  std::string Out;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Runs the arbo.exe beside this test program with `arguments`, its output into a file.
TArboExeResult RunArboExe(const std::string& arguments, const std::string& outPath) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string program = self;
  program = program.substr(0, program.find_last_of('\\') + 1) + "arbo.exe";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = out;
  start.hStdError = out;
  PROCESS_INFORMATION process{};
  std::string line = "\"" + program + "\" " + arguments;
  TArboExeResult result;
  if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &start, &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &result.Status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  result.Out = ReadWhole(outPath);
  return result;
}

TEST(ArboExe, NameOutsideTheCodePageAsBestFitInAnsiAndExactInUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "run with LANG=fr_FR.UTF-8";
  test::TTempTree tree, captures;
  tree.Folder(std::wstring(L"\u0141\u00F3d\u017A"));
  tree.File(std::wstring(L"\u0141\u00F3d\u017A\\plan.txt"), "p");
  const std::string root = tree.Root().substr(0, tree.Root().size() - 1);
  const struct {
    const char* Encoding;
    std::string Expected;
  } rows[] = {
      {"ansi", "\xC0\xC4 L\xF3" "dz\r\n   \xC0\xC4 plan.txt\r\n"},
      {"utf8", "\u2514\u2500 \u0141\u00F3d\u017A\n   \u2514\u2500 plan.txt\n"},
  };
  for (const auto& row : rows) {
    const TArboExeResult result = RunArboExe(
        std::string("-f --encoding ") + row.Encoding + " \"" + root + "\"", captures.Path("out"));
    EXPECT_EQ(result.Status, 0u) << row.Encoding << ": " << result.Out;
    EXPECT_TRUE(result.Out.ends_with(row.Expected)) << row.Encoding << ": " << result.Out;
  }
}

}  // namespace
}  // namespace ramilux
