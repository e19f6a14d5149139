#include "cli/infocommand.h"

#include "bom/savefile.h"
#include "cli/jsonoutput.h"
#include "cli/outputbuffer.h"
#include "platform/nativepath.h"
#include "platform/shown.h"
#include "reader/assemblyreader.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kelvaron::cli {

namespace {

using reader::ModelData;

std::string shortest(double v) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

// A number as JSON: finite values only, others null.
void appendNumber(OutputBuffer& out, const std::optional<double>& v) {
  out.append(v && std::isfinite(*v) ? std::string_view(shortest(*v)) : std::string_view("null"));
}

void appendOptionalString(OutputBuffer& out, const std::optional<QString>& s) {
  if (s)
    appendJsonString(out, *s);
  else
    out.append("null");
}

QString massText(const reader::MassProperties& m) {
  QStringList parts;
  const auto add = [&](const char* name, const std::optional<double>& v) {
    if (v) parts << QLatin1String(name) + u' ' + QString::fromStdString(shortest(*v));
  };
  add("density", m.density);
  add("volume", m.volume);
  add("area", m.area);
  add("mass", m.mass);
  return parts.join(QStringLiteral(", ")) + QStringLiteral(" (from %1)").arg(m.source);
}

// The read of one file, formatted; `failed` when it could not be read or is no model file.
struct InfoResult {
  std::string text;
  QString error;
  bool failed = false;
};

InfoResult readInfo(const QString& path, bool json) {
  InfoResult r;
  const reader::FileModelData data = reader::readModelDataFile(path);
  if (!data.error.isEmpty()) {
    r.error = data.error;
    r.failed = true;
    return r;
  }
  const reader::FileModel format = reader::readAssemblyFile(path);
  const QString shownPath = platform::displayPath(path);
  r.text = json ? infoJson(shownPath, format.model, data.data) : infoText(shownPath, format.model, data.data);
  if (data.data.kind.isEmpty()) {
    r.error = QStringLiteral("%1: %2").arg(shownPath, data.data.notes.value(0));
    r.failed = true;
  }
  return r;
}

// Reads the files on a few threads and prints their results in order.
ExitStatus runInfo(const QStringList& files, bool json, const CommandContext& c) {
  std::vector<std::optional<InfoResult>> results(static_cast<std::size_t>(files.size()));
  std::mutex mutex;
  std::condition_variable ready;
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < results.size(); i = next++) {
      InfoResult r = readInfo(files[static_cast<qsizetype>(i)], json);
      const std::lock_guard lock(mutex);
      results[i] = std::move(r);
      ready.notify_all();
    }
  };
  const auto threads = std::min(static_cast<std::size_t>(c.jobs()), results.size());
  std::vector<std::jthread> pool;
  for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
  OutputBuffer buffer(c.out);
  bool failed = false;
  for (std::size_t i = 0; i < results.size(); ++i) {
    InfoResult r;
    {
      std::unique_lock lock(mutex);
      ready.wait(lock, [&] { return results[i].has_value(); });
      r = std::move(*results[i]);
      results[i].reset();
    }
    if (!json && i > 0 && !r.text.empty()) buffer.append('\n');
    buffer.append(r.text);
    if (!r.error.isEmpty()) {
      buffer.flush();
      c.messages.say(r.error);
    }
    failed = failed || r.failed;
  }
  if (!buffer.flush()) {
    c.messages.problem({Problem::Kind::CannotWrite, QStringLiteral("standard output"),
                        QString::fromLocal8Bit(std::strerror(buffer.error()))});
    failed = true;
  }
  return failed ? ExitStatus::Failure : ExitStatus::Success;
}

ExitStatus runPicture(const QString& path, const QString& target, const CommandContext& c) {
  const reader::Picture picture = reader::readPictureFile(path);
  if (!picture.error.isEmpty()) {
    c.messages.say(picture.error.startsWith(u"cannot read")
                       ? picture.error
                       : QStringLiteral("%1: %2").arg(platform::displayPath(path), picture.error));
    return ExitStatus::Failure;
  }
  bom::ResultTarget out;
  QString error;
  if (out.open(target, c.out, &error)) {
    out.write(picture.bytes);
    if (out.finish(&error)) return ExitStatus::Success;
  }
  c.messages.say(error);
  return ExitStatus::Failure;
}

}  // namespace

QString parameterValueText(const reader::ParameterValue& value) {
  if (const auto* d = std::get_if<double>(&value)) return QString::fromStdString(shortest(*d));
  if (const auto* i = std::get_if<std::int64_t>(&value)) return QString::number(*i);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? QStringLiteral("true") : QStringLiteral("false");
  if (const auto* s = std::get_if<QString>(&value)) return *s;
  return {};
}

std::string infoJson(const QString& file, const reader::AssemblyModel& format, const ModelData& data) {
  OutputBuffer out(nullptr);
  out.append("{\"file\":");
  appendJsonString(out, file);
  out.append(",\"format\":{\"generation\":\"");
  out.append(reader::generationName(format.generation));
  out.append("\",\"writer\":");
  appendJsonString(out, data.writer.isEmpty() ? format.writer : data.writer);
  out.append(",\"model\":");
  appendJsonString(out, data.model.isEmpty() ? format.model : data.model);
  out.append("},\"parameters\":[");
  for (std::size_t i = 0; i < data.parameters.size(); ++i) {
    const reader::Parameter& p = data.parameters[i];
    out.append(i ? ",{\"name\":" : "{\"name\":");
    appendJsonString(out, p.name);
    out.append(",\"type\":\"");
    out.append(reader::parameterTypeName(p.type));
    out.append("\",\"value\":");
    if (const auto* d = std::get_if<double>(&p.value))
      appendNumber(out, *d);
    else if (std::holds_alternative<std::int64_t>(p.value) || std::holds_alternative<bool>(p.value))
      out.append(parameterValueText(p.value).toStdString());
    else if (const auto* s = std::get_if<QString>(&p.value))
      appendJsonString(out, *s);
    else
      out.append("null");
    out.append(",\"designated\":");
    out.append(p.designated ? (*p.designated ? "true" : "false") : "null");
    out.append(",\"unit\":");
    appendOptionalString(out, p.unit);
    out.append(",\"owner\":");
    appendOptionalString(out, p.owner);
    out.append('}');
  }
  out.append("],\"material\":");
  appendOptionalString(out, data.material);
  out.append(",\"mass\":");
  if (data.mass) {
    out.append("{\"source\":");
    appendJsonString(out, data.mass->source);
    out.append(",\"density\":");
    appendNumber(out, data.mass->density);
    out.append(",\"volume\":");
    appendNumber(out, data.mass->volume);
    out.append(",\"area\":");
    appendNumber(out, data.mass->area);
    out.append(",\"mass\":");
    appendNumber(out, data.mass->mass);
    out.append('}');
  } else {
    out.append("null");
  }
  out.append(",\"thumbnail\":");
  if (data.picture) {
    out.append("{\"format\":");
    appendJsonString(out, data.picture->format);
    out.append(QStringLiteral(",\"width\":%1,\"height\":%2,\"bytes\":%3,\"stored\":\"%4\"}")
                   .arg(data.picture->width)
                   .arg(data.picture->height)
                   .arg(data.picture->bytes)
                   .arg(data.picture->compressed ? u"lzw" : u"raw")
                   .toStdString());
  } else {
    out.append("null");
  }
  out.append(",\"notes\":[");
  for (qsizetype i = 0; i < data.notes.size(); ++i) {
    if (i) out.append(',');
    appendJsonString(out, data.notes[i]);
  }
  out.append("]}\n");
  return out.take();
}

std::string infoText(const QString& file, const reader::AssemblyModel& format, const ModelData& data) {
  QStringList lines{platform::escapeControls(file)};
  const auto fact = [&](const char* name, const QString& value) {
    lines << QStringLiteral("  %1 %2").arg(QLatin1String(name), -11).arg(value);
  };
  fact("generation", QLatin1String(reader::generationName(format.generation)));
  fact("writer", platform::escapeControls(data.writer.isEmpty() ? format.writer : data.writer));
  fact("model", platform::escapeControls(data.model.isEmpty() ? format.model : data.model));
  fact("material", data.material ? platform::escapeControls(*data.material) : QStringLiteral("-"));
  fact("mass", data.mass ? massText(*data.mass) : QStringLiteral("-"));
  fact("picture", data.picture ? QStringLiteral("%1 %2 x %3, %4 bytes%5")
                                     .arg(data.picture->format)
                                     .arg(data.picture->width)
                                     .arg(data.picture->height)
                                     .arg(data.picture->bytes)
                                     .arg(data.picture->compressed ? QStringLiteral(" (compressed)") : QString())
                               : QStringLiteral("-"));
  fact("parameters", QString::number(data.parameters.size()));
  qsizetype nameWidth = 0;
  for (const reader::Parameter& p : data.parameters) nameWidth = std::max(nameWidth, platform::escapeControls(p.name).size());
  for (const reader::Parameter& p : data.parameters) {
    QString line = QStringLiteral("    %1  %2  %3")
                       .arg(platform::escapeControls(p.name), -int(nameWidth))
                       .arg(QLatin1String(reader::parameterTypeName(p.type)), -7)
                       .arg(std::holds_alternative<std::monostate>(p.value) ? QStringLiteral("-")
                            : p.value == reader::ParameterValue(QString()) ? QStringLiteral("\"\"")
                                                                           : platform::escapeControls(parameterValueText(p.value)));
    if (p.unit) line += QStringLiteral("  [%1]").arg(platform::escapeControls(*p.unit));
    if (p.owner) line += QStringLiteral("  of %1").arg(platform::escapeControls(*p.owner));
    if (p.designated && *p.designated) line += QStringLiteral("  designated");
    lines << line;
  }
  for (const QString& note : data.notes) lines << QStringLiteral("  note: ") + platform::escapeControls(note);
  for (QString& l : lines) {
    while (l.endsWith(u' ')) l.chop(1);
  }
  return (lines.join(u'\n') + u'\n').toStdString();
}

namespace {

const char* const kInfoFooter =
    "Exit status: 0 when every file was read; 1 when one could not be read or holds no picture; 2 for a "
    "usage error.";

}  // namespace

Command infoCommand() {
  return {"info", "generation, writer, model, parameters, material, mass and picture of each FILE",
          [](CLI::App& app) -> CommandRun {
            struct Args {
              std::string format = "text";
              std::vector<std::string> files;
            };
            auto a = std::make_shared<Args>();
            app.add_option("--format", a->format, "text or json (one object a line)")
                ->check(CLI::IsMember({"text", "json"}));
            app.add_option("FILE", a->files, "part and assembly files")->required();
            return [a](const CommandContext& c) {
              QStringList paths;
              for (const std::string& f : a->files) paths << platform::fromNativeBytes(f);
              return runInfo(paths, a->format == "json", c);
            };
          },
          Command::Shares::Jobs, kInfoFooter};
}

Command pictureCommand() {
  return {"picture", "the picture stored in FILE, written exactly as stored",
          [](CLI::App& app) -> CommandRun {
            struct Args {
              std::string target;
              std::string file;
            };
            auto a = std::make_shared<Args>();
            app.add_option("-o,--output", a->target,
                           "the file to write, complete or not at all; - for standard output")
                ->required();
            app.add_option("FILE", a->file, "a part or assembly file")->required();
            return [a](const CommandContext& c) {
              return runPicture(platform::fromNativeBytes(a->file), platform::fromNativeBytes(a->target), c);
            };
          },
          Command::Shares::None, kInfoFooter};
}

}  // namespace kelvaron::cli
