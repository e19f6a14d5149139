#include "productview/rowfields.h"

#include "platform/nativepath.h"
#include "productview/statusstyle.h"

#include <QCoreApplication>
#include <QDir>

namespace kelvaron::productview {

QString shownFile(const QString& path, const QString& topFolder) {
  return path.isEmpty() ? QString() : platform::displayPath(QDir(topFolder).relativeFilePath(path));
}

QVariant fieldData(Field field, const RowFields& row, const QString& topFolder, int role) {
  const bool number = field == Field::Quantity || field == Field::Suppressed || field == Field::Parents;
  switch (role) {
    case Qt::DisplayRole:
    case SortRole:
      switch (field) {
        case Field::Name:
          return role == SortRole ? QVariant(row.name.toCaseFolded()) : QVariant(row.name);
        case Field::Quantity:
          return QVariant::fromValue<qlonglong>(row.quantity);
        case Field::Suppressed:
          return QVariant::fromValue<qlonglong>(row.suppressed);
        case Field::Parents:
          return row.parents;
        case Field::Type:
          return QString::fromLatin1(reader::typeName(row.type));
        case Field::Description:
          return row.facts ? row.facts->description : QString();
        case Field::Material:
          return row.facts ? row.facts->material : QString();
        case Field::File:
          return shownFile(row.path, topFolder);
        case Field::Status:
          return QString::fromLatin1(bom::statusName(row.status));
      }
      return {};
    case Qt::TextAlignmentRole:
      return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::DecorationRole:
      return field == Field::Status ? QVariant(statusIcon(row.status)) : QVariant();
    case Qt::ForegroundRole: {
      const QColor colour = statusColour(row.status);
      return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case PathRole:
      return row.path;
    case StatusRole:
      return static_cast<int>(row.status);
    case TypeRole:
      return static_cast<int>(row.type);
  }
  return {};
}

QString fieldTitle(Field field) {
  static const char* const kTitles[] = {"Name",        "Quantity", "Suppressed", "Parents", "Type",
                                        "Description", "Material", "File",       "Status"};
  return QCoreApplication::translate("kelvaron::productview::Field", kTitles[static_cast<int>(field)]);
}

}  // namespace kelvaron::productview
