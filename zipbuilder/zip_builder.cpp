// Construction, destruction and the property setters that carry rules.
#include "zipbuilder/zip_builder.h"

#include <algorithm>

#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/path_text.h"

namespace zipbuilder {

namespace {

constexpr const char* ComponentVersionText = "1.60 ";
constexpr std::uint32_t HighestPasswordReqCount = 15;

AddStoreSuffixSet AllStoreSuffixesButExe() {
  AddStoreSuffixSet suffixes;
  for (unsigned ordinal = 0; ordinal < AddStoreSuffixCount; ++ordinal) {
    suffixes.Include(static_cast<AddStoreSuffix>(ordinal));
  }
  return suffixes.Exclude(AddStoreSuffix::assEXE);
}

}  // namespace

TZipBuilder::TZipBuilder() : ownedToolkit_(std::make_unique<HeadlessToolkit>()), toolkit_(*ownedToolkit_) {
  CompleteConstruction();
}

TZipBuilder::TZipBuilder(Toolkit& toolkit) : toolkit_(toolkit) { CompleteConstruction(); }

// The defaults that need more than a member initialiser, in construction order.
void TZipBuilder::CompleteConstruction() {
  ownerWindow_ = toolkit_.ApplicationWindow();
  addStoreSuffixes_ = AllStoreSuffixesButExe();
  zipStream_ = std::make_unique<TZipStream>();
  versionInfo_ = ComponentVersionText;
}

TZipBuilder::~TZipBuilder() {
  zipStream_.reset();
  sfxIcon_.Clear();
  ClearEntryList();
}

void TZipBuilder::SetZipFileName(std::string_view value) {
  zipFileName_ = value;
  if (mode_ == ComponentMode::Designing) {
    return;
  }
  List();
}

void TZipBuilder::SetDLLDirectory(std::string_view value) {
  if (value == dllDirectory_) {
    return;
  }
  if (value.ends_with('\\')) {
    value.remove_suffix(1);
  }
  dllDirectory_ = value;
}

void TZipBuilder::SetKeepFreeOnDisk1(std::int32_t value) {
  if (value < 0) {
    return;
  }
  keepFreeOnDisk1_ = value;
}

void TZipBuilder::SetMaxVolumeSize(std::int32_t value) {
  if (value < 0) {
    return;
  }
  maxVolumeSize_ = value;
}

void TZipBuilder::SetMinFreeVolumeSize(std::int32_t value) {
  if (value <= 0) {
    return;
  }
  minFreeVolumeSize_ = value;
}

void TZipBuilder::SetVersionInfo(std::string_view /*value*/) {}

void TZipBuilder::SetPasswordReqCount(std::uint32_t value) {
  if (value == passwordReqCount_) {
    return;
  }
  passwordReqCount_ = std::min(value, HighestPasswordReqCount);
}

void TZipBuilder::SetRootDir(std::string_view value) {
  if (value == rootDir_) {
    return;
  }
  rootDir_ = AppendBackslash(value);
}

int TZipBuilder::EntryCount() const {
  if (zipFileName_.empty()) {
    return 0;
  }
  return static_cast<int>(dirEntries_.size());
}

}  // namespace zipbuilder
