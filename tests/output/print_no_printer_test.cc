// The printer layer's refusals: no printer at all, a printer without a device context.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "print_test_support.h"
#include "printer.h"
#include "printers.h"
#include "printing.h"

namespace ramilux {
namespace {

constexpr char kChildFlag[] = "RAMILUX_PRINT_CHILD";

// A printer taken out of the prefix for the length of a test, put back afterwards.
class RemovedPrinter {
 public:
  explicit RemovedPrinter(const char* name) {
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &printer, &access)) return;
    DWORD size = 0;
    GetPrinterA(printer, 2, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (GetPrinterA(printer, 2, buffer.data(), size, &size)) {
      auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
      name_ = info->pPrinterName;
      port_ = info->pPortName;
      driver_ = info->pDriverName;
      attributes_ = info->Attributes;
      removed_ = DeletePrinter(printer);
    }
    ClosePrinter(printer);
  }
  ~RemovedPrinter() {
    if (!removed_) return;
    PRINTER_INFO_2A info{};
    info.pPrinterName = name_.data();
    info.pPortName = port_.data();
    info.pDriverName = driver_.data();
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    info.Attributes = attributes_;
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    EXPECT_NE(printer, nullptr) << "the test printer could not be put back";
    if (printer) ClosePrinter(printer);
    SetDefaultPrinterA(name_.c_str());
  }
  RemovedPrinter(const RemovedPrinter&) = delete;
  RemovedPrinter& operator=(const RemovedPrinter&) = delete;

  bool removed() const { return removed_; }

 private:
  std::string name_, port_, driver_;
  DWORD attributes_ = 0;
  bool removed_ = false;
};

struct ChildRun {
  DWORD exitCode = 1;
  std::string output;
};

// Runs this suite again with `filter`, the child flag and a CUPS server that is not
// there (Wine reads CUPS when a program starts), and collects its output.
ChildRun RunChild(const std::string& filter) {
  ChildRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string command = "\"" + std::string(exe) + "\" --gtest_filter=" + filter;
  SetEnvironmentVariableA(kChildFlag, "1");
  SetEnvironmentVariableA("CUPS_SERVER", "127.0.0.1:9");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &process);
  SetEnvironmentVariableA(kChildFlag, nullptr);
  SetEnvironmentVariableA("CUPS_SERVER", nullptr);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
    WaitForSingleObject(process.hProcess, 120000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return run;
}

bool InChild() {
  return GetEnvironmentVariableA(kChildFlag, nullptr, 0) > 0;
}

// The print button, every dialog answered by its first button, shows one box with
// `text` (no print dialog) and prints nothing.
void ExpectRefusedWith(const std::string& text) {
  test::ViewWindow window;
  window.SetLines(test::ListingLines(10));
  test::PrintedJobs jobs;
  std::vector<test::SeenDialog> seen;
  {
    test::DialogDriver driver([](HWND dialog) { test::PressButton(dialog, IDOK); });
    SbnPrintClick(window.owner(), window.view());
    seen = driver.seen();
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(seen[0].printDialog);
  EXPECT_EQ(seen[0].text, text);
  EXPECT_TRUE(jobs.NewJobFiles(0).empty());
}

TEST(PrintWithoutPrinter, SaysNoDefaultPrinterAndOpensNoDialog) {
  if (InChild()) {
    DWORD size = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &size,
                  &count);
    ASSERT_EQ(size, 0u) << "the child still sees a printer";
    ExpectRefusedWith("Aucune imprimante par défaut sélectionnée");
    return;
  }
  RemovedPrinter removed(test::kTestPrinter);
  ASSERT_TRUE(removed.removed());
  ChildRun child = RunChild("PrintWithoutPrinter.*");
  EXPECT_EQ(child.exitCode, 0u) << child.output;
  EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
}

// A printer whose driver lost its PPD: listed, but no device context can be made for it.
// Removed again afterwards.
class BrokenPrinter {
 public:
  static constexpr char kName[] = "Ramilux Broken";

  BrokenPrinter() {
    std::string ppd = std::string(test::kPrintedFolder) + "\\ramilux-broken.ppd";
    HANDLE file = CreateFileA(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "*PPD-Adobe: \"4.3\"\n", 18, &written, nullptr);
    CloseHandle(file);
    test::AddPostScriptDriver(kName, ppd);
    // The driver keeps its own copy of the PPD: take both away.
    char folder[MAX_PATH] = {};
    DWORD size = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder,
                               &size);
    DeleteFileA((std::string(folder) + "\\3\\ramilux-broken.ppd").c_str());
    DeleteFileA(ppd.c_str());
    added_ = test::AddLocalPrinter(kName, "LPT1:");
  }
  ~BrokenPrinter() {
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterA(const_cast<char*>(kName), &printer, &access)) {
      DeletePrinter(printer);
      ClosePrinter(printer);
    }
    DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kName));
  }
  BrokenPrinter(const BrokenPrinter&) = delete;
  BrokenPrinter& operator=(const BrokenPrinter&) = delete;

  bool added() const { return added_; }

 private:
  bool added_ = false;
};

TEST(PrintOnBrokenPrinter, SaysTheDefaultPrinterIsInvalid) {
  if (InChild()) {
    ExpectRefusedWith("Imprimante sélectionnée incorrecte");
    return;
  }
  // In a new process, whose printer object has not chosen a printer yet.
  BrokenPrinter broken;
  ASSERT_TRUE(broken.added());
  ASSERT_EQ(CreateDCA("WINSPOOL", BrokenPrinter::kName, nullptr, nullptr), nullptr);
  SetDefaultPrinterA(BrokenPrinter::kName);
  ChildRun child = RunChild("PrintOnBrokenPrinter.*");
  SetDefaultPrinterA(test::kTestPrinter);
  EXPECT_EQ(child.exitCode, 0u) << child.output;
  EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
}

}  // namespace
}  // namespace ramilux
