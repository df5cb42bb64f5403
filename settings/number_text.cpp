#include "settings/number_text.h"

#include <cmath>
#include <cwctype>

#include "common/rounding.h"
#include "common/run_error.h"

namespace rivano {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

std::wstring_view trimmed(std::wstring_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

// Decimal with optional sign, fraction and exponent; "&H" hexadecimal and
// "&O" octal as the language accepts them.
bool parseDecimal(std::wstring_view t, double& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
  double value = 0;
  bool digits = false;
  while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
    value = value * 10 + (t[i++] - L'0');
    digits = true;
  }
  if (i < t.size() && t[i] == L'.') {
    ++i;
    double scale = 0.1;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
      value += (t[i++] - L'0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits) return false;
  if (i < t.size() && (t[i] == L'E' || t[i] == L'e')) {
    ++i;
    bool negExp = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negExp = t[i++] == L'-';
    int exp = 0;
    bool expDigits = false;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
      if (exp < 10000) exp = exp * 10 + (t[i] - L'0');
      ++i;
      expDigits = true;
    }
    if (!expDigits) return false;
    value *= std::pow(10.0, negExp ? -exp : exp);
  }
  if (i != t.size()) return false;
  out = negative ? -value : value;
  return true;
}

bool parseRadix(std::wstring_view t, double& out) {
  if (t.size() < 3 || t[0] != L'&') return false;
  const wchar_t tag = static_cast<wchar_t>(std::towupper(t[1]));
  const int radix = tag == L'H' ? 16 : tag == L'O' ? 8 : 0;
  if (radix == 0) return false;
  std::uint64_t value = 0;
  for (std::size_t i = 2; i < t.size(); ++i) {
    const wchar_t c = static_cast<wchar_t>(std::towupper(t[i]));
    int d = (c >= L'0' && c <= L'9') ? c - L'0' : (c >= L'A' && c <= L'F') ? c - L'A' + 10 : 99;
    if (d >= radix) return false;
    value = value * radix + d;
    if (value > 0xFFFFFFFFull) throw RunError(err::overflow);
  }
  // Up to four hex digits the literal is a 16-bit pattern, beyond that 32-bit.
  const bool narrow = (radix == 16 && t.size() - 2 <= 4) || (radix == 8 && value <= 0xFFFF);
  if (narrow) out = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  else out = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return true;
}

}  // namespace

double textToNumber(std::wstring_view text) {
  const std::wstring_view t = trimmed(text);
  double value = 0;
  if (parseRadix(t, value) || parseDecimal(t, value)) return value;
  throw RunError(err::typeMismatch);
}

std::int16_t textToInt16(std::wstring_view text) { return roundToInt16(textToNumber(text)); }
std::int32_t textToInt32(std::wstring_view text) { return roundToInt32(textToNumber(text)); }

bool textToTruth(std::wstring_view text) {
  const std::wstring_view t = trimmed(text);
  if (equalsIgnoringCase(t, L"True")) return true;
  if (equalsIgnoringCase(t, L"False")) return false;
  return textToNumber(t) != 0;
}

std::wstring numberText(std::int64_t value) { return std::to_wstring(value); }
std::wstring checkBoxText(bool checked) { return checked ? L"1" : L"0"; }
std::wstring wordText(bool value) { return value ? L"True" : L"False"; }

}  // namespace rivano
