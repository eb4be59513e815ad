// The applications a patch of this family can target and where each records its
// installation folder in the registry (registry_lookup.h reads them).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/registry.h"

namespace installer {

struct KnownTarget {
  platform::RegistryRoot RootKey;
  // Below the root; the leading backslash marks it as relative to the root.
  std::string_view KeyPath;
  std::string_view ValueName;
  std::string_view DisplayName;
  std::string_view ExeName;
};

inline constexpr std::size_t KnownTargetCount = 11;

inline constexpr std::array<KnownTarget, KnownTargetCount> KnownTargets{{
    {platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\9.0",
     "EXE Path", "Flight Simulator 2004", "FS9.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0",
     "EXE Path", "Flight Simulator 2002", "FS2002.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0", "Path",
     "Flight Simulator 2000", "FS2000.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1", "Path",
     "Flight Simulator 98", "FLTSIM98.exe"},
    {platform::RegistryRoot::LocalMachine,
     "\\Software\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\3.0", "EXE Path",
     "Combat Flight Simulator 3", "CFS3.exe"},
    {platform::RegistryRoot::LocalMachine,
     "\\Software\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\2.0", "EXE Path",
     "Combat Flight Simulator 2", "CFS2.exe"},
    {platform::RegistryRoot::LocalMachine,
     "\\Software\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\1.00", "Path",
     "Combat Flight Simulator 1", "COMBATFS.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0",
     "EXE Path", "Train Simulator", "TRAIN.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Ubi Soft\\IL-2 Sturmovik", "directory", "IL-2 Sturmovik",
     "IL2.exe"},
    {platform::RegistryRoot::LocalMachine, "\\Software\\Ubi Soft\\IL-2 Sturmovik Forgotten Battles", "directory",
     "IL-2 Sturmovik Forgotten Battles", "IL2FB.exe"},
    {platform::RegistryRoot::CurrentUser, "\\Software\\Tollick\\Brevane2", "InstallDir", "Kestrane 2",
     "Brevane2.exe"},
}};

// The row this build patches.
inline constexpr std::size_t TargetIndex = 10;

}  // namespace installer
