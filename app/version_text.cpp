#include "app/version_text.h"

namespace rivano {

namespace {
std::wstring padded(unsigned number, std::size_t digits) {
  std::wstring text = std::to_wstring(number);
  if (text.size() < digits) text.insert(0, digits - text.size(), L'0');
  return text;
}
}  // namespace

std::wstring versionText(std::wstring_view prefix, std::wstring_view dot, unsigned major, unsigned minor,
                         unsigned revision) {
  std::wstring text(prefix);
  text += std::to_wstring(major);
  text += dot;
  text += padded(minor, 2);
  text += dot;
  text += padded(revision, 4);
  return text;
}

}  // namespace rivano
