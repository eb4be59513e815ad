// The environment as a Windows program under Wine sees it: names are matched
// without regard to letter case, and TEMP and TMP exist even when the POSIX
// environment lacks them (from TMPDIR, else "/tmp"), until the program removes them.
//
// Divisions: looking up variables; expansion; the temporary folder and names.
#include "platform/temp_and_environment.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>
#include <string>

#include "platform/files.h"
#include "platform/posix/path_mapping.h"

extern char** environ;

namespace platform {

namespace {

std::mutex withdrawnDefaultsMutex;
// Upper-case names of the Wine defaults (TEMP, TMP) the program has removed.
std::set<std::string> withdrawnDefaults;

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& character : upper) {
    if (character >= 'a' && character <= 'z') {
      character = static_cast<char>(character - 'a' + 'A');
    }
  }
  return upper;
}

// The name as the POSIX environment spells it, found without regard to case.
std::optional<std::string> EnvironmentName(std::string_view name) {
  if (name.empty()) {
    return std::nullopt;
  }
  const std::string wanted = UpperAscii(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view definition(*entry);
    const std::size_t equals = definition.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      continue;
    }
    if (UpperAscii(definition.substr(0, equals)) == wanted) {
      return std::string(definition.substr(0, equals));
    }
  }
  return std::nullopt;
}

bool IsWineDefault(const std::string& upperName) {
  return upperName == "TEMP" || upperName == "TMP";
}

std::optional<std::string> WineDefault(std::string_view name) {
  const std::string upperName = UpperAscii(name);
  if (!IsWineDefault(upperName)) {
    return std::nullopt;
  }
  {
    const std::lock_guard lock(withdrawnDefaultsMutex);
    if (withdrawnDefaults.contains(upperName)) {
      return std::nullopt;
    }
  }
  if (const char* folder = std::getenv("TMPDIR"); folder != nullptr && *folder != '\0') {
    return std::string(folder);
  }
  return std::string("/tmp");
}

char SeparatorFor(std::string_view folder) {
  const bool windowsStyle = posix::DriveLetterOf(folder).has_value() ||
                            (folder.find('\\') != std::string_view::npos && folder.find('/') == std::string_view::npos);
  return windowsStyle ? '\\' : '/';
}

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) {
    folder.push_back(SeparatorFor(folder));
  }
  return folder;
}

std::string TempFileName(std::string_view folder, std::string_view prefix, std::uint32_t number) {
  char digits[16] = {};
  std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(number));
  return WithTrailingSeparator(std::string(folder)) + std::string(prefix.substr(0, 3)) + digits + ".tmp";
}

}  // namespace

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  if (const std::optional<std::string> spelled = EnvironmentName(name)) {
    return std::string(std::getenv(spelled->c_str()));
  }
  return WineDefault(name);
}

void SetEnvironmentVariable(std::string_view name, const std::optional<std::string>& value) {
  if (name.empty() || name.find('=') != std::string_view::npos) {
    return;
  }
  const std::string upperName = UpperAscii(name);
  if (IsWineDefault(upperName)) {
    const std::lock_guard lock(withdrawnDefaultsMutex);
    if (value) {
      withdrawnDefaults.erase(upperName);
    } else {
      withdrawnDefaults.insert(upperName);
    }
  }
  const std::string spelled = EnvironmentName(name).value_or(std::string(name));
  if (value) {
    setenv(spelled.c_str(), value->c_str(), 1);
  } else {
    unsetenv(spelled.c_str());
  }
}

// Wine's rules: "%NAME%" with a defined NAME becomes its value; an undefined one is
// copied with both "%" and scanning goes on after it; a lone "%" stays.
std::string ExpandEnvironmentStrings(std::string_view text) {
  std::string expanded;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t open = text.find('%', position);
    if (open == std::string_view::npos) {
      expanded.append(text.substr(position));
      break;
    }
    expanded.append(text.substr(position, open - position));
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) {
      expanded.append(text.substr(open));
      break;
    }
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const std::optional<std::string> value = name.empty() ? std::nullopt : GetEnvironmentVariable(name);
    expanded.append(value ? std::string_view(*value) : text.substr(open, close - open + 1));
    position = close + 1;
  }
  return expanded;
}

std::string GetTempPath() {
  std::optional<std::string> folder = GetEnvironmentVariable("TMP");
  if (!folder || folder->empty()) {
    folder = GetEnvironmentVariable("TEMP");
  }
  if (!folder || folder->empty()) {
    folder = "/tmp";
  }
  return WithTrailingSeparator(GetFullPathName(*folder));
}

// As Windows: with `unique` 0, numbers are tried from the clock onwards until a file
// can be created new; another failure than an existing file ends the search.
std::uint32_t GetTempFileName(std::string_view folder, std::string_view prefix, std::uint32_t unique,
                              std::string& fileName) {
  if (unique != 0) {
    fileName = TempFileName(folder, prefix, unique & 0xFFFFu);
    return unique;
  }
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint32_t number = static_cast<std::uint32_t>((now.tv_sec * 1000 + now.tv_nsec / 1'000'000) ^ getpid()) & 0xFFFFu;
  for (std::uint32_t attempt = 0; attempt < 0x10000u; ++attempt) {
    if (number == 0) {
      number = 1;
    }
    const std::string candidate = TempFileName(folder, prefix, number);
    const FileHandle file = CreateFile(candidate, FileAccess::Write, FileShare::None, FileCreation::CreateNew);
    if (file != InvalidFileHandle) {
      CloseHandle(file);
      fileName = candidate;
      return number;
    }
    if (GetLastError() != win32_error::FileExists) {
      return 0;
    }
    number = (number + 1) & 0xFFFFu;
  }
  return 0;
}

}  // namespace platform
