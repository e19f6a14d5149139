#include "cli/modeloutput.h"

#include "cli/jsonoutput.h"
#include "platform/shown.h"

#include <algorithm>

namespace kelvaron::cli {

namespace {

using reader::AssemblyModel;
using reader::ModelComponent;

void appendJsonStringOrNull(OutputBuffer& out, const QString& text) {
  if (text.isEmpty()) {
    out.append("null");
  } else {
    appendJsonString(out, text);
  }
}

void appendJsonKey(OutputBuffer& out, std::string_view key) {
  out.append(",\"");
  out.append(key);
  out.append("\":");
}

void appendOptional(OutputBuffer& out, std::string_view key, const QString& text) {
  if (text.isEmpty()) return;
  appendJsonKey(out, key);
  appendJsonString(out, text);
}

void appendJsonComponent(OutputBuffer& out, const ModelComponent& c) {
  out.append("{\"name\":");
  appendJsonString(out, c.name);
  out.append(",\"type\":\"");
  out.append(reader::typeName(c.type));
  out.append("\",\"quantity\":");
  out.append(std::to_string(c.quantity));
  out.append(",\"suppressed\":");
  out.append(std::to_string(c.suppressed));
  appendOptional(out, "subtype", c.subtype);
  appendOptional(out, "generic", c.generic);
  appendOptional(out, "source", c.source);
  appendOptional(out, "file", c.file);
  out.append('}');
}

QString typeText(const ModelComponent& c) {
  const QString type = QLatin1String(reader::typeName(c.type));
  return c.subtype.isEmpty() ? type : type + u'/' + platform::escapeControls(c.subtype);
}

QString writerOrGeneration(const AssemblyModel& model, const QString& otherwise) {
  if (!model.writer.isEmpty()) return platform::escapeControls(model.writer);
  return model.generation == reader::Generation::Unknown ? otherwise
                                                         : QLatin1String(reader::generationName(model.generation));
}

}  // namespace

bool hasModelList(const AssemblyAnalysis& analysis) {
  return analysis.fallback.isEmpty() && !analysis.model.failed &&
         analysis.model.generation != reader::Generation::Unknown;
}

void appendJsonModel(OutputBuffer& out, const AssemblyAnalysis& analysis) {
  const AssemblyModel& model = analysis.model;
  appendJsonKey(out, "format");
  if (!analysis.assembly || !analysis.error.isEmpty()) {
    out.append("null");
  } else {
    out.append("{\"generation\":\"");
    out.append(reader::generationName(model.generation));
    out.append("\",\"writer\":");
    appendJsonStringOrNull(out, model.writer);
    out.append(",\"model\":");
    appendJsonStringOrNull(out, model.model);
    out.append('}');
  }
  appendJsonKey(out, "components");
  out.append('[');
  if (hasModelList(analysis)) {
    for (std::size_t i = 0; i < model.components.size(); ++i) {
      if (i > 0) out.append(',');
      appendJsonComponent(out, model.components[i]);
    }
  }
  out.append(']');
  appendJsonKey(out, "notes");
  out.append('[');
  for (qsizetype i = 0; i < analysis.notes.size(); ++i) {
    if (i > 0) out.append(',');
    appendJsonString(out, analysis.notes[i]);
  }
  out.append(']');
}

QString longListing(const AssemblyModel& model) {
  const auto& all = model.components;
  const bool anySuppressed = std::any_of(all.begin(), all.end(), [](const auto& c) { return c.suppressed > 0; });
  const bool anyGeneric = std::any_of(all.begin(), all.end(), [](const auto& c) { return !c.generic.isEmpty(); });
  qsizetype quantityWidth = 1;
  qsizetype suppressedWidth = 0;
  qsizetype typeWidth = 0;
  qsizetype nameWidth = 0;
  for (const ModelComponent& c : all) {
    quantityWidth = std::max(quantityWidth, QString::number(c.quantity).size());
    suppressedWidth = std::max(suppressedWidth, QString::number(c.suppressed).size());
    typeWidth = std::max(typeWidth, typeText(c).size());
    nameWidth = std::max(nameWidth, platform::escapeControls(c.name).size());
  }
  const qsizetype kinds = static_cast<qsizetype>(all.size());
  QString text = QStringLiteral("%1: %2 component%3, %4 instance%5\n")
                     .arg(writerOrGeneration(model, QStringLiteral("unknown layout")))
                     .arg(kinds)
                     .arg(kinds == 1 ? "" : "s")
                     .arg(model.instanceCount())
                     .arg(model.instanceCount() == 1 ? "" : "s");
  for (const ModelComponent& c : all) {
    QString line = QString::number(c.quantity).rightJustified(quantityWidth + 2);
    if (anySuppressed) {
      // A column of "N suppressed", blank where there is none.
      const QString cell = c.suppressed > 0 ? QStringLiteral("%1 suppressed").arg(c.suppressed) : QString();
      line += QStringLiteral("  ") + cell.leftJustified(suppressedWidth + 11);
    }
    line += QStringLiteral("  ") + typeText(c).leftJustified(typeWidth) + QStringLiteral("  ");
    // Names from the file are escaped here: the lines go out whole.
    const QString name = platform::escapeControls(c.name);
    if (anyGeneric && !c.generic.isEmpty()) {
      line += name.leftJustified(nameWidth) + QStringLiteral("  generic ") + platform::escapeControls(c.generic);
    } else {
      line += name;
    }
    text += line + u'\n';
  }
  return text;
}

QString longScanHeading(const AssemblyModel& model, std::int64_t names) {
  return QStringLiteral("%1: %2 name%3 by the marker scan")
      .arg(writerOrGeneration(model, QStringLiteral("unknown layout")))
      .arg(names)
      .arg(names == 1 ? "" : "s");
}

}  // namespace kelvaron::cli
