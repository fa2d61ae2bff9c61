#include "app/image_list_view.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "app/qt_text.h"

namespace app {
namespace {

struct Column {
  const char16_t* title;
  int width;
};

constexpr Column kColumns[ImageListView::kColumnCount] = {
    {u"编号", 50}, {u"图片地址", 500}, {u"类型", 100}, {u"大小", 100}, {u"分辨率", 200},
};

// A cell the user can select but not edit, check or drag.
QTableWidgetItem* NewCell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return item;
}

}  // namespace

ImageTable::ImageTable(QWidget* parent) : QTableWidget(0, ImageListView::kColumnCount, parent) {
  setObjectName(QStringLiteral("imageList"));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setShowGrid(true);
  setWordWrap(false);
  setDragEnabled(false);
  setMouseTracking(false);
  setFrameShadow(QFrame::Sunken);

  QHeaderView* header = horizontalHeader();
  for (int column = 0; column < ImageListView::kColumnCount; ++column) {
    setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromUtf16(kColumns[column].title)));
    setColumnWidth(column, kColumns[column].width);
  }
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setSectionsMovable(false);
  header->setSectionsClickable(false);  // a header click sorts and selects nothing
  header->setSortIndicatorShown(false);
  header->setStretchLastSection(false);
  header->setHighlightSections(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

  // Black on white, and the selection keeps its colours when the list loses the focus.
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);
}

void ImageTable::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit leftClicked();
}

int ImageListView::AppendRow(const base::Text& text) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  if (table_->rowCount() != row + 1) return -1;
  table_->setItem(row, 0, NewCell(ToQString(text)));
  for (int column = 1; column < kColumnCount; ++column) table_->setItem(row, column, NewCell({}));
  return row;
}

void ImageListView::SetCellText(int row, int column, const base::Text& text) {
  if (!HasCell(row, column)) return;
  QTableWidgetItem* item = table_->item(row, column);
  if (item == nullptr) {
    table_->setItem(row, column, NewCell(ToQString(text)));
  } else {
    item->setText(ToQString(text));
  }
}

base::Text ImageListView::GetCellText(int row, int column) const {
  if (!HasCell(row, column)) return {};
  const QTableWidgetItem* item = table_->item(row, column);
  return item == nullptr ? base::Text() : ToText(item->text());
}

int ImageListView::RowCount() const { return table_->rowCount(); }

void ImageListView::DeleteAllRows() {
  table_->clearSelection();
  table_->setRowCount(0);
}

int ImageListView::SelectedRow() const {
  int lowest = -1;
  for (const QModelIndex& index : table_->selectionModel()->selectedIndexes()) {
    if (lowest < 0 || index.row() < lowest) lowest = index.row();
  }
  return lowest;
}

bool ImageListView::HasCell(int row, int column) const {
  return row >= 0 && row < table_->rowCount() && column >= 0 && column < kColumnCount;
}

}  // namespace app
