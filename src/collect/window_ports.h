// What the collecting code needs of the window: the address box, the image list, the preview
// view and the save dialog. The window implements these; tests use in-memory fakes.
#pragma once

#include "base/text.h"

namespace collect {

using base::Text;

class AddressBox {
 public:
  virtual ~AddressBox() = default;
  virtual Text AddressText() const = 0;
};

// Rows count from 0; columns 0 number, 1 address, 2 type, 3 size, 4 resolution.
class ImageList {
 public:
  virtual ~ImageList() = default;
  // Adds a row after the last with `text` in column 0; its index, or -1.
  virtual int AppendRow(const Text& text) = 0;
  // Replaces one cell; a row or column that does not exist is ignored.
  virtual void SetCellText(int row, int column, const Text& text) = 0;
  // The cell's text; empty for an empty cell or a row or column that does not exist.
  virtual Text GetCellText(int row, int column) const = 0;
  virtual int RowCount() const = 0;
  virtual void DeleteAllRows() = 0;
  // Lowest selected row index, or -1.
  virtual int SelectedRow() const = 0;
};

class BrowserView {
 public:
  virtual ~BrowserView() = default;
  // Hands `address` to the view unchanged (also an empty one).
  virtual void Navigate(const Text& address) = 0;
};

enum class DialogKind { open, save };

// A file dialog whose settings live as long as the window.
class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  DialogKind kind = DialogKind::open;
  Text initialFolder;
  Text fileName;  // full path chosen at the last accepted use
  // Modal; on accept sets fileName and returns true; on cancel leaves it and returns false.
  virtual bool ShowFileDialog() = 0;
};

}  // namespace collect

namespace collect {

// The parts of the main window the collecting code works on.
struct Window {
  AddressBox& addressBox;
  ImageList& imageList;
  BrowserView& browserView;
  SaveDialog& saveDialog;
};

}  // namespace collect
