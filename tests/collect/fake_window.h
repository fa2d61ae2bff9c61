// In-memory stand-ins for the window parts the collecting code uses.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collect/window_ports.h"

namespace collect {

class FakeAddressBox : public AddressBox {
 public:
  Text text;
  Text AddressText() const override { return text; }
};

class FakeImageList : public ImageList {
 public:
  using Row = std::array<Text, 5>;
  std::vector<Row> rows;
  int selectedRow = -1;
  std::function<void()> onAppend;  // runs before a row is added
  std::function<void()> onDeleteAll;

  int AppendRow(const Text& text) override {
    if (onAppend) onAppend();
    rows.push_back(Row{text});
    return static_cast<int>(rows.size()) - 1;
  }
  void SetCellText(int row, int column, const Text& text) override {
    if (Valid(row, column)) rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  }
  Text GetCellText(int row, int column) const override {
    return Valid(row, column) ? rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] : Text();
  }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  void DeleteAllRows() override {
    if (onDeleteAll) onDeleteAll();
    rows.clear();
    selectedRow = -1;
  }
  int SelectedRow() const override { return selectedRow; }

  // Adds a row with its number and address, as a collection would.
  void AddListedImage(const Text& address) {
    const int index = AppendRow(std::to_string(rows.size() + 1));
    SetCellText(index, 1, address);
  }

 private:
  bool Valid(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 && column < 5;
  }
};

class FakeBrowserView : public BrowserView {
 public:
  std::vector<Text> navigated;
  void Navigate(const Text& address) override { navigated.push_back(address); }
};

// Answers each ShowFileDialog with the next scripted answer: a path to accept, or
// std::nullopt to cancel. Records the settings it was shown with.
class FakeSaveDialog : public SaveDialog {
 public:
  std::deque<std::optional<Text>> answers;
  int timesShown = 0;
  DialogKind shownKind = DialogKind::open;
  Text shownFolder;

  bool ShowFileDialog() override {
    ++timesShown;
    shownKind = kind;
    shownFolder = initialFolder;
    std::optional<Text> answer;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    if (!answer) return false;
    fileName = *answer;
    return true;
  }
};

struct FakeWindow {
  FakeAddressBox addressBox;
  FakeImageList imageList;
  FakeBrowserView browserView;
  FakeSaveDialog saveDialog;
  Window ports{addressBox, imageList, browserView, saveDialog};
};

}  // namespace collect
