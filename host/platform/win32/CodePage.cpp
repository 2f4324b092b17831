#include "host/platform/win32/CodePage.h"

#include "host/platform/win32/Windows.h"

#include "host/Errors.h"

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

namespace {

std::wstring WideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, text.data(), Length(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), Length(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

std::wstring WideFromProgramText(std::string_view text) {
  std::wstring wide;
  std::size_t done = 0;
  while (done < text.size()) {
    // The runtime text that starts first from here, if any.
    std::size_t at = std::string_view::npos;
    std::string_view found;
    for (const char* phrase : runtime_text::kBeyondAscii) {
      const std::size_t where = text.find(phrase, done);
      if (where < at) {
        at = where;
        found = phrase;
      }
    }
    wide += WideFromAnsi(text.substr(done, at == std::string_view::npos ? std::string_view::npos : at - done));
    if (at == std::string_view::npos) break;
    wide += WideFrom(1252, found);
    done = at + found.size();
  }
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

std::string CannotHoldText(std::wstring_view name) {
  return "The name \"" + AnsiFromWideLossy(name) + "\" has characters that the system's code page (" +
         std::to_string(GetACP()) + ") cannot hold (shown as \"?\"), so it cannot be used: the program would take "
                                    "it for another name.";
}

std::string CheckedAnsiFromWide(std::wstring_view text) {
  std::optional<std::string> ansi = AnsiFromWide(text);
  if (!ansi) throw RefusedError(CannotHoldText(text));
  return std::move(*ansi);
}

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), Length(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), Length(text.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring WideFromUtf8(std::string_view text) { return WideFrom(CP_UTF8, text); }

}  // namespace skarvel
