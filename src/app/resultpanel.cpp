#include "app/resultpanel.h"

#include "app/resultmodel.h"
#include "app/uitexts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvaron {

namespace {
QString text(const char* t) { return QString::fromUtf8(t); }
}  // namespace

ResultPanel::ResultPanel(ResultModel* model, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_title(new QLabel(this)),
      m_views(new QStackedWidget(this)),
      m_parts(new QTreeView(this)),
      m_details(new QLabel(this)),
      m_copy(new QPushButton(text(texts::kCopyUnused), this)) {
  setAccessibleName(text(texts::kResult));
  m_title->setWordWrap(true);
  m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_title->setAccessibleDescription(text(texts::kResult));
  m_parts->setModel(model);
  m_parts->setAccessibleName(text(texts::kParts));
  m_parts->setToolTip(text(texts::kPartsTip));
  m_parts->setRootIsDecorated(false);
  m_parts->setUniformRowHeights(true);
  m_parts->setAllColumnsShowFocus(true);
  m_parts->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_parts->setSelectionMode(QAbstractItemView::SingleSelection);
  m_parts->header()->setStretchLastSection(false);
  m_parts->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_parts->header()->setSectionResizeMode(ResultModel::Name, QHeaderView::Stretch);
  m_title->setBuddy(m_parts);
  m_views->addWidget(m_parts);
  m_details->setWordWrap(true);
  m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_details->setAccessibleDescription(text(texts::kDetails));
  m_details->setVisible(false);
  m_copy->setAccessibleDescription(text(texts::kCopyTip));
  m_copy->setToolTip(text(texts::kCopyTip));
  m_copy->setVisible(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_title);
  layout->addWidget(m_views, 1);
  layout->addWidget(m_details);
  layout->addWidget(m_copy);

  connect(m_parts->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultPanel::onSelection);
  connect(model, &QAbstractItemModel::modelReset, this, &ResultPanel::onReset);
  connect(m_copy, &QPushButton::clicked, this, [this] {
    if (!m_copyName.isEmpty()) QGuiApplication::clipboard()->setText(m_copyName);
  });
}

void ResultPanel::addView(QWidget* view) { m_views->addWidget(view); }

void ResultPanel::showView(QWidget* view) { m_views->setCurrentWidget(view); }

QWidget* ResultPanel::currentView() const { return m_views->currentWidget(); }

void ResultPanel::setDetails(const QString& details) {
  m_details->setText(details);
  m_details->setVisible(!details.isEmpty());
}

void ResultPanel::onSelection() {
  const QModelIndexList rows = m_parts->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  offerName(m_model->name(rows.first().row()));
}

void ResultPanel::offerName(const QString& name) {
  m_copyName = name;
  m_copy->setText(m_copyName + text(texts::kToClipboard));
  m_copy->setVisible(true);
}

// A new list: the copy button would otherwise name a part of the file before.
void ResultPanel::onReset() {
  m_title->setText(m_model->heading());
  m_copyName.clear();
  m_copy->setText(text(texts::kCopyUnused));
  m_copy->setVisible(false);
  for (int column : {ResultModel::Type, ResultModel::Quantity, ResultModel::Suppressed})
    m_parts->setColumnHidden(column, !m_model->hasDetails());
}

}  // namespace kelvaron
