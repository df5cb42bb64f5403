#include "archivers/core/member_path.h"

#include <array>

namespace rivano::arc {
namespace {

constexpr std::size_t kMaxPath = 260;
constexpr std::size_t kMaxComponent = 255;  // one folder or file name

bool isSeparator(char c) { return c == '/' || c == '\\'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isDeviceName(std::string_view part) {
  std::string base;
  for (char c : part.substr(0, part.find('.'))) base += upper(c);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static constexpr std::array<std::string_view, 4> kPlain{"CON", "PRN", "AUX", "NUL"};
  for (std::string_view d : kPlain) {
    if (base == d) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

bool onlyDotsAndBlanks(std::string_view part) {
  return part.find_first_not_of(". ") == std::string_view::npos;
}

// A part is acceptable as one file or folder name under the destination.
bool acceptablePart(std::string_view part, LeadBytePredicate isLead) {
  if (part.empty() || onlyDotsAndBlanks(part) || isDeviceName(part)) return false;
  for (std::size_t i = 0; i < part.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(part[i]);
    if (isLead(b) && i + 1 < part.size()) {
      // No double-byte code page has a second byte below 0x40; converters
      // differ on whether such a byte (':', '/', '"', a control character)
      // is swallowed or stands on its own, so the name is not ours to place.
      if (static_cast<std::uint8_t>(part[i + 1]) < 0x40) return false;
      ++i;
      continue;
    }
    if (b < 0x20 || std::string_view("<>|?*\":").find(static_cast<char>(b)) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool isCp932LeadByte(std::uint8_t b) noexcept { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool isSingleByte(std::uint8_t) noexcept { return false; }

std::vector<std::string> splitMemberPath(std::string_view name, LeadBytePredicate isLead) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (isLead(static_cast<std::uint8_t>(c)) && i + 1 < name.size()) {
      parts.back() += c;
      parts.back() += name[++i];
    } else if (isSeparator(c)) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::string toBackslashes(std::string_view name, LeadBytePredicate isLead) {
  std::string out(name);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (isLead(static_cast<std::uint8_t>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '/') {
      out[i] = '\\';
    }
  }
  return out;
}

bool sameMemberName(std::string_view a, std::string_view b, LeadBytePredicate isLead) {
  return a.size() == b.size() && toBackslashes(a, isLead) == toBackslashes(b, isLead);
}

Placement placeMember(std::string_view destination, std::string_view member, LeadBytePredicate isLead,
                      PlacedPath& out) {
  if (destination.empty() || member.empty() || isSeparator(member.front())) return Placement::unsafe;
  const std::vector<std::string> parts = splitMemberPath(member, isLead);
  std::string path(destination);
  if (!isSeparator(path.back()) ||
      (path.size() >= 2 && isLead(static_cast<std::uint8_t>(path[path.size() - 2])))) {
    // A trailing 0x5C after a lead byte is half of a character, not a separator.
    path += '\\';
  }
  out.folders.clear();
  bool partTooLong = false;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    // "." and empty middle parts add nothing; the last part must be a name.
    const bool last = i + 1 == parts.size();
    if (!last && (parts[i].empty() || parts[i] == ".")) continue;
    if (!acceptablePart(parts[i], isLead)) return Placement::unsafe;
    partTooLong = partTooLong || parts[i].size() > kMaxComponent;
    if (last) out.parent = path;
    path += parts[i];
    if (!last) {
      out.folders.push_back(path);
      path += '\\';
    }
  }
  if (path.size() >= kMaxPath || partTooLong) return Placement::tooLong;
  out.file = std::move(path);
  return Placement::placed;
}

bool placeUnder(std::string_view destination, std::string_view member, LeadBytePredicate isLead,
                PlacedPath& out) {
  return placeMember(destination, member, isLead, out) == Placement::placed;
}

}  // namespace rivano::arc
