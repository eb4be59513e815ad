// The component's events. Every handler receives the component as Sender; a
// parameter passed by non-const reference is in/out: the handler may change it
// and the component reads it back. An event without a handler is not raised.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "zipbuilder/component_types.h"
#include "zipbuilder/zip_dir_entry.h"

namespace zipbuilder {

class TZipBuilder;

using TNotifyEvent = std::function<void(TZipBuilder& Sender)>;

using TProgressEvent = std::function<void(TZipBuilder& Sender, ProgressType ProgrType,
                                          const std::string& FileName, std::int32_t FileSize)>;

using TMessageEvent = std::function<void(TZipBuilder& Sender, int ErrCode, const std::string& Message)>;

using TSetNewNameEvent = std::function<void(TZipBuilder& Sender, std::string& OldFileName, bool& IsChanged)>;

using TNewNameEvent = std::function<void(TZipBuilder& Sender, int SeqNo, ZipDirEntry& ZipEntry)>;

using TPasswordErrorEvent =
    std::function<void(TZipBuilder& Sender, bool IsZipAction, std::string& NewPassword, const std::string& ForFile,
                       std::uint32_t& RepeatCount, TPasswordButton& Action)>;

using TCRC32ErrorEvent = std::function<void(TZipBuilder& Sender, const std::string& ForFile, std::uint32_t FoundCRC,
                                            std::uint32_t ExpectedCRC, bool& DoExtract)>;

using TExtractOverwriteEvent = std::function<void(TZipBuilder& Sender, const std::string& ForFile, bool IsOlder,
                                                  bool& DoOverwrite, int DirIndex)>;

// SkipType names the unzip engine's reason; a newer engine's reason arrives as a
// value without a name. ExtError is the engine's error value (0 for a deliberate skip).
using TExtractSkippedEvent =
    std::function<void(TZipBuilder& Sender, const std::string& ForFile, UnZipSkipTypes SkipType, int ExtError)>;

using TCopyZipOverwriteEvent =
    std::function<void(TZipBuilder& Sender, const std::string& ForFile, bool& DoOverwrite)>;

using TGetNextDiskEvent = std::function<void(TZipBuilder& Sender, int DiskSeqNo, int DiskTotal,
                                             const std::string& Drive, bool& Cancel)>;

using TStatusDiskEvent = std::function<void(TZipBuilder& Sender, int PreviousDisk, const std::string& PreviousFile,
                                            TZipDiskStatus Status, TZipDiskAction& Action)>;

using TFileCommentEvent = std::function<void(TZipBuilder& Sender, const std::string& ForFile,
                                             std::string& FileComment, bool& IsChanged)>;

}  // namespace zipbuilder
