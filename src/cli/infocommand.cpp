#include "cli/infocommand.h"

#include "bom/savefile.h"
#include "cli/exitstatus.h"
#include "cli/jsonoutput.h"
#include "cli/outputbuffer.h"
#include "platform/nativepath.h"
#include "reader/assemblyreader.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
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

// Text from a file as a terminal may show it: control characters as \xNN.
QString shown(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
      out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out;
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
ExitStatus runInfo(const QStringList& files, bool json, std::FILE* out, std::FILE* err) {
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
  const auto threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), results.size());
  std::vector<std::jthread> pool;
  for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
  OutputBuffer buffer(out);
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
      std::fprintf(err, "kelvaron-cli: %s\n", r.error.toLocal8Bit().constData());
    }
    failed = failed || r.failed;
  }
  if (!buffer.flush()) {
    std::fprintf(err, "kelvaron-cli: cannot write the output\n");
    failed = true;
  }
  return failed ? ExitStatus::Failure : ExitStatus::Success;
}

ExitStatus runPicture(const QString& path, const QString& target, std::FILE* out, std::FILE* err) {
  const reader::Picture picture = reader::readPictureFile(path);
  if (!picture.error.isEmpty()) {
    const QString why = picture.error.startsWith(u"cannot read")
                            ? picture.error
                            : QStringLiteral("%1: %2").arg(platform::displayPath(path), picture.error);
    std::fprintf(err, "kelvaron-cli: %s\n", why.toLocal8Bit().constData());
    return ExitStatus::Failure;
  }
  if (target == u"-") {
    const bool written = std::fwrite(picture.bytes.data(), 1, picture.bytes.size(), out) == picture.bytes.size();
    if (written && std::fflush(out) == 0) return ExitStatus::Success;
    std::fprintf(err, "kelvaron-cli: cannot write the picture to standard output\n");
    return ExitStatus::Failure;
  }
  QString error;
  if (bom::saveFile(target, QByteArray::fromStdString(picture.bytes), &error)) return ExitStatus::Success;
  std::fprintf(err, "kelvaron-cli: %s\n", error.toLocal8Bit().constData());
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
  QStringList lines{shown(file)};
  const auto fact = [&](const char* name, const QString& value) {
    lines << QStringLiteral("  %1 %2").arg(QLatin1String(name), -11).arg(value);
  };
  fact("generation", QLatin1String(reader::generationName(format.generation)));
  fact("writer", shown(data.writer.isEmpty() ? format.writer : data.writer));
  fact("model", shown(data.model.isEmpty() ? format.model : data.model));
  fact("material", data.material ? shown(*data.material) : QStringLiteral("-"));
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
  for (const reader::Parameter& p : data.parameters) nameWidth = std::max(nameWidth, shown(p.name).size());
  for (const reader::Parameter& p : data.parameters) {
    QString line = QStringLiteral("    %1  %2  %3")
                       .arg(shown(p.name), -int(nameWidth))
                       .arg(QLatin1String(reader::parameterTypeName(p.type)), -7)
                       .arg(std::holds_alternative<std::monostate>(p.value) ? QStringLiteral("-")
                            : p.value == reader::ParameterValue(QString()) ? QStringLiteral("\"\"")
                                                                           : shown(parameterValueText(p.value)));
    if (p.unit) line += QStringLiteral("  [%1]").arg(shown(*p.unit));
    if (p.owner) line += QStringLiteral("  of %1").arg(shown(*p.owner));
    if (p.designated && *p.designated) line += QStringLiteral("  designated");
    lines << line;
  }
  for (const QString& note : data.notes) lines << QStringLiteral("  note: ") + shown(note);
  for (QString& l : lines) {
    while (l.endsWith(u' ')) l.chop(1);
  }
  return (lines.join(u'\n') + u'\n').toStdString();
}

bool isInfoCommand(const QString& first) { return first == u"info" || first == u"picture"; }

int runInfoCommand(const QStringList& args, std::FILE* out, std::FILE* err) {
  CLI::App app("Part data of model files.", "kelvaron-cli");
  app.require_subcommand(1, 1);
  app.set_help_flag("-h,--help", "show this help and exit");
  std::string format = "text", target;
  std::vector<std::string> files;
  std::string file;
  CLI::App* info = app.add_subcommand(
      "info", "generation, writer, model, parameters, material, mass and picture of each FILE");
  info->add_option("--format", format, "text or json (one object a line)")->check(CLI::IsMember({"text", "json"}));
  info->add_option("FILE", files, "part and assembly files")->required();
  CLI::App* picture = app.add_subcommand("picture", "the picture stored in FILE, written exactly as stored");
  picture->add_option("-o,--output", target, "the file to write; - for standard output")->required();
  picture->add_option("FILE", file, "a part or assembly file")->required();
  app.footer("Exit status: 0 when every file was read; 1 when one could not be read or holds no picture; 2 for a "
             "usage error.");
  std::vector<std::string> argv;
  for (qsizetype i = args.size() - 1; i >= 0; --i) argv.push_back(platform::toNativeBytes(args[i]));
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), out);
    return static_cast<int>(ExitStatus::Success);
  } catch (const CLI::ParseError& e) {
    std::fprintf(err, "kelvaron-cli %s: %s\nTry 'kelvaron-cli %s --help' for more information.\n",
                 args.value(0).toLocal8Bit().constData(), e.what(), args.value(0).toLocal8Bit().constData());
    return static_cast<int>(ExitStatus::Usage);
  }
  if (picture->parsed())
    return static_cast<int>(runPicture(platform::fromNativeBytes(file), platform::fromNativeBytes(target), out, err));
  QStringList paths;
  for (const std::string& f : files) paths << platform::fromNativeBytes(f);
  return static_cast<int>(runInfo(paths, format == "json", out, err));
}

}  // namespace kelvaron::cli
