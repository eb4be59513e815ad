#include "platform/shell.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace platform {

int ShellDeleteFile(std::string_view path, DeleteMode mode) {
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
