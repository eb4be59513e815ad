// Shared libraries through dlopen, found the way Windows finds a DLL: a bare name
// is searched in the program's folder, the current folder and then PATH, without
// regard to letter case, and gets ".dll" when it has no extension.
#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/posix/last_error.h"
#include "platform/posix/path_mapping.h"

namespace platform {

namespace {

std::atomic<std::uint32_t> processErrorMode{0};

bool HasFolderPart(std::string_view name) {
  return name.find_first_of("/\\") != std::string_view::npos || posix::DriveLetterOf(name).has_value();
}

// Windows appends ".dll" to a name without extension; a trailing "." means "no
// extension, add none".
std::string WithDefaultExtension(std::string_view name) {
  const std::size_t lastSeparator = name.find_last_of("/\\");
  const std::string_view fileName = lastSeparator == std::string_view::npos ? name : name.substr(lastSeparator + 1);
  if (!fileName.empty() && fileName.back() == '.') {
    return std::string(name.substr(0, name.size() - 1));
  }
  if (fileName.find('.') == std::string_view::npos) {
    return std::string(name) + ".dll";
  }
  return std::string(name);
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) {
    return {};
  }
  const std::string program(buffer.data(), static_cast<std::size_t>(length));
  return program.substr(0, program.find_last_of('/'));
}

std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders{ProgramFolder(), posix::CurrentFolder()};
  if (const char* path = std::getenv("PATH")) {
    const std::string_view entries(path);
    std::size_t start = 0;
    while (start <= entries.size()) {
      const std::size_t end = std::min(entries.find(':', start), entries.size());
      if (end > start) {
        folders.emplace_back(entries.substr(start, end - start));
      }
      start = end + 1;
    }
  }
  return folders;
}

std::optional<std::string> FindLibrary(const std::string& name) {
  if (HasFolderPart(name)) {
    return posix::ToNativePath(name);
  }
  for (const std::string& folder : SearchFolders()) {
    if (folder.empty()) {
      continue;
    }
    if (const std::optional<std::string> found = posix::FindIgnoringCase(folder, name)) {
      return posix::JoinPath(folder, *found);
    }
  }
  return std::nullopt;
}

}  // namespace

LibraryHandle LoadLibrary(std::string_view nameOrPath) {
  if (nameOrPath.empty()) {
    SetLastError(win32_error::InvalidParameter);
    return nullptr;
  }
  const std::optional<std::string> file = FindLibrary(WithDefaultExtension(nameOrPath));
  if (!file || access(file->c_str(), F_OK) != 0) {
    SetLastError(win32_error::ModuleNotFound);
    return nullptr;
  }
  void* library = dlopen(file->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    SetLastError(posix::BadExecutableFormat);
  }
  return library;
}

void* GetProcAddress(LibraryHandle library, const char* entryName) {
  if (library == nullptr || entryName == nullptr) {
    SetLastError(win32_error::InvalidHandle);
    return nullptr;
  }
  dlerror();
  void* entry = dlsym(library, entryName);
  if (entry == nullptr) {
    SetLastError(win32_error::ProcedureNotFound);
  }
  return entry;
}

bool FreeLibrary(LibraryHandle library) {
  if (library == nullptr || dlclose(library) != 0) {
    SetLastError(win32_error::InvalidHandle);
    return false;
  }
  return true;
}

std::uint32_t SetErrorMode(std::uint32_t mode) {
  return processErrorMode.exchange(mode);
}

}  // namespace platform
