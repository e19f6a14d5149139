#include "bom/xlsxtable.h"

#include "bom/savefile.h"
#include "platform/nativepath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <xlsxwriter.h>
#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace kelvaron::bom {

namespace {

constexpr int kMaxOutlineLevel = 7;
constexpr double kMaxColumnWidth = 80;

// Every libxlsxwriter function used here.
// clang-format off
#define KELVARON_XLSX_FUNCTIONS(X) \
  X(workbook_new) X(workbook_add_worksheet) X(workbook_add_format) X(workbook_close) X(format_set_bold) \
  X(worksheet_write_string) X(worksheet_write_number) X(worksheet_set_row_opt) X(worksheet_set_column) \
  X(worksheet_freeze_panes) X(worksheet_autofilter) X(worksheet_outline_settings) X(lxw_strerror)
// clang-format on

// The library's functions, reached through this table. On POSIX systems the
// library is loaded when the first workbook is written: with the crypto and
// zip libraries it needs, loading it at start-up would cost every run of the
// command line about half its start-up time.
struct Xlsx {
#define KELVARON_XLSX_MEMBER(f) decltype(&::f) f = nullptr;
  KELVARON_XLSX_FUNCTIONS(KELVARON_XLSX_MEMBER)
#undef KELVARON_XLSX_MEMBER
  QString error;  // why the library cannot be used
};

const Xlsx& xlsx() {
  static const Xlsx loaded = [] {
    Xlsx x;
#ifdef _WIN32
#define KELVARON_XLSX_BIND(f) x.f = &::f;
#else
    void* library = ::dlopen(KELVARON_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      x.error = QStringLiteral("the Excel library cannot be loaded (%1)").arg(QString::fromLocal8Bit(::dlerror()));
      return x;
    }
#define KELVARON_XLSX_BIND(f)                                   \
  x.f = reinterpret_cast<decltype(&::f)>(::dlsym(library, #f)); \
  if (!x.f && x.error.isEmpty())                                \
    x.error = QStringLiteral("the Excel library %1 lacks %2").arg(KELVARON_XLSXWRITER_LIBRARY, #f);
#endif
    KELVARON_XLSX_FUNCTIONS(KELVARON_XLSX_BIND)
#undef KELVARON_XLSX_BIND
    return x;
  }();
  return loaded;
}

// Writes the sheet; false at the first failure libxlsxwriter reports.
bool fillSheet(const Xlsx& x, lxw_workbook* book, const Table& table) {
  // Sheet names are at most 31 characters and may not hold []:*?/\ .
  lxw_worksheet* sheet = x.workbook_add_worksheet(book, table.title.left(31).toUtf8().constData());
  if (!sheet) return false;
  lxw_format* bold = x.workbook_add_format(book);
  x.format_set_bold(bold);

  const int offset = table.isTree() ? 1 : 0;
  const auto columns = static_cast<std::size_t>(table.headers.size()) + static_cast<std::size_t>(offset);
  std::vector<double> width(columns, 0);
  auto note = [&](std::size_t column, qsizetype length) {
    width[column] = std::max(width[column], static_cast<double>(length));
  };
  auto header = [&](std::size_t column, const QString& text) {
    note(column, text.size());
    return x.worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column), text.toUtf8().constData(), bold) ==
           LXW_NO_ERROR;
  };
  if (offset && !header(0, QStringLiteral("level"))) return false;
  for (qsizetype c = 0; c < table.headers.size(); ++c)
    if (!header(static_cast<std::size_t>(c) + static_cast<std::size_t>(offset), table.headers[c])) return false;

  lxw_row_t lastRow = 0;
  bool written = true;
  {
    table.forEachRow([&](int level, const std::vector<Cell>& cells) {
      const lxw_row_t row = ++lastRow;
      if (offset) {
        if (x.worksheet_write_number(sheet, row, 0, level, nullptr) != LXW_NO_ERROR) return written = false;
        note(0, QString::number(level).size());
        lxw_row_col_options options{};
        options.level = static_cast<uint8_t>(std::min(level, kMaxOutlineLevel));
        if (level > 0 && x.worksheet_set_row_opt(sheet, row, LXW_DEF_ROW_HEIGHT, nullptr, &options) != LXW_NO_ERROR)
          return written = false;
      }
      for (std::size_t c = 0; c < cells.size(); ++c) {
        const auto col = static_cast<lxw_col_t>(c + static_cast<std::size_t>(offset));
        const Cell& cell = cells[c];
        lxw_error e = LXW_NO_ERROR;
        if (const auto* n = std::get_if<std::int64_t>(&cell)) {
          e = x.worksheet_write_number(sheet, row, col, static_cast<double>(*n), nullptr);
          note(col, QString::number(*n).size());
        } else if (const auto* d = std::get_if<double>(&cell)) {
          e = x.worksheet_write_number(sheet, row, col, *d, nullptr);
          note(col, realText(*d).size());
        } else if (const auto* s = std::get_if<QString>(&cell)) {
          // A workbook holds Unicode text only: a file name's stray bytes show as U+FFFD.
          e = x.worksheet_write_string(sheet, row, col, platform::displayPath(*s).toUtf8().constData(), nullptr);
          note(col, s->size());
        }
        if (e != LXW_NO_ERROR) return written = false;
      }
      return true;
    });
  }
  if (!written) return false;
  // The notes below the rows, after an empty row, outside the filter.
  lxw_row_t noteRow = lastRow + 1;
  for (const QString& text : table.notes) {
    const QByteArray line = (QStringLiteral("note: ") + platform::displayPath(text)).toUtf8();
    if (x.worksheet_write_string(sheet, ++noteRow, 0, line.constData(), nullptr) != LXW_NO_ERROR) return false;
  }
  for (std::size_t c = 0; c < columns; ++c)
    x.worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                           std::min(width[c] + 2, kMaxColumnWidth), nullptr);
  x.worksheet_freeze_panes(sheet, 1, 0);
  x.worksheet_autofilter(sheet, 0, 0, lastRow, static_cast<lxw_col_t>(columns - 1));
  // The summary row of a group sits above its members, as in a tree.
  if (offset) x.worksheet_outline_settings(sheet, LXW_TRUE, LXW_FALSE, LXW_FALSE, LXW_FALSE);
  return true;
}

}  // namespace

bool writeXlsx(const Table& table, const QString& path, QString* error) {
  const Xlsx& x = xlsx();
  if (!x.error.isEmpty()) {
    *error = QStringLiteral("cannot write %1: %2").arg(path, x.error);
    return false;
  }
  const QString temporary = temporaryBeside(path, error);
  if (temporary.isEmpty()) return false;
  const std::string native = platform::toNativeBytes(temporary);
  lxw_workbook* book = x.workbook_new(native.c_str());
  const bool filled = book && fillSheet(x, book, table);
  const lxw_error closed = book ? x.workbook_close(book) : LXW_ERROR_CREATING_XLSX_FILE;
  if (!filled || closed != LXW_NO_ERROR) {
    std::error_code ec;
    std::filesystem::remove(platform::toNativePath(temporary), ec);
    *error =
        QStringLiteral("cannot write %1: %2")
            .arg(path,
                 QString::fromUtf8(x.lxw_strerror(closed != LXW_NO_ERROR ? closed : LXW_ERROR_MEMORY_MALLOC_FAILED)));
    return false;
  }
  return commitTemporary(temporary, path, error);
}

}  // namespace kelvaron::bom
