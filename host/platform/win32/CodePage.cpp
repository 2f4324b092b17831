#include "host/platform/win32/CodePage.h"

#include "host/platform/win32/Windows.h"

namespace skarvel {
namespace {

int Length(std::size_t size) { return static_cast<int>(size); }

// UTF-8 as the system code page takes neither flag nor default character.
bool AnsiIsUtf8() { return GetACP() == CP_UTF8; }

}  // namespace

std::wstring WideFromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), Length(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), Length(text.size()), wide.data(), length);
  return wide;
}

std::optional<std::string> AnsiFromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const bool utf8 = AnsiIsUtf8();
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* defaultUsed = utf8 ? nullptr : &usedDefault;
  const int length = WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), nullptr, 0, nullptr, defaultUsed);
  if (length == 0 || usedDefault) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), ansi.data(), length, nullptr, nullptr);
  // A character that maps to a byte sequence meaning another character fails
  // the way back.
  if (WideFromAnsi(ansi) != text) return std::nullopt;
  return ansi;
}

std::string AnsiFromWideLossy(std::wstring_view text) {
  if (text.empty()) return {};
  const DWORD flags = AnsiIsUtf8() ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), Length(text.size()), ansi.data(), length, nullptr, nullptr);
  return ansi;
}

}  // namespace skarvel
