// The model-section readers on handmade input: the old text table, the
// Wildfire XML and the DEPDB_DATA fallback. Each table holds the rules the
// corpus does not all pin and damage each must refuse; a case either reads
// into its lines or fails with its note.

#include "reader/depdb.h"
#include "reader/legacytext.h"
#include "reader/wildfirexml.h"
#include "readerfixtures.h"

#include <array>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

// What a case must read into: its component lines joined by ", ", or
// "refused"; after a '|', a piece of a note the reader must give.
struct Case {
  const char* what;
  std::string bytes;
  QString want;
};

void check(const Case& c, bool ok, const AssemblyModel& m) {
  SCOPED_TRACE(c.what);
  const std::string notes = m.notes.join(u"; ").toStdString();
  EXPECT_EQ((ok ? QString() : QStringLiteral("refused")) + fixtures::modelLines(m).join(u", "),
            c.want.section(u'|', 0, 0))
      << notes;
  EXPECT_TRUE(m.notes.join(u'\n').contains(c.want.section(u'|', 1))) << notes;
}

// The object with its @depend table of `elements` entries, the banner after it and the own name after that.
std::string legacy(int elements, const std::string& table) {
  return "#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n@depend 2 0\n1 2 [" + std::to_string(elements) + "]\n" +
         "@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n" + table +
         "@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n"
         "#Pro/ENGINEER  TM  Version G-03-26  (c) 1988-96 by Parametric Technology Corporation  All Rights "
         "Reserved. 9645\n@model_name 31 0\n1 31 ->\n@model_name 32 10\n1 32 NULL\n@model_name 33 10\n1 33 OWN\n";
}

std::string cutBefore(const std::string& bytes, const char* text) { return bytes.substr(0, bytes.find(text)); }

TEST(LegacyText, Tables) {
  const std::string bolt = "2 2 \n3 3 BOLT\n3 4 2\n3 6 1\n3 7 2\n";
  const Case cases[] = {
      {"a layout, even marked placed, and a reference are no components",
       legacy(3, "2 2 \n3 3 LAY\n3 4 19\n3 6 1\n3 7 2\n2 2 \n3 3 REF\n3 4 2\n3 6 1\n3 7 8\n" + bolt), "BOLT part 1 0 "},
      {"instance types with k*v and a trailing-comma continuation",
       legacy(1, "2 2 \n3 3 CHAIN\n3 4 2\n3 6 29\n3 7 32770\n3 16 [29]\n$2*2,9*32768,\n$16*2,32770,2\n"),
       "CHAIN part 20 9 "},
      {"a one-element array written as a level line",
       legacy(2,
              "2 2 \n3 3 PIN\n3 4 2\n3 6 1\n3 7 2\n3 16 [1]\n4 16 32768\n2 2 \n3 3 SUB\n3 4 1\n3 6 1\n3 7 2\n"
              "3 16 [1]\n4 16 2\n"),
       "PIN part 0 1 , SUB assembly 1 0 "},
      {"an id declared again with another name, a name under a new id",
       legacy(2,
              "2 2 \n3 3 A\n3 4 2\n3 6 4\n3 7 2\n@reason 7 10\n@dep_type 8 1\n3 7 \n2 2 \n3 3 B\n3 4 2\n"
              "3 6 5\n3 7 8\n3 8 2\n"),
       "A part 4 0 , B part 5 0 "},
      {"a mixed entry without instance types counts all and says so",
       legacy(1, "2 2 \n3 3 KNOB\n3 4 2\n3 6 3\n3 7 32770\n"), "KNOB part 3 0 |includes suppressed"},
      {"a wholly suppressed entry", legacy(1, "2 2 \n3 3 CASE\n3 4 1\n3 6 2\n3 7 32768\n"), "CASE assembly 0 2 "},
      {"a family-table instance", legacy(1, "2 2 \n3 3 TOP1_!TOP1\n3 4 2\n3 6 1\n3 7 2\n"), "TOP1_ part 1 0 TOP1"},
      {"a Windows-1252 name", legacy(1, "2 2 \n3 3 \x80X\xe9\n3 4 2\n3 6 1\n3 7 2\n"), "\u20acX\u00e9 part 1 0 "},
      {"fewer elements than declared", legacy(3, bolt), "refused|declares 3 elements but holds 1"},
      {"cut after an element's first line", cutBefore(legacy(2, bolt + "2 2 \n3 3 NUT\n"), "3 3 NUT"),
       "refused|without a model"},
      {"no table", "#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n#END_OF_P_OBJECT\n", "refused|no @depend table"},
      {"a bad number", legacy(1, "2 2 \n3 3 BOLT\n3 4 2x\n"), "refused|malformed number"},
      {"a bad value list", legacy(1, "2 2 \n3 3 B\n3 7 2\n3 16 [2]\n$2,*\n"), "refused|malformed value"},
      {"a stray line", legacy(1, bolt + "garbage\n"), "refused|unknown form"},
      {"an empty model name", legacy(2, "2 2 \n3 3 !G\n3 4 2\n3 6 3\n3 7 2\n" + bolt), "BOLT part 1 0 |without a name"},
      {"an element without a name", legacy(1, "2 2 \n3 4 2\n3 6 1\n3 7 2\n"), "refused|without a model"},
      {"a line longer than the bound", legacy(1, "2 2 \n3 3 " + std::string(1 << 21, 'A')), "refused|longer than"},
  };
  for (const Case& c : cases) {
    AssemblyModel m;
    readLegacyText(MemorySource(c.bytes), 0, -1, m);
    check(c, !m.failed, m);
    if (m.failed) continue;
    EXPECT_EQ(m.model + u' ' + m.writer, QStringLiteral("OWN Version G-03-26")) << c.what;
    EXPECT_EQ(m.notes.isEmpty(), !c.want.contains(u'|')) << c.what << ": " << m.notes.join(u"; ").toStdString();
    // The window's marker scan runs over exactly the table.
    EXPECT_EQ(c.bytes.substr(std::size_t(m.dependBegin), 11), "@depend 2 0") << c.what;
    EXPECT_EQ(c.bytes.substr(std::size_t(m.dependEnd), 13), "@dep_db 30 0\n") << c.what;
  }
}

std::string item(const std::string& name, const std::string& type, const std::string& depType,
                 const std::string& component, const std::string& extra = "") {
  return "<item><ToModelDescriptor><Name>x</Name><Type>" + type + "</Type>" + extra +
         "</ToModelDescriptor><ToModelNameAsStored>" + name + "</ToModelNameAsStored><DepType>" + depType +
         "</DepType><CompCount>1</CompCount>" + component + "</item>";
}
const std::string kPlaced = "<Component><Id>40</Id><Number>5</Number></Component>";

// A decoded section: the right-aligned hex length line, then the XML.
std::string withLength(const std::string& xml) {
  return QString::number(xml.size(), 16).toUpper().rightJustified(8).toStdString() + '\n' + xml;
}

std::string section(const std::string& items, const std::string& more = "") {
  return withLength(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
      "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body><Top><Descriptor>"
      "<Name>box</Name><Type>asm</Type></Descriptor><Dependencies><Dependencies>" +
      items + "</Dependencies></Dependencies>" + more + "</Top></SOAP-ENV:Body></SOAP-ENV:Envelope>");
}

TEST(WildfireXml, Sections) {
  const std::string good = section(item("A", "prt", "2", kPlaced) + item("B", "prt", "2", kPlaced));
  std::string deep;
  for (int i = 0; i < 300; ++i) deep = "<a>" + deep + "</a>";
  const Case cases[] = {
      {"a nil or empty Component is a reference, not an instance",
       section(item("A", "prt", "2", "<Component xsi:nil=\"true\"/>") +
               item("A", "prt", "2", "<Component xsi:nil=\"1\"><Id>40</Id></Component>") +
               item("B", "prt", "8", "<Component/>") + item("C", "prt", "8", "") + item("A", "prt", "2", kPlaced)),
       "A part 1 0 "},
      {"active and suppressed instances, aggregated by name and type",
       section(item("W", "asm", "2", kPlaced) + item("W", "prt", "2", kPlaced) + item("W", "asm", "32768", kPlaced) +
               item("W", "asm", "2", kPlaced)),
       "W assembly 2 1 , W part 1 0 "},
      {"a foreign part, a subtype, a family-table instance",
       section(item("top base", "SLDPRT", "2", kPlaced) +
               item("SHEET", "prt", "2", kPlaced, "<SubType>SHEETMETAL</SubType>") +
               "<item><ToModelDescriptor><Type>prt</Type></ToModelDescriptor><ToModelNameAsStored>ISO_M4</"
               "ToModelNameAsStored><ToLibraryNameAsStored>ISO</ToLibraryNameAsStored><DepType>2</DepType>" +
               kPlaced + "</item>"),
       "top base part 1 0  src=SLDPRT, SHEET part 1 0 , ISO_M4 part 1 0 ISO"},
      {"items outside Top/Dependencies/Dependencies are no dependencies",
       section(item("A", "prt", "2", kPlaced) + "</Dependencies><Parameters>" + item("P", "prt", "2", kPlaced) +
               "</Parameters><Dependencies>"),
       "A part 1 0 "},
      {"a length that is no hex number", "    68Z5\n" + good.substr(9), "refused|malformed length"},
      {"more XML declared than present", good.substr(0, good.size() - 40), "refused|declared"},
      {"the XML cut before its end", withLength(good.substr(9, 300)), "refused|(line "},
      {"no Top element", withLength("<?xml version=\"1.0\"?><Tip><Dependencies/></Tip>"), "refused|no Top"},
      {"a component without a type number", section(item("A", "prt", "x", kPlaced)), "refused|dependency type"},
      {"elements nested too deep", section(deep + item("A", "prt", "2", kPlaced)), "refused|too deep"},
      {"nothing after Top's dependency list is read",
       section(item("A", "prt", "2", kPlaced), "<Parameters><x></Parameters>" + deep), "A part 1 0 "},
  };
  for (const Case& c : cases) {
    AssemblyModel m;
    check(c, readWildfireXml(c.bytes, m), m);
    EXPECT_TRUE(m.components.empty() || m.model == u"box.asm") << c.what;
  }
}

using Dep = std::array<int, 4>;  // to_model_id, dep_type, obj_id, obj_type
struct Model {
  int type;
  std::string name, generic;
};

using fixtures::intCode;
std::string declare(char type, const char* name) { return std::string("\xE0", 1) + type + name + '\0'; }

// A DEPDB_DATA payload laid out as the writer does: declarations with the
// first record, layout references and markers between the elements, NULL slots.
std::string depdb(const std::vector<std::optional<Dep>>& deps, const std::vector<std::optional<Model>>& models) {
  std::string out = declare(0, "p_dep_db") + "\xE3" + declare(0, "dep_db") + "\xF8" + intCode(int(deps.size()));
  bool first = true;
  for (const auto& d : deps) {
    out += first ? "\xF7\x02\xFB" : "\xF1\xF7\x02";
    out += d ? "\xE3" : "\xE1";  // a NULL slot
    if (!d) continue;
    const char* const names[] = {"to_model_id", "dep_type", "obj_id", "obj_type"};
    for (std::size_t i = 0; i < 4; ++i) out += (first ? declare(1, names[i]) : "") + intCode((*d)[i]);
    first = false;
  }
  out += declare(0, "model_db") + "\xF2\xF8" + intCode(int(models.size()));
  first = true;
  for (const auto& m : models) {
    out += first ? "\xF7\x07\xFB" : "\xF2\xF7\x07";
    out += m ? "\xE3" : "\xE1";  // a NULL slot
    if (!m) continue;
    out += (first ? declare(1, "model_t_type") : "") + intCode(m->type);
    out += (first ? declare(10, "model_name") : "") + m->name + '\0';
    out += (first ? declare(10, "generic_name") : "") + m->generic + '\0';
    out += (first ? declare(0, "stamp") : "") + "\xE2";
    first = false;
  }
  return out + "\xF4\x04";
}

// A refused table leaves the model as it was: the caller says what the fallback means.
TEST(Depdb, Tables) {
  const std::string good = depdb({Dep{0, 2, 40, 3}, Dep{1, 2, 41, 3}}, {Model{2, "A", ""}, Model{1, "B", "G"}});
  std::vector<Case> cases = {
      {"placements index model_db, NULL slots included",
       depdb({Dep{0, 2, 40, 3}, std::nullopt, Dep{2, 2, 41, 3}, Dep{0, 2, 42, 3}},
             {Model{2, "A", ""}, std::nullopt, Model{1, "C", ""}}),
       "A part 2 0 , C assembly 1 0 "},
      {"references and non-feature entries place nothing",
       depdb({Dep{0, 10, 7, 3}, Dep{-3, 4, 1, 242}, Dep{0, 8, 9, 3}, Dep{1, 2, 7, 3}},
             {Model{2, "SHROUD", ""}, Model{2, "KNOB", ""}}),
       "KNOB part 1 0 "},
      {"flexible variants count under their generic",
       depdb({Dep{0, 2, 5, 3}, Dep{1, 2, 6, 3}, Dep{2, 2, 7, 3}},
             {Model{2, "ROLLER", ""}, Model{2, "ROLLER#AF1", "ROLLER"}, Model{2, "ROLLER#AF2", ""}}),
       "ROLLER part 3 0 "},
      {"a placement of a NULL slot", depdb({Dep{1, 2, 40, 3}}, {Model{2, "A", ""}, std::nullopt}), "refused"},
      {"a placement past model_db", depdb({Dep{2, 2, 40, 3}}, {Model{2, "A", ""}}), "refused"},
      {"a model of unknown type", depdb({Dep{0, 2, 40, 3}}, {Model{19, "L", ""}}), "refused"},
      {"a count far beyond the bytes",
       declare(0, "p_dep_db") + "\xE3" + declare(0, "dep_db") + "\xF8\xEB\x7F\xFF\xFF\xFF\xE1\xE1", "refused"},
      {"five million NULL slots in model_db, one byte each",
       depdb({Dep{0, 2, 40, 3}}, {Model{2, "A", ""}}).substr(0, depdb({Dep{0, 2, 40, 3}}, {}).size() - 3) +
           intCode(5'000'001) + "\xF7\x07\xFB\xE3" + declare(1, "model_t_type") + intCode(2) +
           declare(10, "model_name") + "A" + '\0' + declare(10, "generic_name") + '\0' + declare(0, "stamp") + "\xE2" +
           [] {
             std::string nulls;
             for (int i = 0; i < 5'000'000; ++i) nulls += "\xF2\xF7\x07\xE1";
             return nulls;
           }() + "\xF4\x04",
       "refused"},
      {"another field where dep_db belongs", declare(0, "p_dep_db") + "\xE3" + declare(0, "model_db") + "\xF8\x00",
       "refused"},
  };
  // Every cut before the closing F4 04 loses bytes the list needs.
  for (std::size_t cut = 0; cut + 2 < good.size(); ++cut) cases.push_back({"a cut", good.substr(0, cut), "refused"});
  for (const Case& c : cases) {
    AssemblyModel m;
    m.notes << QStringLiteral("before");
    check(c, readDepdb(c.bytes, m), m);
    EXPECT_EQ(m.notes, QStringList{QStringLiteral("before")}) << c.what << " " << c.bytes.size();
  }
}

}  // namespace
}  // namespace kelvaron::reader
