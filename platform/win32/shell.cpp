#include "platform/shell.h"

#include <string>

#include "platform/file_faults.h"
#include "platform/win32/windows_api.h"

namespace platform {

int ShellDeleteFile(std::string_view path, DeleteMode mode) {
  if (file_faults::ShouldFail(mode == DeleteMode::ToRecycleBin ? file_faults::Operation::Recycle
                                                               : file_faults::Operation::Delete)) {
    return static_cast<int>(GetLastError());
  }
  // SHFileOperation takes a list of names, each zero-terminated, ended by an empty name.
  std::string names(path);
  names.append(2, '\0');

  SHFILEOPSTRUCTA operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = names.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  if (mode == DeleteMode::ToRecycleBin) {
    operation.fFlags |= FOF_ALLOWUNDO;
  }
  return ::SHFileOperationA(&operation);
}

}  // namespace platform
