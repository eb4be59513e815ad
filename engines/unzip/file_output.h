// Writing one extracted file so that nothing half-done is ever left behind: the
// bytes go into a new temporary file beside the destination, which replaces the
// destination only when Commit is called, after the entry decoded and checked
// out. Until then an existing destination is untouched; an output that is
// destroyed without Commit (wrong password, CRC error, cancel, full disk) deletes
// its temporary file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engines/unzip/output_sink.h"
#include "platform/files.h"

namespace engines::unzip {

class SafeFileOutput final : public OutputSink {
 public:
  // Nothing when no temporary file could be created in `folder`; the platform's
  // last error says why.
  [[nodiscard]] static std::unique_ptr<SafeFileOutput> Create(const std::string& folder, std::string destination,
                                                              std::uint32_t seed);
  ~SafeFileOutput() override;
  SafeFileOutput(const SafeFileOutput&) = delete;
  SafeFileOutput& operator=(const SafeFileOutput&) = delete;

  [[nodiscard]] bool Write(std::span<const std::byte> bytes) override;
  // Stamps the DOS date-time, closes the file and moves it over the destination.
  // On failure the temporary file is gone and the destination as it was; the
  // platform's last error says why.
  [[nodiscard]] bool Commit(std::uint32_t dosDateTime);

 private:
  SafeFileOutput(std::string temporaryPath, std::string destination, platform::FileHandle handle);
  void Discard();

  std::string temporaryPath_;
  std::string destination_;
  platform::FileHandle handle_;
  bool finished_ = false;
};

}  // namespace engines::unzip
