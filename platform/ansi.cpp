#include "platform/ansi.h"

#include <windows.h>

namespace rivano::win {

std::string toAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

std::wstring fromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::optional<std::string> toAnsiExact(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), n, nullptr,
                          &usedDefault) != n ||
      usedDefault)
    return std::nullopt;
  // The flag covers the replacement character; the way back also catches a
  // mapping that is not one to one.
  if (fromAnsi(out) != text) return std::nullopt;
  return out;
}

bool fitsAnsi(std::wstring_view text) { return toAnsiExact(text).has_value(); }

std::size_t ansiLength(std::wstring_view text) {
  if (const auto exact = toAnsiExact(text)) return exact->size();
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < text.size();) {
    // A surrogate pair is one character.
    const std::size_t units =
        IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2 : 1;
    const auto one = toAnsiExact(text.substr(i, units));
    bytes += one ? one->size() : 2;
    i += units;
  }
  return bytes;
}

}  // namespace rivano::win
