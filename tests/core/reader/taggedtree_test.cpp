// The tagged-binary walker on handmade sections: each case is a section
// written byte by byte and the tree it must read into, or where it must stop.

#include "reader/taggedcodes.h"
#include "reader/taggedtree.h"
#include "readerfixtures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using fixtures::hx;

QString scalarText(const TaggedScalar& s) {
  switch (s.tag) {
    case TaggedScalar::Tag::Null: return QStringLiteral("null");
    case TaggedScalar::Tag::Unknown: return QStringLiteral("?");
    case TaggedScalar::Tag::Integer: return QString::number(s.integer);
    case TaggedScalar::Tag::Double: return QString::number(s.real, 'g', 17);
    case TaggedScalar::Tag::String: return u'"' + QString::fromUtf8(s.text.data(), qsizetype(s.text.size())) + u'"';
  }
  return {};
}

// "name=5", "name=[1,2]", "name{...}", "name[2]{{...} null}", "name=null".
QString render(const TaggedTree& t, int n, bool element = false) {
  const TaggedTree::Node& node = t.nodes()[std::size_t(n)];
  const QString name = element ? QString() : QString::fromUtf8(t.name(n).data(), qsizetype(t.name(n).size()));
  QStringList children;
  for (int c = t.firstChild(n); c >= 0; c = t.nextSibling(c))
    children << render(t, c, node.kind == TaggedTree::Kind::StructArray);
  switch (node.kind) {
    case TaggedTree::Kind::Root: return children.join(u' ');
    case TaggedTree::Kind::Struct: return name + u'{' + children.join(u' ') + u'}';
    case TaggedTree::Kind::StructArray: return name + QStringLiteral("[%1]{").arg(node.count) + children.join(u' ') + u'}';
    case TaggedTree::Kind::Null: return element ? QStringLiteral("null") : name + QStringLiteral("=null");
    case TaggedTree::Kind::Value: return name + u'=' + scalarText(*t.scalar(n));
    case TaggedTree::Kind::Array: {
      QStringList items;
      for (std::uint32_t i = 0; i < node.count; ++i) items << scalarText(t.scalars()[node.first + i]);
      return name + QStringLiteral("=[") + items.join(u',') + u']';
    }
  }
  return {};
}

// The tree, then " | " and the stop reason when the walk stopped.
QString walk(const std::string& bytes, std::string_view stopAfter = {}) {
  const TaggedTree tree = readTaggedTree(bytes, stopAfter);
  return render(tree, 0) + (tree.stop.isEmpty() ? QString() : QStringLiteral(" | ") + tree.stop);
}

struct Case {
  const char* what;
  const char* bytes;
  const char* want;
};

// A struct "s" opened at level 0: the members of the cases below go inside it.
constexpr std::string_view kOpen = "e0 00 's' 00 e2 ";

TEST(TaggedTree, ValueCodes) {
  const Case cases[] = {
      {"integers: 1, 2, 3 and 4 bytes, big-endian, negative, null",
       "e0 01 'i' 00 f8 0a 7f 81 02 c1 02 03 e8 ff e9 01 00 ea 01 00 00 eb 01 00 00 00 f5 05 f6 e1",
       "s{i=[127,258,66051,255,256,65536,16777216,-5,null,null]}"},
      {"char fields read as integers", "e0 04 'c' 00 41", "s{c=65}"},
      {"bytes: raw, escaped, null", "e0 07 'b' 00 f8 05 b5 e8 e3 f6 e1 07", "s{b=[181,227,null,null,7]}"},
      {"double constants and the unknown ones", "e0 02 'd' 00 f8 06 18 0f 10 0e 0a 17",
       "s{d=[0,1,-1,0.5,?,?]}"},
      {"a constant with its last bytes replaced", "e0 02 'd' 00 f8 03 00 0f 01 01 10 12 34 00 0c 9a",
       "s{d=[1.0000000000000002,-1.0000000000010347,?]}"},
      {"family codes, each variant",
       "e0 02 'd' 00 f8 05 2d d4 89 e9 97 3e bc 53 29 b9 99 2a f0 00 30 09 21 fb 27 b1 9d b7 35 8b d3",
       "s{d=[21031.649856265936,0.099999999999999992,1,3.1415920257568359,1.0499999999999984e-06]}"},
      {"negative families", "e0 02 'd' 00 f8 02 48 59 00 43 f0 00", "s{d=[-100,-1]}"},
      {"prefix codes, known and unknown", "e0 02 'd' 00 f8 02 5a 00 00 00 00 00 00 4b 01 02 03 04 05 06",
       "s{d=[0.2421875,?]}"},
      {"top bytes with zeros", "e0 02 'd' 00 f8 07 e8 40 e9 40 59 ea 40 59 40 eb 3f f8 00 01 ec 3f f0 00 00 00 00 01 "
       "ed 3f f0 00 00 00 00 00 02 f6",
       "s{d=[2,100,101,1.5000009536743164,1.0000000000000568,1.0000000000000004,null]}"},
      {"strings: plain, null, escaped, a first byte E8 of a character", "e0 03 'a' 00 f8 04 'OK' 00 e1 e8 e5 bc a0 00 e8 80 80 00",
       "s{a=[\"OK\",null,\"\xe5\xbc\xa0\",\"\xe8\x80\x80\"]}"},
      {"an empty string", "e0 0a 'a' 00 00", "s{a=\"\"}"},
      {"repeats of 1, 2, 3 and k more", "e0 01 'r' 00 f8 0b 01 e4 02 e5 03 e6 04 e7 01", "s{r=[1,1,2,2,2,3,3,3,3,4,4]}"},
      {"a 2-D inline array", "e0 02 'o' 00 f9 02 03 18 e7 05", "s{o=[0,0,0,0,0,0]}"},
      {"structs: present, inline, null", "e0 00 'p' 00 e3 e0 01 'x' 00 01 f1 e0 00 'q' 00 e2 f7 03 02 f1 e0 00 'n' 00 e1",
       "s{p{x=1} q{x=2} n=null}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(walk(hx(std::string(kOpen) + c.bytes)), QString::fromUtf8(c.want));
  }
}

// Levels and fields left out where the last transition after the same
// (field, kind) predicts them; explicit codes wherever it does not.
TEST(TaggedTree, LevelAndFieldPrediction) {
  const Case cases[] = {
      {"a declaration with no codes lands on the baseline", "e0 01 'a' 00 01 e0 01 'b' 00 02", "s{a=1 b=2}"},
      {"no codes at all: the last transition after the same field", "e0 01 'a' 00 01 e0 01 'b' 00 02 f7 03 03 "
       "e0 01 'c' 00 04 f7 03 05 06",
       "s{a=1 b=2 b=3 c=4 b=5 c=6}"},
      {"F1 leaves a struct; a new declaration after it follows the prediction out of it too",
       "e0 00 'p' 00 e3 e0 01 'x' 00 01 f1 e0 01 'y' 00 02 f7 02 e3 03 e0 01 'z' 00 05",
       "s{p{x=1} y=2 p{x=3} z=5}"},
      {"F2, F3 and F4 n leave several levels",
       "e0 00 'a' 00 e2 e0 00 'b' 00 e2 e0 00 'c' 00 e2 e0 00 'd' 00 e2 e0 01 'x' 00 01 f4 04 e0 01 'y' 00 02",
       "s{a{b{c{d{x=1}}}} y=2}"},
      {"F3 from four deep", "e0 00 'a' 00 e2 e0 00 'b' 00 e2 e0 00 'c' 00 e2 e0 01 'x' 00 01 f3 e0 01 'y' 00 02",
       "s{a{b{c{x=1}}} y=2}"},
      {"F2 from three deep", "e0 00 'a' 00 e2 e0 00 'b' 00 e2 e0 01 'x' 00 01 f2 e0 01 'y' 00 02", "s{a{b{x=1}} y=2}"},
      {"F0 keeps the baseline", "e0 01 'a' 00 01 f0 e0 01 'b' 00 02", "s{a=1 b=2}"},
      {"struct array elements take the array's field; FB goes one deeper",
       "e0 00 'arr' 00 f8 02 fb e3 e0 01 'x' 00 01 f1 e3 02 f2 e0 01 'after' 00 09",
       "s{arr[2]{{x=1} {x=2}} after=9}"},
      {"a null element and a 2-D struct array", "e0 00 'arr' 00 f9 01 02 fb e1 e3 e0 01 'x' 00 07",
       "s{arr[2]{null {x=7}}}"},
      {"array dimensions remembered per inline field",
       "e0 00 'op' 00 e3 e0 01 'ids' 00 f8 03 01 03 05 e0 01 'types' 00 f8 03 03 e5 e0 01 'n' 00 01 f1 "
       "f7 02 e3 02 04 06 04 e5 02",
       "s{op{ids=[1,3,5] types=[3,3,3] n=1} op{ids=[2,4,6] types=[4,4,4] n=2}}"},
      {"a section ends with a level code", "e0 01 'a' 00 01 f2", "s{a=1}"},
      {"the codes come in any order", "e0 00 'arr' 00 f8 01 fb f7 02 e3 e0 01 'x' 00 01", "s{arr[1]{{x=1}}}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(walk(hx(std::string(kOpen) + c.bytes)), QString::fromUtf8(c.want));
  }
}

// Damage stops the walk with a reason; what was read before it stays.
TEST(TaggedTree, DamageStopsWithTheTreeSoFar) {
  const Case cases[] = {
      {"truncated declaration", "e0 01 'a' 00 01 e0 01 'b'", "s{a=1} | the section ends inside a field declaration"},
      {"truncated value", "e0 01 'a' 00 e9 01", "s{} | an unknown or truncated value code"},
      {"truncated string", "e0 03 'a' 00 'abc'", "s{} | an unknown or truncated value code"},
      {"truncated array", "e0 01 'a' 00 f8 03 01 02", "s{} | the section ends inside an array"},
      {"unknown field type", "e0 0c 'a' 00 01", "s{} | unknown field type 0x0c"},
      {"unknown struct lead byte", "e0 00 'a' 00 2d", "s{} | an unknown struct lead byte 0x2d"},
      {"unknown double codes", "e0 02 'a' 00 18 e0 02 'b' 00 ee", "s{a=0} | an unknown or truncated value code"},
      {"EF as a double", "e0 02 'a' 00 ef", "s{} | an unknown or truncated value code"},
      {"a string starting with a code", "e0 03 'a' 00 e5 'x' 00", "s{} | an unknown or truncated value code"},
      {"a byte E0 or above unescaped", "e0 07 'a' 00 e5", "s{} | an unknown or truncated value code"},
      {"F5 before a null", "e0 01 'a' 00 f5 f6", "s{} | an unknown or truncated value code"},
      {"F7 to an undeclared field", "e0 01 'a' 00 01 f7 09 05", "s{a=1} | a reference to an undeclared field"},
      {"F7 zero", "e0 01 'a' 00 01 f7 00 05", "s{a=1} | a reference to an undeclared field"},
      {"leaving more levels than there are", "e0 01 'a' 00 01 f4 05 e0 01 'b' 00 02",
       "s{a=1} | a value at level -4 outside any container"},
      {"FB below a leaf", "e0 01 'a' 00 01 fb e0 01 'b' 00 02", "s{a=1} | a value at level 2 outside any container"},
      {"no prediction for the field", "e0 01 'a' 00 01 02", "s{a=1} | a value whose field cannot be predicted"},
      {"array overrun", "e0 00 'arr' 00 f8 01 fb e3 e0 01 'x' 00 01 f1 f7 02 e3 02",
       "s{arr[1]{{x=1}}} | array overrun"},
      {"a struct array claiming more elements than bytes", "e0 00 'arr' 00 f8 c0 ff ff fb e3",
       "s{} | a struct array larger than the section"},
      {"a 2-D struct array whose product overflows", "e0 00 'arr' 00 f9 eb 7f ff ff ff eb 7f ff ff ff e3",
       "s{} | a struct array larger than the section"},
      {"an inline array past the values allowed", "e0 01 'a' 00 f8 eb 7f ff ff ff 01",
       "s{} | an array larger than the values allowed"},
      {"a repeat with nothing before it", "e0 01 'a' 00 f8 02 e4", "s{} | a repeat runs past its array"},
      {"a repeat past its array", "e0 01 'a' 00 f8 02 01 e5", "s{} | a repeat runs past its array"},
      {"a damaged repeat count", "e0 01 'a' 00 f8 02 01 e7 f6", "s{} | a damaged repeat count"},
      {"a damaged level count", "e0 01 'a' 00 01 f4 f5 01 02", "s{a=1} | a damaged level code"},
      {"an array of no elements and no codes", "e0 01 'a' 00 f8 00 e0 01 'b' 00 01 f7 02 01 7f",
       "s{a=[] b=1 a=[] b=1} | a value of no bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(walk(hx(std::string(kOpen) + c.bytes)).section(QStringLiteral(" at byte"), 0, 0), QString::fromUtf8(c.want));
  }
}

TEST(TaggedTree, BoundsOnDepthDeclarationsAndValues) {
  // 600 nested structs: the walk stops at level 512.
  std::string deep = hx("e0 00 'a' 00 e2");
  for (int i = 0; i < 600; ++i) deep += hx("f7 01 e2");
  EXPECT_TRUE(readTaggedTree(deep).stop.startsWith(u"nesting deeper than 512 levels"));
  // 100,001 declarations, each with a value.
  std::string many = hx(std::string(kOpen));
  for (int i = 0; i < 100'001; ++i) many += hx("e0 01 'f' 00 01");
  EXPECT_TRUE(readTaggedTree(many).stop.startsWith(u"more than 100000 field declarations"));
  // Repeats can outgrow the bytes; the values stop at 2,000,000 all the same.
  const std::string wide = hx(std::string(kOpen) + "e0 01 'a' 00 f8 ea 1e 84 80 01 e7 ea 1e 84 7f");
  EXPECT_EQ(readTaggedTree(wide).stop.section(QStringLiteral(" at"), 0, 0), QStringLiteral("an array larger than the values allowed"));
  const std::string fits = hx(std::string(kOpen) + "e0 01 'a' 00 f8 ea 0f 42 40 01 e7 ea 0f 42 3f");
  const TaggedTree tree = readTaggedTree(fits);
  EXPECT_TRUE(tree.stop.isEmpty());
  EXPECT_EQ(tree.scalars().size(), 1'000'000u);
}

TEST(TaggedTree, StopAfterAContainerEndsTheWalkThere) {
  const std::string bytes =
      hx("e0 00 's' 00 e2 e0 00 'attributes' 00 f8 02 fb e3 e0 01 'x' 00 01 f1 e3 02 f2 e0 01 'later' 00 ee");
  // Walked whole, the unknown code after the attributes stops the section.
  EXPECT_TRUE(walk(bytes).contains(u"| an unknown or truncated value code"));
  // Asked to stop after them, the walk ends cleanly with both elements read.
  EXPECT_EQ(walk(bytes, "attributes"), QStringLiteral("s{attributes[2]{{x=1} {x=2}}}"));
}

TEST(TaggedTree, EscapeOfStringTables) {
  EXPECT_EQ(unescapeTaggedString("\xE8\xE5\xBA\x95"), "\xE5\xBA\x95");
  EXPECT_EQ(unescapeTaggedString("\xE8\x80\x80"), "\xE8\x80\x80");
  EXPECT_EQ(unescapeTaggedString("\xE8"), "\xE8");
  EXPECT_EQ(unescapeTaggedString("PI\xC3\x88" "CE"), "PI\xC3\x88" "CE");
}

}  // namespace
}  // namespace kelvaron::reader
