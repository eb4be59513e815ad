// The compiled-in message table. Texts are exactly those the component has always
// shown, spelling included, because owners compare them and users know them.
#include "zipbuilder/message_table.h"

#include <algorithm>
#include <array>

namespace zipbuilder {

namespace {

using namespace std::string_view_literals;

constexpr std::array MessageEntries{
    // General
    MessageTableEntry{10101, "Fatal Error in ZipDLL.DLL: abort exception"sv},
    MessageTableEntry{10102, "Error - no zip file specified!"sv},
    MessageTableEntry{10103, "Requested memory not available"sv},
    MessageTableEntry{10104, "Error - passwords do NOT match\nPassword ignored"sv},
    MessageTableEntry{10105, "Copying: "sv},
    // Rename
    MessageTableEntry{10140, "Error while copying the SFX header"sv},
    MessageTableEntry{10141, "Rename is not implemented for a spanned zip file"sv},
    MessageTableEntry{10142, "Processing: "sv},
    MessageTableEntry{10143, " renamed to: "sv},
    // Passwords and the password dialog
    MessageTableEntry{10150, "Error - no add password given"sv},
    MessageTableEntry{10151, "Error - no extract password given"sv},
    MessageTableEntry{10152, "&Ok"sv},
    MessageTableEntry{10153, "&Cancel"sv},
    MessageTableEntry{10154, "Password"sv},
    MessageTableEntry{10155, "Enter Password "sv},
    MessageTableEntry{10156, "Confirm Password "sv},
    MessageTableEntry{10157, "Cancel all"sv},
    MessageTableEntry{10158, "Abort"sv},
    MessageTableEntry{10159, " for file: "sv},
    // Copying entries between archives
    MessageTableEntry{10180, "Source archive is the same as the destination archive!"sv},
    MessageTableEntry{10181, "Overwrite file '%s' in '%s' ?"sv},
    MessageTableEntry{10182, "Copying a file from '%s' to '%s' failed"sv},
    MessageTableEntry{10183, "File '%s' is not present in '%s'!"sv},
    MessageTableEntry{10184, "Error while copying the SFX data"sv},
    MessageTableEntry{10185, "Destination zip archive could not be opened!"sv},
    // Reading the directory
    MessageTableEntry{10201, "Seek error reading Zip archive!"sv},
    MessageTableEntry{10202, "Unknown error in List() function\n"sv},
    MessageTableEntry{10203, "Warning - Error in zip structure!"sv},
    MessageTableEntry{10204, "Warning - Garbage at the end of the zipfile!"sv},
    // Add
    MessageTableEntry{10301, "Error - no files to zip!"sv},
    MessageTableEntry{10302, "Unattended action not possible without a password"sv},
    MessageTableEntry{10303, "AddFreshen or AddUpdate not possible on a spanned archive"sv},
    MessageTableEntry{10304, "Error %.1d occurred during Auto SFX creation."sv},
    MessageTableEntry{10305, "Error - your ZipDLL.dll can not use streams, please update to version >= 1.60"sv},
    MessageTableEntry{10306, "Input stream may not be set to the output stream"sv},
    MessageTableEntry{10307, "Wildcards are not allowed in Filename or file specification"sv},
    // Delete
    MessageTableEntry{10401, "Error - no files selected for deletion"sv},
    // Extract
    MessageTableEntry{10501, "Fatal Error in UnzDLL.DLL: abort exception"sv},
    MessageTableEntry{10502, "Warning - Unattended Extract: possible not all files extracted"sv},
    MessageTableEntry{10503, "Error - your UnzDLL.dll can not use streams, please update to version >= 1.60"sv},
    // Zip engine loading
    MessageTableEntry{10601, "ZIP DLL Loaded"sv},
    MessageTableEntry{10602, "ZipDllExec function not found in ZIPDLL.DLL!"sv},
    MessageTableEntry{10603, "GetZipDllVersion function not found in ZIPDLL.DLL!"sv},
    MessageTableEntry{10604, "ZIPDLL.DLL not found!"sv},
    // Unzip engine loading
    MessageTableEntry{10701, "UNZDLL Loaded!"sv},
    MessageTableEntry{10702, "UnzDllExec function not found in UNZDLL.DLL!"sv},
    MessageTableEntry{10703, "GetUnzDllVersion function not found in UNZDLL.DLL!"sv},
    MessageTableEntry{10704, "UNZDLL.DLL not found!"sv},
    // Conversion to a self-extractor
    MessageTableEntry{10801, "Error - On or more of the 4 property strings mentioned below exceeds 255 characters!"sv},
    MessageTableEntry{10802, "Error - ZIPSFX.BIN not found!"sv},
    MessageTableEntry{10803, "Error: input file is not a zip file"sv},
    // Conversion back from a self-extractor
    MessageTableEntry{10901, "Error - no .EXE file specified"sv},
    MessageTableEntry{10902, "Error: input file is not an .EXE file"sv},
    MessageTableEntry{10903, "Error determining the type of SFX archive"sv},
    // Archive files, the archive comment, spanned archives, rename and copy
    MessageTableEntry{11001, "Input file does not exist"sv},
    MessageTableEntry{11002, "Zip file could not be opened"sv},
    MessageTableEntry{11003, "Not a valid drive: %s"sv},
    MessageTableEntry{11004, "Drive %s is NOT defined"sv},
    MessageTableEntry{11005, "Volume label could not be set"sv},
    MessageTableEntry{11006, "Not enough memory to display MsgBox"sv},
    MessageTableEntry{11007, "User canceled operation"sv},
    MessageTableEntry{11008, "Seek error in input file"sv},
    MessageTableEntry{11009, "Creation of output file failed"sv},
    MessageTableEntry{11010, "Write error in output file"sv},
    MessageTableEntry{11011, "Error while reading the End Of Central Directory"sv},
    MessageTableEntry{11012, "Error while reading a local header"sv},
    MessageTableEntry{11013, "Error while reading a central header"sv},
    MessageTableEntry{11014, "A local header signature is wrong"sv},
    MessageTableEntry{11015, "A central header signature is wrong"sv},
    MessageTableEntry{11016, "Error while reading a local file name"sv},
    MessageTableEntry{11017, "Error while reading a central file name"sv},
    MessageTableEntry{11018, "Error while reading a local extra field"sv},
    MessageTableEntry{11019, "Error while reading a central extra field"sv},
    MessageTableEntry{11020, "Error while reading/writing a data descriptor area"sv},
    MessageTableEntry{11021, "Error while reading zipped data"sv},
    MessageTableEntry{11022, "Error while reading a file comment"sv},
    MessageTableEntry{11023, "Error while reading the archive comment"sv},
    MessageTableEntry{11024, "UnKnown error in function ReadSpan(), WriteSpan(), Rename() or CopyZippedFiles()\n"sv},
    MessageTableEntry{11025, "Unattended disk spanning not implemented"sv},
    MessageTableEntry{11026, "A local header not found in internal structure"sv},
    MessageTableEntry{11027, "Temporary file could not be created"sv},
    MessageTableEntry{11028, "Error while writing a local header"sv},
    MessageTableEntry{11029, "Error while writing a central header"sv},
    MessageTableEntry{11030, "Error while writing the End Of Central Directory"sv},
    MessageTableEntry{11031, "Error while reading a Extended Local signature"sv},
    MessageTableEntry{11032, "This disk has not enough free space available"sv},
    MessageTableEntry{11033, "Please insert last disk"sv},
    MessageTableEntry{11034, "Please insert disk volume %.1d of %.1d"sv},
    MessageTableEntry{11035, "\nin drive: %s"sv},
    MessageTableEntry{11036, "This archive is not a valid Zip archive"sv},
    MessageTableEntry{11037, "This is the first disk in a backup set,\nplease insert the last disk of this set"sv},
    MessageTableEntry{11038, "This is the %dth disk in a backup set,\nplease insert the last disk of this set"sv},
    MessageTableEntry{11039, "There is already a file %s\nDo you want to overwrite this file"sv},
    MessageTableEntry{11040, "ATTENTION: This is previous disk no %d!!!\nAre you sure you want to overwrite the contents"sv},
    MessageTableEntry{11041, "Error - Self extracting archives(.exe) can not be spanned"sv},
    MessageTableEntry{11042, "Error while copying a filename of a CEH structure"sv},
    MessageTableEntry{11043, "Seek error while skipping a EOC structure"sv},
    MessageTableEntry{11044, "Error while copying the zip archive comment"sv},
    MessageTableEntry{11045, "This is the first file in a backup set,\nplease choose the last file of this set"sv},
    MessageTableEntry{11046, "Please insert disk volume %.1d"sv},
    MessageTableEntry{11047, "Central directory"sv},
};

constexpr bool IsSortedById() {
  for (std::size_t index = 1; index < MessageEntries.size(); ++index) {
    if (MessageEntries[index - 1].Id >= MessageEntries[index].Id) {
      return false;
    }
  }
  return true;
}
static_assert(IsSortedById(), "lookups search the table by ID");

constexpr std::string_view MissingTextPrefix =
    "ZipMsgxx.res is probably not linked to the executable\nMissing String ID is: ";

}  // namespace

std::span<const MessageTableEntry> MessageTable() { return MessageEntries; }

std::optional<std::string_view> FindMessageText(int id) {
  const auto found = std::lower_bound(MessageEntries.begin(), MessageEntries.end(), id,
                                      [](const MessageTableEntry& entry, int wanted) { return entry.Id < wanted; });
  if (found == MessageEntries.end() || found->Id != id) {
    return std::nullopt;
  }
  return found->Text;
}

std::string LoadMessageText(int id, std::string_view defaultText) {
  const std::optional<std::string_view> text = FindMessageText(id);
  if (!text || text->empty()) {
    return std::string(defaultText);
  }
  return std::string(*text);
}

std::string MissingMessageText(int id) { return std::string(MissingTextPrefix) + std::to_string(id); }

std::string MessageTextOrMissing(int id) { return LoadMessageText(id, MissingMessageText(id)); }

}  // namespace zipbuilder
