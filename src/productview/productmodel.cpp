#include "productview/productmodel.h"

#include "platform/nativepath.h"
#include "productview/picturecache.h"

namespace kelvaron::productview {

// One row. The children of a row are made together on first use and never
// move afterwards, so a child's pointer to its parent and the model indexes
// holding an Item* stay valid until the product changes.
struct ProductModel::Item {
  const Item* parent = nullptr;
  int node = -1;  ///< the assembly whose components hold this row; -1 for the top
  int row = 0;    ///< the index among them (0 for the top)
  int level = 0;
  mutable std::vector<Item> children;
  mutable bool made = false;
};

const PartFacts* factsOf(const FactsByPath* facts, const QString& path) {
  if (!facts) return nullptr;
  const auto it = facts->constFind(path);
  return it == facts->constEnd() ? nullptr : &*it;
}

ProductModel::ProductModel(QObject* parent) : QAbstractItemModel(parent) {}
ProductModel::~ProductModel() = default;

void ProductModel::setProduct(std::shared_ptr<const ShownProduct> product) {
  beginResetModel();
  m_shown = std::move(product);
  m_top = m_shown && !m_shown->product.nodes.empty() ? std::make_unique<Item>() : nullptr;
  m_waiting.clear();
  m_facts.reset();
  endResetModel();
}

void ProductModel::setFacts(std::shared_ptr<const FactsByPath> facts) {
  // The rows stay where they are; a layout change makes views read them again.
  Q_EMIT layoutAboutToBeChanged();
  m_facts = std::move(facts);
  Q_EMIT layoutChanged();
}

// Row pictures are drawn at half their pixel size, so they are sharp at a
// desktop scale of 2.
void ProductModel::setPictures(PictureCache* pictures) {
  m_pictures = pictures;
  for (const auto type : {reader::ComponentType::Part, reader::ComponentType::Assembly}) {
    QImage& image = m_placeholders[static_cast<int>(type)];
    image = typePlaceholder(type, pictures->smallSide());
    image.setDevicePixelRatio(2);
  }
  connect(pictures, &PictureCache::ready, this, &ProductModel::pictureRead);
}

QVariant ProductModel::picture(const Item& item, const bom::TreeRow& row) const {
  if (!row.path.isEmpty()) {
    QImage image = m_pictures->small(row.path);
    if (!image.isNull()) {
      image.setDevicePixelRatio(2);
      return image;
    }
    if (!m_pictures->hasNone(row.path)) m_waiting[row.path].push_back(&item);
  }
  return m_placeholders[static_cast<int>(row.type)];
}

void ProductModel::pictureRead(const QString& path) {
  for (const Item* item : m_waiting.take(path)) {
    const QModelIndex at = createIndex(item->row, Name, const_cast<Item*>(item));
    Q_EMIT dataChanged(at, at, {Qt::DecorationRole});
  }
}

ProductModel::Item* ProductModel::itemOf(const QModelIndex& index) const {
  return static_cast<Item*>(index.internalPointer());
}

const bom::Placement* ProductModel::placementOf(const Item& item) const {
  if (item.node < 0) return nullptr;
  return &m_shown->product.nodes[static_cast<std::size_t>(item.node)].children[static_cast<std::size_t>(item.row)];
}

// The assembly whose components are this row's children, or -1.
int ProductModel::childNode(const Item& item) const {
  const bom::Placement* p = placementOf(item);
  if (!p) return m_shown->product.topReadable() ? 0 : -1;
  return p->node;
}

QModelIndex ProductModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= ColumnCount || row >= rowCount(parent)) return {};
  if (!parent.isValid()) return createIndex(row, column, m_top.get());
  const Item* up = itemOf(parent);
  if (!up->made) {
    const int node = childNode(*up);
    const auto count = m_shown->product.nodes[static_cast<std::size_t>(node)].children.size();
    up->children.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
      up->children.push_back({up, node, static_cast<int>(i), up->level + 1, {}, false});
    up->made = true;
  }
  return createIndex(row, column, &up->children[static_cast<std::size_t>(row)]);
}

QModelIndex ProductModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const Item* up = itemOf(child)->parent;
  if (!up) return {};
  return createIndex(up->row, 0, const_cast<Item*>(up));
}

int ProductModel::rowCount(const QModelIndex& parent) const {
  if (!m_top) return 0;
  if (!parent.isValid()) return 1;
  if (parent.column() != 0) return 0;
  const int node = childNode(*itemOf(parent));
  return node < 0 ? 0 : static_cast<int>(m_shown->product.nodes[static_cast<std::size_t>(node)].children.size());
}

int ProductModel::columnCount(const QModelIndex&) const { return ColumnCount; }

bool ProductModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

bom::TreeRow ProductModel::treeRow(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  const Item& item = *itemOf(index);
  const bom::Product& product = m_shown->product;
  if (const bom::Placement* p = placementOf(item)) {
    const reader::ModelComponent& c = p->component;
    return {item.level, c.name, c.type, c.quantity, c.suppressed, p->status, p->path, c.file, bom::isSkeleton(c)};
  }
  return {0,
          product.name,
          reader::ComponentType::Assembly,
          1,
          0,
          product.topReadable() ? bom::Status::Ok : bom::Status::Unreadable,
          product.top,
          {},
          false};
}

QString ProductModel::toolTip(const Item& item) const {
  const bom::Product& product = m_shown->product;
  const bom::Placement* p = placementOf(item);
  if (!p) return product.topReadable() ? QString() : product.nodes.front().error;
  switch (p->status) {
    case bom::Status::Ok:
      return {};
    case bom::Status::Missing: {
      QStringList looked{platform::displayPath(bom::folderOf(product.nodes[static_cast<std::size_t>(item.node)].path))};
      for (const QString& f : m_shown->searchFolders) looked << platform::displayPath(f);
      return tr("%1 not found in %2").arg(p->component.file, looked.join(QStringLiteral(", ")));
    }
    case bom::Status::Unreadable:
      return p->reason;
    case bom::Status::Cycle:
      return tr("%1 contains itself through %2")
          .arg(platform::displayPath(p->path),
               platform::displayPath(product.nodes[static_cast<std::size_t>(item.node)].path));
  }
  return {};
}

namespace {

constexpr Field kFields[] = {Field::Name,        Field::Quantity, Field::Suppressed, Field::Type,
                             Field::Description, Field::Material, Field::File,       Field::Status};

}  // namespace

QVariant ProductModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::ToolTipRole) {
    const QString tip = toolTip(*itemOf(index));
    return tip.isEmpty() ? QVariant() : QVariant(tip);
  }
  const bom::TreeRow row = treeRow(index);
  if (role == Qt::DecorationRole && index.column() == Name && m_pictures) return picture(*itemOf(index), row);
  return fieldData(
      kFields[index.column()],
      {row.name, row.type, row.quantity, row.suppressed, 0, row.status, row.path, factsOf(m_facts.get(), row.path)},
      bom::folderOf(m_shown->product.top), role);
}

QVariant ProductModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
  return fieldTitle(kFields[section]);
}

}  // namespace kelvaron::productview
