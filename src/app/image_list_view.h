// The image list: a report-style table with five fixed columns, and the list operations the
// collecting code uses on it.
#pragma once

#include <QTableWidget>

#include "collect/window_ports.h"

namespace app {

// The table widget: whole-row, multiple selection; grid lines; no sorting, editing or column
// dragging; the selection stays visible without the focus.
class ImageTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit ImageTable(QWidget* parent = nullptr);

 signals:
  // A left click anywhere in the rows area, on a row or on empty space, raised after the
  // click has updated the selection.
  void leftClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The list operations over an ImageTable; texts are converted at the boundary.
class ImageListView : public collect::ImageList {
 public:
  static constexpr int kColumnCount = 5;

  explicit ImageListView(ImageTable* table) : table_(table) {}

  int AppendRow(const base::Text& text) override;
  void SetCellText(int row, int column, const base::Text& text) override;
  base::Text GetCellText(int row, int column) const override;
  int RowCount() const override;
  void DeleteAllRows() override;
  int SelectedRow() const override;

 private:
  bool HasCell(int row, int column) const;

  ImageTable* table_;
};

}  // namespace app
