// Writing one extracted file so that nothing half-done is ever left behind: the
// bytes go through a platform::SafeSave into a new temporary file beside the
// destination, which replaces the destination only when Commit is called, after
// the entry decoded and checked out. Until then an existing destination is
// untouched; an output that is destroyed without Commit (wrong password, CRC
// error, cancel, full disk) deletes its temporary file.
//
// Extracted files are not flushed to the device one by one: an extracted file can
// be extracted again, and its move into place still shows the complete old or the
// complete new file; a device flush per file would cost far more than the
// extraction itself. So a file costs create, writes, date, close and move.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engines/unzip/output_sink.h"
#include "platform/safe_save.h"

namespace engines::unzip {

class SafeFileOutput final : public OutputSink {
 public:
  // Nothing when no temporary file could be created beside `destination`; the
  // platform's last error says why.
  [[nodiscard]] static std::unique_ptr<SafeFileOutput> Create(const std::string& destination);
  SafeFileOutput(const SafeFileOutput&) = delete;
  SafeFileOutput& operator=(const SafeFileOutput&) = delete;

  [[nodiscard]] bool Write(std::span<const std::byte> bytes) override;
  // Stamps the DOS date-time, closes the file and moves it over the destination.
  // On failure the temporary file is gone and the destination as it was; the
  // platform's last error says why.
  [[nodiscard]] bool Commit(std::uint32_t dosDateTime);

 private:
  explicit SafeFileOutput(platform::SafeSave save) : save_(std::move(save)) {}

  platform::SafeSave save_;
};

}  // namespace engines::unzip
