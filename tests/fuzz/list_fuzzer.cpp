// libFuzzer target: the archive directory reader on arbitrary bytes.
//
// Each input becomes the archive file that an unattended component lists when
// ZipFileName is assigned, exactly as the tool and the installer use it. Then
// everything a caller may read afterwards is read: the comment, every entry
// field, and both listings of the tool, which walk all of it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tools/command_list.h"
#include "zipbuilder/zip_builder.h"

namespace {

// The archive lives alone in a folder made for this process: a spanned
// directory makes the reader look for part files next to the archive, and those
// must never be somebody else's files.
class ScratchArchive {
 public:
  ScratchArchive() {
    if (platform::GetTempFileName(platform::GetTempPath(), "lfz", 0, folder_) == 0 ||
        !platform::DeleteFile(folder_) || !platform::CreateDirectory(folder_)) {
      std::abort();
    }
    path_ = folder_ + "\\archive.zip";
  }

  ~ScratchArchive() {
    static_cast<void>(platform::DeleteFile(path_));
    static_cast<void>(platform::RemoveDirectory(folder_));
  }

  ScratchArchive(const ScratchArchive&) = delete;
  ScratchArchive& operator=(const ScratchArchive&) = delete;

  [[nodiscard]] const std::string& Path() const { return path_; }

  // Overwrites in place and cuts the rest: a file truncated to nothing and
  // written again is flushed to the disk on close by ext4, which would make
  // every run wait for the disk.
  void Write(const std::uint8_t* data, std::size_t size) const {
    const platform::FileHandle file = platform::CreateFile(path_, platform::FileAccess::Write,
                                                           platform::FileShare::None,
                                                           platform::FileCreation::OpenAlways);
    std::uint32_t written = 0;
    const bool complete = file != platform::InvalidFileHandle &&
                          platform::WriteFile(file, data, static_cast<std::uint32_t>(size), written) &&
                          written == size && platform::SetEndOfFile(file);
    platform::CloseHandle(file);
    if (!complete) {
      std::abort();
    }
  }

 private:
  std::string folder_;
  std::string path_;
};

const ScratchArchive& Scratch() {
  static const ScratchArchive scratch;
  return scratch;
}

// Every field by value (the entry is packed), so that a bad record shows up
// here under the sanitizers rather than in some later caller.
std::uint64_t DigestOfEntries(const zipbuilder::TZipBuilder& component) {
  std::uint64_t digest = component.ArchiveComment().size();
  for (const auto& entry : component.DirEntries()) {
    digest += entry->VersionMadeBy + entry->HostSystem + entry->VersionNeeded + entry->Flags + entry->Method;
    digest += entry->DosDateTime + entry->Crc32 + entry->CompressedSize + entry->UncompressedSize;
    digest += entry->NameLength + entry->ExtraLength + entry->CommentLength + entry->DiskStart;
    digest += entry->InternalAttributes + entry->ExternalAttributes + entry->LocalHeaderOffset;
    digest += entry->FileName.size() + entry->FileComment.size() + entry->ExtraData.size() + entry->Encrypted;
    for (const std::uint8_t byte : entry->ExtraData) {
      digest += byte;
    }
  }
  return digest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ScratchArchive& scratch = Scratch();
  scratch.Write(data, size);

  zipbuilder::TZipBuilder component;
  component.SetUnattended(true);
  // Both settings, picked by something the fuzzer controls without having to
  // spend archive bytes on it.
  component.SetUseDirOnlyEntries(size % 2 == 1);
  component.SetZipFileName(scratch.Path());

  volatile std::uint64_t sink = DigestOfEntries(component);
  sink = sink + tools::RenderListingJson(component).size();
  sink = sink + tools::RenderListingTable(component, scratch.Path()).size();
  return 0;
}
