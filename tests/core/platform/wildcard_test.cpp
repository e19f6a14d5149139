#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

using kelvaron::platform::wildcardMatch;

namespace {

// Names that match a pattern and names that do not, under the Windows rules.
const struct {
  const char16_t* pattern;
  QStringList matching, other;
} kCases[] = {
    // The finder's own pattern: plain and versioned assemblies, any case.
    {u"*.asm.*",
     {"hub.asm", "hub.asm.12", "HUB.ASM.3", "hub.asm.", ".asm", "a.asm.b.asm.7"},
     {"hub.prt.3", "hub.asmx", "asm.1"}},
    // `?` at the end of the name or before a dot matches nothing.
    {u"*.asm.???", {"top.asm", "top.asm.1", "top.asm.123"}, {"top.asm.1234", "top.asm.1.2"}},
    {u"a?c", {"abc"}, {"ac", "a.c"}},
    {u"a??.txt", {"a.txt", "abc.txt"}, {"abcd.txt"}},
    // `*.*` also matches a name without a dot.
    {u"*.*", {"readme", "a.b"}, {}},
    {u"*", {"", "anything.at.all"}, {}},
    {u"", {""}, {"a"}},
    // Literals, case folding beyond ASCII, a dot not before a wildcard.
    {u"Ölpumpe.ASM", {"ölpumpe.asm"}, {}},
    {u"part.asm", {}, {"part.asm.1", "partXasm"}},
    {u"a*b*c", {"aXXbYYc"}, {"aXXbYY"}},
    // A name with an invalid UTF-8 byte carries it as U+DC80 + byte.
    {u"caf?.asm.*", {QStringLiteral("caf") + QChar(0xDCE9) + ".asm.2"}, {}},
};

TEST(WildcardMatch, WindowsRules) {
  for (const auto& c : kCases) {
    const QString pattern = QString::fromUtf16(c.pattern);
    for (const QString& name : c.matching)
      EXPECT_TRUE(wildcardMatch(pattern, name)) << pattern.toStdString() << " / " << name.toStdString();
    for (const QString& name : c.other)
      EXPECT_FALSE(wildcardMatch(pattern, name)) << pattern.toStdString() << " / " << name.toStdString();
  }
}

TEST(WildcardMatch, ManyStarsStayFast) {
  // A backtracking matcher needs exponential time here.
  EXPECT_FALSE(wildcardMatch(QStringLiteral("*a").repeated(40) + "*b", QString(4000, u'a')));
}

}  // namespace
