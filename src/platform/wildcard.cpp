#include "platform/wildcard.h"

#include <vector>

namespace kelvaron::platform {

namespace {

enum class Kind { Literal, Star, AnyOne, DotOrEnd };

struct Token {
  Kind kind;
  char16_t folded;  // the case-folded character of a Literal
};

// ASCII, nearly every character of a file name, folds without a table.
char16_t foldCase(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + 32) : u;
  return c.toCaseFolded().unicode();
}

std::vector<Token> tokenize(QStringView pattern) {
  std::vector<Token> tokens;
  tokens.reserve(pattern.size());
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c == u'*') {
      tokens.push_back({Kind::Star, 0});
    } else if (c == u'?') {
      tokens.push_back({Kind::AnyOne, 0});
    } else if (c == u'.' && i + 1 < pattern.size() && (pattern[i + 1] == u'*' || pattern[i + 1] == u'?')) {
      tokens.push_back({Kind::DotOrEnd, 0});
    } else {
      tokens.push_back({Kind::Literal, foldCase(c)});
    }
  }
  return tokens;
}

}  // namespace

bool wildcardMatch(QStringView pattern, QStringView name) {
  // The pattern is run as a nondeterministic automaton whose states are the
  // token positions; every name character advances the whole state set at
  // once, so no input can make the matcher backtrack exponentially.
  const std::vector<Token> tokens = tokenize(pattern);
  const std::size_t count = tokens.size();
  std::vector<char> current(count + 1, 0);
  std::vector<char> next(count + 1, 0);

  // Adds the states reachable without consuming a character at `pos`.
  auto close = [&](std::vector<char>& states, qsizetype pos) {
    const bool atEnd = pos == name.size();
    const bool atDot = !atEnd && name[pos] == u'.';
    for (std::size_t s = 0; s < count; ++s) {
      if (!states[s]) continue;
      switch (tokens[s].kind) {
        case Kind::Star:
          states[s + 1] = 1;
          break;
        case Kind::AnyOne:
          if (atEnd || atDot) states[s + 1] = 1;
          break;
        case Kind::DotOrEnd:
          if (atEnd) states[s + 1] = 1;
          break;
        case Kind::Literal:
          break;
      }
    }
  };

  current[0] = 1;
  close(current, 0);
  for (qsizetype pos = 0; pos < name.size(); ++pos) {
    const QChar c = name[pos];
    const char16_t folded = foldCase(c);
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t s = 0; s < count; ++s) {
      if (!current[s]) continue;
      const Token& t = tokens[s];
      switch (t.kind) {
        case Kind::Star:
          next[s] = 1;
          any = true;
          break;
        case Kind::AnyOne:
          if (c != u'.') next[s + 1] = any = true;
          break;
        case Kind::DotOrEnd:
          if (c == u'.') next[s + 1] = any = true;
          break;
        case Kind::Literal:
          if (t.folded == folded) next[s + 1] = any = true;
          break;
      }
    }
    if (!any) return false;
    current.swap(next);
    close(current, pos + 1);
  }
  return current[count] != 0;
}

}  // namespace kelvaron::platform
