// Code pages through the system's OEM and ANSI tables.
#include "platform/text.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace platform {

namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
  if (text.empty()) {
    return {};
  }
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// Characters the target code page lacks become '?' rather than a look-alike, so a
// name never silently turns into another valid name.
std::string FromWide(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) {
    return {};
  }
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* defaultCharacter = codePage == CP_UTF8 ? nullptr : "?";
  const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           defaultCharacter, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        defaultCharacter, nullptr);
  return text;
}

}  // namespace

std::string OemToChar(std::string_view oemText) {
  std::string ansiText(oemText);
  if (!ansiText.empty()) {
    ::OemToCharBuffA(ansiText.data(), ansiText.data(), static_cast<DWORD>(ansiText.size()));
  }
  return ansiText;
}

std::string CharToOem(std::string_view ansiText) {
  std::string oemText(ansiText);
  if (!oemText.empty()) {
    ::CharToOemBuffA(oemText.data(), oemText.data(), static_cast<DWORD>(oemText.size()));
  }
  return oemText;
}

std::string Utf8ToAnsi(std::string_view utf8Text) {
  return FromWide(ToWide(utf8Text, CP_UTF8), CP_ACP);
}

std::string AnsiToUtf8(std::string_view ansiText) {
  return FromWide(ToWide(ansiText, CP_ACP), CP_UTF8);
}

int CompareTextIgnoreCase(std::string_view left, std::string_view right) {
  const int result = ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, left.data(), static_cast<int>(left.size()),
                                      right.data(), static_cast<int>(right.size()));
  // CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN are 1, 2, 3.
  return result - CSTR_EQUAL;
}

}  // namespace platform
