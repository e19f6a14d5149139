#pragma once
// The model's own data in part and assembly files of every generation: user
// parameters, the material, mass properties and the embedded picture.
//
// Like the component reader, it reads the header and the table of contents,
// then only the sections it needs, by positioned reads: NeuPrtSld or
// NeuAsmSld for the parameters, BasicText for the material and mass,
// THMB_IMG_MAIN for the picture; the legacy text object for Release 14-18.

#include "reader/bytesource.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kelvaron::reader {

enum class ParameterType { Real, String, Integer, Boolean, Note };

/// "real", "string", "integer", "boolean" or "note".
const char* parameterTypeName(ParameterType type);

/// A parameter's value: nothing (stored null, or a real in a code whose value
/// is not known), a real, an integer, a boolean or a text.
using ParameterValue = std::variant<std::monostate, double, std::int64_t, bool, QString>;

/// One parameter as the file stores it.
struct Parameter {
  QString name;  ///< "DESCRIPTION", "PTC_MP_VAL_IMP_VOLUME", ...
  ParameterType type = ParameterType::String;
  ParameterValue value;
  std::optional<bool> designated;  ///< nothing where the file does not record it (before Creo 2, legacy text)
  std::optional<QString> unit;     ///< nothing when none
  std::optional<QString> owner;    ///< the item owning it (a material name); nothing for the model's own

  bool operator==(const Parameter&) const = default;
};

/// The last computed mass properties, in the model's units.
struct MassProperties {
  QString source;  ///< "BasicText.mass_prop_ptr", "BasicText.gen_mass_prop_data" or "parameters"
  std::optional<double> density;
  std::optional<double> volume;
  std::optional<double> area;
  std::optional<double> mass;  ///< stored, or density times volume
};

/// What the embedded picture is, without its bytes.
struct PictureInfo {
  QString format;       ///< "jpeg", or "unknown" for bytes of no known image format
  int width = 0;        ///< from the image's own header; 0 when it has none
  int height = 0;
  std::int64_t bytes = 0;   ///< the image's size as stored, decoded when compressed
  bool compressed = false;  ///< the section holds it LZW-compressed
};

/// Which items to read: a caller that needs only some of them is spared the
/// sections of the others.
enum ModelDataItem : unsigned {
  ReadParameters = 1,
  ReadMaterial = 2,
  ReadMass = 4,
  ReadPicture = 8,
  ReadAll = 15,
};

/// The reader's result for one file.
struct ModelData {
  QString kind;    ///< the header's model kind: "PART", "ASSEMBLY", "ASSEMBLY/ASSEM_MFG"; empty when no header
  int release = 0;  ///< the header's release code, 1400 ... 4300
  QString writer;  ///< the banner's version text, as the component reader gives it
  QString model;   ///< the file's own model name when the header names it
  std::vector<Parameter> parameters;  ///< in stored order, system parameters included
  /// Where the parameters came from: "NeuPrtSld.attributes", "NeuAsmSld.attributes",
  /// "P_OBJECT.user_symbols"; empty when the file stores none.
  QString parameterSource;
  std::optional<QString> material;
  std::optional<MassProperties> mass;  ///< only with a non-zero volume
  std::optional<PictureInfo> picture;
  QStringList notes;  ///< fallbacks, damage, values not decoded, items the file lacks
};

/// Reads the items `what` of the file behind `source`. Never throws; damage
/// gives notes and keeps whatever was read before it. Bounded in time and
/// memory whatever the bytes say.
ModelData readModelData(const ByteSource& source, unsigned what = ReadAll);

/// The result of reading a file from disk.
struct FileModelData {
  ModelData data;
  QString error;  ///< empty, or "cannot read PATH: reason" when the file could not be opened or read
};

/// Opens `path` and reads the items `what` of it.
FileModelData readModelDataFile(const QString& path, unsigned what = ReadAll);

/// A model's embedded picture with its bytes.
struct Picture {
  PictureInfo info;
  std::string bytes;  ///< the image file exactly as stored (a JPEG), decoded when it was compressed
  QString error;      ///< empty, or why there is none: "no picture stored", "cannot read PATH: reason", ...
};

/// The picture alone, cheaply, for callers that show many of them (a product
/// view loading thumbnails off its UI thread, one call per file): reads the
/// header, the table of contents and the one THMB_IMG_MAIN section by
/// positioned reads, nothing else of the file. Safe to call from any thread;
/// no shared state. Release 14 to Wildfire 4 files hold no picture; neither do
/// some Wildfire 5 files. The decode is capped at 64 MB.
///
///   const Picture p = readPictureFile(path);
///   if (p.error.isEmpty()) image.loadFromData(QByteArray::fromStdString(p.bytes));
Picture readPicture(const ByteSource& source);
Picture readPictureFile(const QString& path);

}  // namespace kelvaron::reader
