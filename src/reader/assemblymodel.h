#pragma once
// What the format reader gives for one assembly file: how it was written,
// and the components built into it with their type and how often each is placed.

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kelvaron::reader {

/// The layout generation of a file, recognised by its content alone.
enum class Generation {
  Unknown,      ///< not a native file, or a layout the reader does not know
  LegacyText,   ///< Release 14 to Wildfire 4: the text "#P_OBJECT" with its "@depend" table
  WildfireXml,  ///< Wildfire 5: an XML model section in the binary container
  CreoTokens,   ///< Creo 2 and later: a "PSB_Tokens" model section in the binary container
};

/// "legacy-text", "wildfire-xml", "creo-tokens" or "unknown".
const char* generationName(Generation generation);

enum class ComponentType { Part, Assembly };

/// "part" or "assembly".
const char* typeName(ComponentType type);

/// One distinct component of an assembly: a (name, type) pair with its counts.
struct ModelComponent {
  QString name;  ///< the name as stored ("BOLT", "top base", "MAINTIEN_PIÈCE_V3")
  ComponentType type = ComponentType::Part;
  QString subtype;              ///< "SHEETMETAL", "HARNESS_PART", ...; empty for none
  std::int64_t quantity = 0;    ///< active placed instances
  std::int64_t suppressed = 0;  ///< suppressed placed instances
  QString generic;              ///< the family-table generic when `name` is an instance
  QString source;               ///< the foreign CAD type ("SLDPRT") of a non-native model
  QString file;                 ///< the file name it is stored under, without a version

  bool operator==(const ModelComponent&) const = default;
};

/// The file name a component is stored under: the generic's for a
/// family-table instance, the name with the foreign type as extension (case
/// kept) for a foreign model, else the lower-case name with ".prt" or ".asm".
/// storedFileName("BOLT", Part, "", "") == "bolt.prt";
/// storedFileName("ISO4762_M4X10", Part, "ISO4762", "") == "iso4762.prt";
/// storedFileName("top base", Part, "", "SLDPRT") == "top base.SLDPRT"
QString storedFileName(const QString& name, ComponentType type, const QString& generic, const QString& source);

/// The reader's result for one file.
struct AssemblyModel {
  Generation generation = Generation::Unknown;
  QString writer;  ///< the banner's version text: "Creo 9.0 (9.0.0.0)", "Wildfire 5.0 (M050)", "Version G-03-26"
  QString model;   ///< the file's own model name ("asm0001_pince.asm", "CONTROL")
  std::vector<ModelComponent> components;  ///< distinct (name, type), in order of first appearance
  QStringList notes;                       ///< what a user should know: fallbacks, damage, internal parts
  /// The layout was recognised but its component list could not be read:
  /// a caller falls back to the plain marker scan. The reason is in `notes`.
  bool failed = false;
  /// Legacy text only: the 0-based byte range [dependBegin, dependEnd) of
  /// the "@depend" table in the file, where the marker scan finds the names.
  std::int64_t dependBegin = -1;
  std::int64_t dependEnd = -1;

  /// Adds `quantity` active and `suppressed` suppressed instances of
  /// (c.name, c.type): merged into the entry of that pair when there is one,
  /// appended otherwise (with `file` filled in by storedFileName when empty).
  /// Constant time per call, however many components a file names.
  void add(ModelComponent c);
  /// All active instances, over every component.
  std::int64_t instanceCount() const;

 private:
  /// Where each (type, name) sits in `components`; rebuilt when the vector
  /// was changed other than through add().
  QHash<QString, std::size_t> m_positions;
};

}  // namespace kelvaron::reader
