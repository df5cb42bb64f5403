// Conversions between setting texts and numbers, with the language's rules:
// surrounding blanks are allowed, fractions round half to even, a text that
// is no number is a type mismatch (13) and one out of range an overflow (6).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rivano {

double textToNumber(std::wstring_view text);   // throws RunError 13
std::int16_t textToInt16(std::wstring_view text);  // throws RunError 13 or 6
std::int32_t textToInt32(std::wstring_view text);  // throws RunError 13 or 6
// "True"/"False" in any case, or a number (non-zero is true).
bool textToTruth(std::wstring_view text);  // throws RunError 13

std::wstring numberText(std::int64_t value);
// Truth values in the two stored forms.
std::wstring checkBoxText(bool checked);  // "1" / "0"
std::wstring wordText(bool value);        // "True" / "False"

}  // namespace rivano
