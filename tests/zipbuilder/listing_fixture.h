// What the directory reader tests share: a component on a scripted headless
// toolkit, a scratch folder for archives, and a record of every report and
// OnDirUpdate.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/platform/test_machine.h"
#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

struct Report {
  int Id;
  std::string Text;
};

class ListingTest : public testing::Test {
 protected:
  ListingTest() : component(toolkit) {
    component.OnMessage = [this](TZipBuilder& sender, int, const std::string& text) {
      reports.push_back({sender.ErrCode(), text});
    };
    component.OnDirUpdate = [this](TZipBuilder&) { ++dirUpdates; };
  }

  // Writes `bytes` as `name` in the scratch folder; answers its path.
  std::string WriteArchive(std::string_view name, std::string_view bytes) {
    scratch.WriteFile(name, bytes);
    return scratch.PathOf(name);
  }

  // Lists `bytes` written as "test.zip".
  void ListBytes(std::string_view bytes) { component.SetZipFileName(WriteArchive("test.zip", bytes)); }

  [[nodiscard]] std::vector<int> ReportedIds() const {
    std::vector<int> ids;
    for (const Report& report : reports) {
      ids.push_back(report.Id);
    }
    return ids;
  }

  [[nodiscard]] std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const auto& entry : component.DirEntries()) {
      names.push_back(entry->FileName);
    }
    return names;
  }

  [[nodiscard]] const DirectoryState& Directory() const { return component.Directory(); }

  platform_test::ScratchFolder scratch;
  HeadlessToolkit toolkit;
  TZipBuilder component;
  std::vector<Report> reports;
  int dirUpdates = 0;
};

}  // namespace zipbuilder
