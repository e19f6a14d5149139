#include "reader/wildfirexml.h"

#include "core/reader/corpus.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaron::reader {
namespace {

std::string item(const std::string& name, const std::string& type, int depType, const std::string& component,
                 const std::string& extra = "") {
  return "<item><ToModelDescriptor><Name>x</Name><Type>" + type + "</Type>" + extra +
         "</ToModelDescriptor><ToModelNameAsStored>" + name + "</ToModelNameAsStored><DepType>" +
         std::to_string(depType) + "</DepType><CompCount>1</CompCount>" + component + "</item>";
}
const std::string kPlaced = "<Component><Id>40</Id><Number>5</Number></Component>";

std::string envelope(const std::string& items, const std::string& more = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
      "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body><Top><Descriptor><Name>box</Name>"
      "<Type>asm</Type></Descriptor><Dependencies><Dependencies>" +
      items + "</Dependencies></Dependencies>" + more + "</Top></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

// A decoded section: the right-aligned hex length line, then the XML.
std::string withLength(const std::string& xml) {
  char length[10];
  std::snprintf(length, sizeof length, "%8zX\n", xml.size());
  return length + xml;
}

std::string section(const std::string& items, const std::string& more = "") {
  return withLength(envelope(items, more));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(WildfireXml, SyntheticSections) {
  const struct {
    const char* what;
    std::string decoded;
    QStringList lines;
  } cases[] = {
      {"a nil or empty Component is a reference, not an instance",
       section(item("A", "prt", 2, "<Component xsi:nil=\"true\"/>") + item("B", "prt", 8, "<Component/>") +
               item("C", "prt", 8, "") + item("A", "prt", 2, kPlaced)),
       {"A part 1 0 "}},
      {"active and suppressed instances, aggregated by name and type",
       section(item("W", "asm", 2, kPlaced) + item("W", "prt", 2, kPlaced) + item("W", "asm", 32768, kPlaced) +
               item("W", "asm", 2, kPlaced)),
       {"W assembly 2 1 ", "W part 1 0 "}},
      {"a foreign part, a subtype, a family-table instance",
       section(item("top base", "SLDPRT", 2, kPlaced) + item("SHEET", "prt", 2, kPlaced, "<SubType>SHEETMETAL</SubType>") +
               "<item><ToModelDescriptor><Type>prt</Type></ToModelDescriptor><ToModelNameAsStored>ISO_M4</"
               "ToModelNameAsStored><ToLibraryNameAsStored>ISO</ToLibraryNameAsStored><DepType>2</DepType>" +
               kPlaced + "</item>"),
       {"top base part 1 0 ", "SHEET part 1 0 ", "ISO_M4 part 1 0 ISO"}},
      {"items outside Top/Dependencies/Dependencies are no dependencies",
       section(item("A", "prt", 2, kPlaced), "<Parameters><Parameters>" + item("P", "prt", 2, kPlaced) +
                                                 "</Parameters></Parameters>"),
       {"A part 1 0 "}},
      {"no dependencies", section(""), {}},
  };
  for (const auto& c : cases) {
    AssemblyModel model;
    EXPECT_TRUE(readWildfireXml(c.decoded, model)) << c.what << ": " << model.notes.join(u'\n').toStdString();
    EXPECT_EQ(test::modelLines(model), c.lines) << c.what;
    EXPECT_EQ(model.model, QStringLiteral("box.asm")) << c.what;
  }
  const auto foreign = [] {
    AssemblyModel model;
    model.model = QStringLiteral("pince.asm");
    readWildfireXml(section(item("top base", "SLDPRT", 2, kPlaced, "<SubType>X</SubType>")), model);
    return model;
  }();
  EXPECT_EQ(foreign.model, QStringLiteral("pince.asm"));  // a name from the header stays
  ASSERT_EQ(foreign.components.size(), 1u);
  EXPECT_EQ(foreign.components[0].source, QStringLiteral("SLDPRT"));
  EXPECT_EQ(foreign.components[0].subtype, QStringLiteral("X"));
  EXPECT_EQ(foreign.components[0].file, QStringLiteral("top base.SLDPRT"));
}

TEST(WildfireXml, DamagedSectionsGiveANoteAndNoComponents) {
  const std::string good = section(item("A", "prt", 2, kPlaced) + item("B", "prt", 2, kPlaced));
  std::string deep;
  for (int i = 0; i < 300; ++i) deep = "<a>" + deep + "</a>";
  const struct {
    const char* what;
    std::string decoded;
    const char* reason;
  } cases[] = {
      {"no length line", good.substr(9), "length line"},
      {"a length that is no hex number", "    68Z5\n" + good.substr(9), "malformed length"},
      {"more XML declared than present", good.substr(0, good.size() - 40), "declared"},
      {"the XML cut before its end", withLength(good.substr(9, 300)), "(line "},
      {"no Top element", withLength(replaced(envelope(""), "Top>", "Tip>")), "no Top"},
      {"a component without a type number", section(replaced(item("A", "prt", 2, kPlaced), ">2<", ">x<")),
       "dependency type"},
      {"elements nested too deep", section(item("A", "prt", 2, kPlaced), deep), "too deep"},
  };
  for (const auto& c : cases) {
    AssemblyModel model;
    EXPECT_FALSE(readWildfireXml(c.decoded, model)) << c.what;
    EXPECT_TRUE(model.components.empty()) << c.what;
    EXPECT_TRUE(model.notes.join(u'\n').contains(QLatin1String(c.reason)))
        << c.what << ": " << model.notes.join(u'\n').toStdString();
  }
}

}  // namespace
}  // namespace kelvaron::reader
