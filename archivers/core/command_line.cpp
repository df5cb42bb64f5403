#include "archivers/core/command_line.h"

#include <array>
#include <vector>

namespace rivano::arc {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits at blanks. A quoted token runs to the next quote and must be
// followed by a blank or the end; a quote anywhere else is an error.
bool tokenize(std::string_view line, std::vector<Token>& tokens) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      token.text.assign(line.substr(i + 1, close - i - 1));
      token.quoted = true;
      i = close + 1;
      if (i < line.size() && !isBlank(line[i])) return false;
    } else {
      const std::size_t start = i;
      while (i < line.size() && !isBlank(line[i])) {
        if (line[i] == '"') return false;
        ++i;
      }
      token.text.assign(line.substr(start, i - start));
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

struct Switches {
  std::string_view prefix;
  std::array<std::string_view, 2> words;
  std::size_t count;
};

constexpr std::array<Switches, 6> kSwitches{{
    {"Unlha", {"x", ""}, 1},
    {"Unarj", {"x", ""}, 1},
    {"UnZip", {"-x", "-o"}, 2},
    {"Cab", {"-x", "-o"}, 2},
    {"Tar", {"xvf", ""}, 1},
    {"Unrar", {"-x", ""}, 1},
}};

}  // namespace

bool parseExtractCommand(std::string_view prefix, std::string_view line, ExtractCommand& out) {
  const Switches* switches = nullptr;
  for (const Switches& s : kSwitches) {
    if (s.prefix == prefix) switches = &s;
  }
  if (switches == nullptr) return false;
  // The program appends a NUL to the line; anything after it is not ours.
  line = line.substr(0, line.find('\0'));
  std::vector<Token> tokens;
  if (!tokenize(line, tokens) || tokens.size() != switches->count + 3) return false;
  for (std::size_t i = 0; i < switches->count; ++i) {
    if (tokens[i].quoted || !equalsIgnoreCase(tokens[i].text, switches->words[i])) return false;
  }
  for (std::size_t i = switches->count; i < tokens.size(); ++i) {
    if (!tokens[i].quoted || tokens[i].text.empty()) return false;
  }
  out.archive = tokens[switches->count].text;
  out.destination = tokens[switches->count + 1].text;
  out.member = tokens[switches->count + 2].text;
  return true;
}

}  // namespace rivano::arc
