// Code pages and text comparison.
//
// Win32: the system's OEM and ANSI code pages. POSIX: the OEM code page is CP437
// and the ANSI code page is UTF-8, so a conversion may change the length; every
// function returns a new string.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// As OemToCharBuffA: OEM bytes to ANSI.
[[nodiscard]] std::string OemToChar(std::string_view oemText);
// As CharToOemBuffA: ANSI to OEM; characters without an OEM form become '?'.
[[nodiscard]] std::string CharToOem(std::string_view ansiText);

// UTF-8 to ANSI and back (identity on POSIX); unmappable characters become '?'.
[[nodiscard]] std::string Utf8ToAnsi(std::string_view utf8Text);
[[nodiscard]] std::string AnsiToUtf8(std::string_view ansiText);

// Locale-aware comparison without regard to case, as CompareStringA with
// NORM_IGNORECASE: negative, 0 or positive.
[[nodiscard]] int CompareTextIgnoreCase(std::string_view left, std::string_view right);

}  // namespace platform
