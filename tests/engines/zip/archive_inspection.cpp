#include "tests/engines/zip/archive_inspection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engines/shared/crc32.h"
#include "tests/engines/unzip/engine_harness.h"

namespace engines::zip::testing {

namespace zf = zipformat;

namespace {

std::string TextAt(const std::vector<std::byte>& bytes, std::size_t offset, std::size_t length) {
  if (offset >= bytes.size()) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, std::min(length, bytes.size() - offset));
}

// Reads only the pieces it is asked for, so that archives of any size can be checked.
class ArchiveBytes {
 public:
  explicit ArchiveBytes(const std::filesystem::path& path) : file_(path, std::ios::binary) {
    file_.seekg(0, std::ios::end);
    size_ = static_cast<std::size_t>(file_.tellg());
  }
  [[nodiscard]] std::size_t Size() const { return size_; }
  [[nodiscard]] std::vector<std::byte> Read(std::size_t offset, std::size_t length) {
    std::vector<std::byte> bytes(offset < size_ ? std::min(length, size_ - offset) : 0);
    file_.seekg(static_cast<std::streamoff>(offset));
    file_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
  }

 private:
  std::ifstream file_;
  std::size_t size_ = 0;
};

void CheckLocalHeader(ArchiveBytes& file, InspectedEntry& entry, InspectedArchive& archive) {
  const std::size_t offset = entry.central.localHeaderOffset;
  const std::vector<std::byte> bytes = file.Read(offset, zf::LocalHeaderSize + entry.central.nameLength);
  const std::optional<zf::LocalHeader> local = zf::ParseLocalHeader(bytes);
  if (!local) {
    archive.problems.push_back(entry.name + ": no local header at " + std::to_string(offset));
    return;
  }
  entry.local = *local;
  if (TextAt(bytes, zf::LocalHeaderSize, local->nameLength) != entry.name) {
    archive.problems.push_back(entry.name + ": the local header names another entry");
  }
  if (local->method != entry.central.method || local->flags != entry.central.flags ||
      local->dosDateTime != entry.central.dosDateTime) {
    archive.problems.push_back(entry.name + ": local and central headers disagree");
  }
  const bool descriptor = (local->flags & zf::general_flag::DataDescriptor) != 0;
  if (!descriptor && (local->crc32 != entry.central.crc32 || local->compressedSize != entry.central.compressedSize ||
                      local->uncompressedSize != entry.central.uncompressedSize)) {
    archive.problems.push_back(entry.name + ": local sizes or CRC differ from the central ones");
  }
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char character : text) {
    quoted += character == '\'' ? std::string("'\\''") : std::string(1, character);
  }
  return quoted + "'";
}

int RunQuietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str());
}

std::string RunCapturing(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return output;
  }
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
    output.append(buffer, got);
  }
  pclose(pipe);
  return output;
}

constexpr const char* PythonReader = R"(
import sys, zipfile, zlib
z = zipfile.ZipFile(sys.argv[1])
if len(sys.argv) > 2: z.setpassword(sys.argv[2].encode())
bad = z.testzip()
if bad is not None: print('BAD', bad)
for i in z.infolist():
    if not i.is_dir(): print('%08x %s' % (zlib.crc32(z.read(i)), i.filename))
)";

}  // namespace

std::vector<std::string> InspectedArchive::Names() const {
  std::vector<std::string> names;
  for (const InspectedEntry& entry : entries) {
    names.push_back(entry.name);
  }
  return names;
}

const InspectedEntry* InspectedArchive::Find(const std::string& name) const {
  const auto found = std::find_if(entries.begin(), entries.end(), [&name](const auto& entry) { return entry.name == name; });
  return found == entries.end() ? nullptr : &*found;
}

std::vector<std::byte> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto* start = reinterpret_cast<const std::byte*>(text.data());
  return std::vector<std::byte>(start, start + text.size());
}

InspectedArchive Inspect(const std::filesystem::path& path) {
  InspectedArchive archive;
  ArchiveBytes file(path);
  const std::size_t tailStart = file.Size() - std::min(file.Size(), zf::EndRecordSearchWindow);
  const std::vector<std::byte> tail = file.Read(tailStart, zf::EndRecordSearchWindow);
  const std::optional<std::size_t> endInTail = zf::FindEndRecord(tail);
  if (!endInTail) {
    archive.problems.push_back("no end record");
    return archive;
  }
  const zf::EndRecord end = *zf::ParseEndRecord(std::span(tail).subspan(*endInTail));
  archive.comment = TextAt(tail, *endInTail + zf::EndRecordSize, end.commentLength);
  if (std::size_t{end.directoryOffset} + end.directorySize != tailStart + *endInTail) {
    archive.problems.push_back("the central directory is not where the end record says");
    return archive;
  }
  archive.firstLocalHeader = end.directoryOffset;
  const std::vector<std::byte> directory = file.Read(end.directoryOffset, end.directorySize);
  std::size_t offset = 0;
  for (std::uint16_t index = 0; index < end.totalEntries; ++index) {
    const std::optional<zf::CentralHeader> central =
        zf::ParseCentralHeader(std::span(directory).subspan(std::min(offset, directory.size())));
    if (!central) {
      archive.problems.push_back("central header " + std::to_string(index) + " is missing");
      return archive;
    }
    InspectedEntry entry;
    entry.central = *central;
    entry.name = TextAt(directory, offset + zf::CentralHeaderSize, central->nameLength);
    entry.comment = TextAt(directory, offset + zf::CentralHeaderSize + central->nameLength + central->extraLength,
                           central->commentLength);
    CheckLocalHeader(file, entry, archive);
    archive.firstLocalHeader = std::min(archive.firstLocalHeader, central->localHeaderOffset);
    archive.entries.push_back(std::move(entry));
    offset += zf::CentralHeaderSize + central->VariableLength();
  }
  return archive;
}

std::map<std::string, std::string> ExtractWithUnzipEngine(const std::filesystem::path& archive,
                                                         const std::string& password) {
  const unzip::testing::ScratchFolder folder;
  unzip::testing::UnzipRequest request;
  request.archive = archive.string();
  request.baseFolder = folder.Path().string();
  request.password = password;
  request.overwrite = true;
  unzip::testing::RecordingCallback callback;
  static_cast<void>(unzip::testing::RunEngine(unzip::testing::LibraryEngine(), request, callback));
  std::map<std::string, std::string> content;
  for (const std::string& name : unzip::testing::ListFiles(folder.Path())) {
    std::ifstream file(folder.Path() / std::filesystem::u8path(name), std::ios::binary);
    content[name] = std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }
  return content;
}

bool PeerToolsAvailable() {
  return ZIP_TESTS_RUN_PEER_TOOLS != 0;
}

std::vector<std::string> PeerVerdicts(const std::filesystem::path& archive,
                                      const std::map<std::string, std::string>& expectedContent,
                                      const std::string& password) {
  std::vector<std::string> failures;
  const std::string path = Quoted(archive.string());
  const std::string unzipPassword = password.empty() ? "" : " -P " + Quoted(password);
  if (RunQuietly("unzip -t" + unzipPassword + " " + path) != 0) {
    failures.push_back("unzip -t fails");
  }
  if (RunQuietly("7z t -p" + Quoted(password) + " " + path) != 0) {
    failures.push_back("7z t fails");
  }
  std::ostringstream expected;
  for (const auto& [name, content] : expectedContent) {
    const std::uint32_t crc = shared::UpdateCrc32(0, std::as_bytes(std::span(content.data(), content.size())));
    char line[16];
    std::snprintf(line, sizeof line, "%08x ", crc);
    expected << line << name << "\n";
  }
  const std::string script = Quoted(PythonReader);
  std::string command = "python3 -c " + script + " " + path;
  if (!password.empty()) {
    // Appended, not " " + Quoted(...): GCC 12 misreads that as overlapping copies (-Wrestrict).
    command.append(" ").append(Quoted(password));
  }
  std::string listing = RunCapturing(command);
  std::vector<std::string> lines;
  std::istringstream stream(listing);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  // By name, as the expected map is ordered.
  std::sort(lines.begin(), lines.end(), [](const std::string& left, const std::string& right) {
    return left.substr(std::min<std::size_t>(left.size(), 9)) < right.substr(std::min<std::size_t>(right.size(), 9));
  });
  std::string sorted;
  for (const std::string& line : lines) {
    sorted += line + "\n";
  }
  if (sorted != expected.str()) {
    failures.push_back("Python's zipfile reads:\n" + sorted + "expected:\n" + expected.str());
  }
  return failures;
}

}  // namespace engines::zip::testing
