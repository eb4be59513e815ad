#include "platform/links.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/posix/last_error.h"
#include "platform/posix/path_mapping.h"

namespace platform {

std::optional<std::string> GetFinalPathName(std::string_view path) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return std::nullopt;
  }
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(nativePath->c_str(), nullptr), &std::free);
  if (!resolved) {
    posix::SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  return std::string(resolved.get());
}

}  // namespace platform
