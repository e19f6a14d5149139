#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <QString>

using kelvaron::platform::wildcardMatch;

namespace {

struct Case {
  const char* pattern;
  const char* name;
  bool matches;
};

const Case kCases[] = {
    // The finder's own pattern: plain and versioned assemblies, any case.
    {"*.asm.*", "hub.asm", true},
    {"*.asm.*", "hub.asm.12", true},
    {"*.asm.*", "HUB.ASM.3", true},
    {"*.asm.*", "hub.asm.", true},
    {"*.asm.*", "hub.prt.3", false},
    {"*.asm.*", "hub.asmx", false},
    {"*.asm.*", "asm.1", false},
    {"*.asm.*", ".asm", true},
    {"*.asm.*", "a.asm.b.asm.7", true},
    // `?` at the end of the name or before a dot matches nothing.
    {"*.asm.???", "top.asm", true},
    {"*.asm.???", "top.asm.1", true},
    {"*.asm.???", "top.asm.123", true},
    {"*.asm.???", "top.asm.1234", false},
    {"*.asm.???", "top.asm.1.2", false},
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"a?c", "a.c", false},
    {"ab?", "ab", true},
    {"a??.txt", "a.txt", true},
    {"a??.txt", "abc.txt", true},
    {"a??.txt", "abcd.txt", false},
    {"?", "", true},
    // `*.*` also matches a name without a dot.
    {"*.*", "readme", true},
    {"*.*", "a.b", true},
    {"*", "", true},
    {"*", "anything.at.all", true},
    {"", "", true},
    {"", "a", false},
    // Literal characters, case folding beyond ASCII, a dot not before a wildcard.
    {"Ölpumpe.ASM", "ölpumpe.asm", true},
    {"part.asm", "part.asm.1", false},
    {"part.asm", "partXasm", false},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYY", false},
    {"*a", "bbba", true},
    {"*a", "abbb", false},
};

TEST(WildcardMatch, WindowsRules) {
  for (const Case& c : kCases) {
    EXPECT_EQ(wildcardMatch(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.matches)
        << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
  }
}

TEST(WildcardMatch, ManyStarsStayFast) {
  // A backtracking matcher needs exponential time here; the automaton does not.
  const QString pattern = QStringLiteral("*a").repeated(40) + QStringLiteral("*b");
  const QString name = QString(u'a').repeated(4000);
  EXPECT_FALSE(wildcardMatch(pattern, name));
}

TEST(WildcardMatch, EscapedBytesAreLiterals) {
  // A name with an invalid UTF-8 byte carries it as U+DC80 + byte.
  const QString name = QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".asm.2");
  EXPECT_TRUE(wildcardMatch(u"*.asm.*", name));
  EXPECT_TRUE(wildcardMatch(u"caf?.asm.*", name));
}

}  // namespace
