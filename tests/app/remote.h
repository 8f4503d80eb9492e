// Reaching into another process's window: the window of a class in a process, and a
// buffer in that process's memory for the messages that carry a pointer.
#pragma once

#include <windows.h>
// The system's headers that need <windows.h>.
// clang-format off
#include <richedit.h>
// clang-format on

#include <string>

namespace ramilux::test {

// The first visible top-level window of `className` in the process (nullptr after
// `timeoutMs`).
inline HWND WaitForProcessWindow(DWORD processId, const char* className, int timeoutMs) {
  struct TSearch {
    DWORD ProcessId;
    const char* ClassName;
    HWND Found;
  } search{processId, className, nullptr};
  for (int waited = 0; waited <= timeoutMs && !search.Found; waited += 50) {
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<TSearch*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          char name[64] = {};
          GetClassNameA(window, name, sizeof name);
          if (owner == s->ProcessId && std::string(name) == s->ClassName &&
              IsWindowVisible(window)) {
            s->Found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.Found) Sleep(50);
  }
  return search.Found;
}

// Memory in another process, freed with the owner.
class TRemoteBuffer {
 public:
  TRemoteBuffer(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  TRemoteBuffer(const TRemoteBuffer&) = delete;
  TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;
  ~TRemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  bool Write(const void* data, size_t size) {
    return WriteProcessMemory(process_, address_, data, size, nullptr);
  }
  bool Read(void* data, size_t size) const {
    return ReadProcessMemory(process_, address_, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

// The face of a rich edit view in another process, read with EM_GETCHARFORMAT through
// that process's memory.
inline std::string RemoteViewFace(HWND view, DWORD processId) {
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  {
    TRemoteBuffer buffer(process, sizeof format);
    buffer.Write(&format, sizeof format);
    SendMessageA(view, EM_GETCHARFORMAT, SCF_DEFAULT, buffer.Address());
    buffer.Read(&format, sizeof format);
  }
  CloseHandle(process);
  return format.szFaceName;
}

}  // namespace ramilux::test
