#pragma once
// The part-data commands of kelvaron-cli: info (generation, writer, model,
// parameters, material, mass and picture of each file) and picture (the
// embedded picture written out as stored).

#include "cli/commands.h"
#include "reader/assemblymodel.h"
#include "reader/modeldata.h"

#include <QStringList>
#include <cstdio>
#include <string>

namespace kelvaron::cli {

/// "info [--format text|json] FILE...": each file's part data, in order.
/// Exit status: Success when every file was read, Failure when any could not
/// be or is no model file.
Command infoCommand();

/// "picture FILE -o OUT": the embedded picture written as stored (OUT "-" is
/// standard output). Failure when the file holds none or it cannot be written.
Command pictureCommand();

/// One file's info as one JSON object and a line end:
/// {"file", "format": {"generation", "writer", "model"}, "parameters": [{"name",
/// "type", "value", "designated", "unit", "owner"}], "material", "mass":
/// {"source", "density", "volume", "area", "mass"} | null, "thumbnail":
/// {"format", "width", "height", "bytes", "stored"} | null, "notes": []}.
std::string infoJson(const QString& file, const reader::AssemblyModel& format, const reader::ModelData& data);

/// One file's info as aligned text: the file, its facts one a line, one
/// parameter a line, the notes; control characters from the file escaped.
std::string infoText(const QString& file, const reader::AssemblyModel& format, const reader::ModelData& data);

/// A parameter's value as text: a real in its shortest exact form ("0.1",
/// "1227.439264097482"), an integer, "true"/"false", the text itself; empty for none.
QString parameterValueText(const reader::ParameterValue& value);

}  // namespace kelvaron::cli
