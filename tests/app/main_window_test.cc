#include "app/main_window.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/control_layout.h"
#include "app/message_box.h"
#include "platform/wait_hook.h"

namespace app {
namespace {

using base::Text;

// Records what the window hands to its browser view.
struct FakeBrowser : collect::BrowserView {
  void Navigate(const Text& address) override { addresses.push_back(address); }
  std::vector<Text> addresses;
};

struct Message {
  QString text;
  QString title;
};

// One window for the whole suite (its browser view is heavy); each test starts with an
// empty list and a fake browser view, and the window as a test left it otherwise.
class MainWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { window_ = new MainWindow(); }
  static void TearDownTestSuite() {
    delete window_;
    window_ = nullptr;
  }

  void SetUp() override {
    window().imageList().DeleteAllRows();
    window().SetBrowserView(&browser_);
    SetMessageBoxHook([this](const QString& text, const QString& title) {
      messages_.push_back({text, title});
    });
  }
  void TearDown() override {
    window().SetBrowserView(nullptr);
    window().SetCollectAction({});
    window().SetSaveAllAction({});
    SetMessageBoxHook({});
  }

  static MainWindow& window() { return *window_; }
  ImageTable& table() { return *window().imageTable(); }

  // Rows 0..count-1 numbered from 1, with address "http://127.0.0.1:9/<number>.jpg".
  void FillRows(int count) {
    for (int row = 0; row < count; ++row) {
      const Text number = std::to_string(row + 1);
      ASSERT_EQ(window().imageList().AppendRow(number), row);
      window().imageList().SetCellText(row, 1, AddressOf(row));
    }
  }
  static Text AddressOf(int row) { return "http://127.0.0.1:9/" + std::to_string(row + 1) + ".jpg"; }

  void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    table().scrollToItem(table().item(row, 0));
    const QRect place = table().visualItemRect(table().item(row, 0));
    QTest::mouseClick(table().viewport(), Qt::LeftButton, modifiers, place.center());
  }

  void ShowWindow() {
    window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  }

  static MainWindow* window_;
  FakeBrowser browser_;
  std::vector<Message> messages_;
};

MainWindow* MainWindowTest::window_ = nullptr;

TEST(CentredRectTest, TruncatesTowardZero) {
  struct Case {
    QRect screen;
    QPoint expected;
  };
  const Case cases[] = {
      {{0, 0, 1920, 1080}, {494, 140}},
      {{0, 0, 1280, 1024}, {174, 112}},
      {{0, 0, 1366, 768}, {217, -15}},  // -15.5 becomes -15, not -16
      {{0, 0, 800, 600}, {-65, -99}},
      {{100, 50, 931, 799}, {100, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "screen " << c.screen.width() << "x" << c.screen.height());
    const QRect outer = CentredRect(kDesignWindowSize, c.screen);
    EXPECT_EQ(outer.topLeft(), c.expected);
    EXPECT_EQ(outer.size(), QSize(931, 799));
  }
}

TEST_F(MainWindowTest, IsCreatedHiddenCentredWithItsTitle) {
  MainWindow fresh;
  EXPECT_FALSE(fresh.isVisible());
  EXPECT_EQ(fresh.windowTitle(), QStringLiteral("Velkaro"));
  EXPECT_EQ(fresh.size(), QSize(931, 799));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(fresh.pos(), CentredRect(kDesignWindowSize, screen).topLeft());
  EXPECT_EQ(fresh.placementMode(), PlacementMode::centred);

  // Every control at its design place, with its text.
  struct Control {
    const char* name;
    QWidget* widget;
    QRect place;
    QString text;
  };
  const Control controls[] = {
      {"label", fresh.addressLabel(), {10, 3, 56, 32}, QStringLiteral(u"宝贝地址：")},
      {"address", fresh.addressEdit(), {65, 7, 516, 24}, QStringLiteral("http://item.jd.com/2122967.html")},
      {"collect", fresh.collectButton(), {589, 7, 100, 24}, QStringLiteral(u"获取图片列表")},
      {"save all", fresh.saveAllButton(), {696, 7, 100, 24}, QStringLiteral(u"保存所有图片")},
      {"help", fresh.helpButton(), {803, 7, 100, 24}, QStringLiteral(u"帮助信息")},
      {"list", fresh.imageTable(), {8, 40, 896, 112}, QString()},
      {"preview", fresh.preview().widget(), {8, 160, 900, 600}, QString()},
  };
  for (const Control& control : controls) {
    SCOPED_TRACE(control.name);
    EXPECT_EQ(control.widget->geometry(), control.place);
    EXPECT_EQ(control.widget->parentWidget(), &fresh);
    if (auto* label = qobject_cast<QLabel*>(control.widget)) {
      EXPECT_EQ(label->text(), control.text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control.widget)) {
      EXPECT_EQ(edit->text(), control.text);
    } else if (auto* button = qobject_cast<QPushButton*>(control.widget)) {
      EXPECT_EQ(button->text(), control.text);
    }
  }
}

TEST_F(MainWindowTest, AddressBoxHasNoLimitAndTheCaretAtTheStart) {
  QLineEdit* edit = window().addressEdit();
  EXPECT_EQ(edit->cursorPosition(), 0);
  EXPECT_EQ(edit->maxLength(), INT_MAX);
  EXPECT_EQ(window().addressBox().AddressText(), "http://item.jd.com/2122967.html");

  const Text longAddress = "http://item.jd.com/" + Text(40000, '7') + ".html";
  edit->setText(QString::fromStdString(longAddress));
  EXPECT_EQ(window().addressBox().AddressText(), longAddress);
  edit->setText(QStringLiteral(u"http://item.jd.com/宝贝.html"));  // leaves as code page 936
  EXPECT_EQ(window().addressBox().AddressText(), "http://item.jd.com/\xB1\xA6\xB1\xB4.html");
  edit->setText(QStringLiteral("http://item.jd.com/2122967.html"));
}

TEST_F(MainWindowTest, ListIsAFiveColumnReportWithRowSelection) {
  const QString titles[] = {QStringLiteral(u"编号"), QStringLiteral(u"图片地址"), QStringLiteral(u"类型"),
                            QStringLiteral(u"大小"), QStringLiteral(u"分辨率")};
  const int widths[] = {50, 500, 100, 100, 200};
  ASSERT_EQ(table().columnCount(), 5);
  for (int column = 0; column < 5; ++column) {
    SCOPED_TRACE(testing::Message() << "column " << column);
    EXPECT_EQ(table().horizontalHeaderItem(column)->text(), titles[column]);
    EXPECT_EQ(table().columnWidth(column), widths[column]);
  }
  EXPECT_TRUE(table().horizontalHeader()->defaultAlignment() & Qt::AlignLeft);
  EXPECT_EQ(table().rowCount(), 0);
  EXPECT_EQ(table().selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(table().selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(table().editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(table().isSortingEnabled());
  EXPECT_FALSE(table().horizontalHeader()->sectionsMovable());
  EXPECT_FALSE(table().horizontalHeader()->sectionsClickable());
  EXPECT_TRUE(table().horizontalHeader()->isVisibleTo(&table()));
  EXPECT_TRUE(table().showGrid());
  const QPalette& colours = table().palette();
  EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight),
            colours.color(QPalette::Active, QPalette::Highlight));
  EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::HighlightedText),
            colours.color(QPalette::Active, QPalette::HighlightedText));

  FillRows(1);
  const Qt::ItemFlags flags = table().item(0, 1)->flags();
  EXPECT_FALSE(flags & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled));
  EXPECT_EQ(table().item(0, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
}

TEST(LayOutTest, FollowsTheClientArea) {
  struct Case {
    QSize client;
    QRect preview;
    QRect list;
  };
  const Case cases[] = {
      {{931, 799}, {8, 160, 916, 629}, {8, 40, 916, 112}},
      {{1280, 994}, {8, 160, 1265, 824}, {8, 40, 1265, 112}},
      {{0, 0}, {8, 160, 0, 0}, {8, 40, 0, 112}},  // minimised
      {{15, 170}, {8, 160, 0, 0}, {8, 40, 0, 112}},
      {{16, 171}, {8, 160, 1, 1}, {8, 40, 1, 112}},
      {{10, 100}, {8, 160, 0, 0}, {8, 40, 0, 112}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "client " << c.client.width() << "x" << c.client.height());
    const ControlPlaces places = LayOut(c.client);
    EXPECT_EQ(places.preview, c.preview);
    EXPECT_EQ(places.imageList, c.list);
  }
}

TEST_F(MainWindowTest, ResizingLaysOutThePreviewAndTheList) {
  ShowWindow();
  for (const QSize client : {QSize(700, 500), QSize(1000, 900)}) {
    SCOPED_TRACE(testing::Message() << "client " << client.width() << "x" << client.height());
    window().resize(client);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window().size() == client; }));
    const ControlPlaces expected = LayOut(client);
    EXPECT_EQ(window().preview().widget()->geometry(), expected.preview);
    EXPECT_EQ(table().geometry(), expected.imageList);
    EXPECT_EQ(window().helpButton()->geometry(), QRect(803, 7, 100, 24));  // others stay
  }
}

TEST_F(MainWindowTest, ListOperations) {
  ImageListView& list = window().imageList();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  FillRows(3);
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.GetCellText(1, 0), "2");
  EXPECT_EQ(list.GetCellText(1, 1), AddressOf(1));
  EXPECT_EQ(list.GetCellText(1, 4), "");

  // Cells that do not exist: writes are ignored, reads give the empty text.
  list.SetCellText(3, 1, "x");
  list.SetCellText(0, 5, "x");
  list.SetCellText(-1, 0, "x");
  EXPECT_EQ(list.RowCount(), 3);
  for (const auto& [row, column] : {std::pair{-1, 1}, {3, 0}, {0, 5}, {0, -1}}) {
    SCOPED_TRACE(testing::Message() << "cell " << row << "," << column);
    EXPECT_EQ(list.GetCellText(row, column), "");
  }

  // A long cell comes back whole; code page 936 survives the round trip.
  const Text longText = Text(70000, 'a') + "\xB1\xE0\xBA\xC5";
  list.SetCellText(2, 1, longText);
  EXPECT_EQ(list.GetCellText(2, 1), longText);
  list.SetCellText(0, 2, "\xB1\xE0\xBA\xC5");
  EXPECT_EQ(table().item(0, 2)->text(), QStringLiteral(u"编号"));
  list.SetCellText(0, 2, "");
  EXPECT_EQ(list.GetCellText(0, 2), "");
}

TEST_F(MainWindowTest, SelectedRowIsTheLowestSelectedIndex) {
  ImageListView& list = window().imageList();
  FillRows(5);
  table().selectRow(0);
  EXPECT_EQ(list.SelectedRow(), 0);
  EXPECT_EQ(list.GetCellText(list.SelectedRow(), 0), "1");

  table().clearSelection();
  const QItemSelectionModel::SelectionFlags add =
      QItemSelectionModel::Select | QItemSelectionModel::Rows;
  table().selectionModel()->select(table().model()->index(3, 0), add);
  table().selectionModel()->select(table().model()->index(1, 0), add);
  EXPECT_EQ(list.SelectedRow(), 1);

  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  EXPECT_FALSE(table().selectionModel()->hasSelection());
  EXPECT_EQ(list.AppendRow("1"), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
}

TEST_F(MainWindowTest, ClickPreviewsTheFirstSelectedRow) {
  ShowWindow();
  FillRows(6);
  ClickRow(1);
  ASSERT_EQ(browser_.addresses, std::vector<Text>{AddressOf(1)});

  ClickRow(4, Qt::ControlModifier);  // adds row 4; row 1 still counts
  EXPECT_EQ(window().imageList().SelectedRow(), 1);
  EXPECT_TRUE(table().selectionModel()->isRowSelected(4, {}));
  EXPECT_EQ(browser_.addresses, (std::vector<Text>{AddressOf(1), AddressOf(1)}));
}

TEST_F(MainWindowTest, ClickOnEmptySpacePreviewsTheEmptyAddress) {
  ShowWindow();
  const QPoint bottom(10, table().viewport()->height() - 3);
  QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, bottom);  // empty list
  EXPECT_EQ(browser_.addresses, std::vector<Text>{""});

  FillRows(1);
  ClickRow(0);
  ASSERT_FALSE(table().indexAt(bottom).isValid());
  QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, bottom);  // clears the selection
  EXPECT_EQ(browser_.addresses, (std::vector<Text>{"", AddressOf(0), ""}));
}

TEST_F(MainWindowTest, KeyboardMovesDoNotPreviewButActivationDoes) {
  ShowWindow();
  FillRows(4);
  ClickRow(0);
  ASSERT_EQ(browser_.addresses.size(), 1u);

  QTest::keyClick(&table(), Qt::Key_Down);
  QTest::keyClick(&table(), Qt::Key_Down);
  EXPECT_EQ(window().imageList().SelectedRow(), 2);
  EXPECT_EQ(browser_.addresses.size(), 1u);

  QTest::keyClick(&table(), Qt::Key_Return);
  EXPECT_EQ(browser_.addresses.back(), AddressOf(2));

  // A right click is no preview either.
  const QRect place = table().visualItemRect(table().item(3, 0));
  const size_t before = browser_.addresses.size();
  QTest::mouseClick(table().viewport(), Qt::RightButton, {}, place.center());
  EXPECT_EQ(browser_.addresses.size(), before);
}

TEST_F(MainWindowTest, HelpBoxAndDefaultMessageTitle) {
  window().helpButton()->click();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].title, QStringLiteral("about"));
  const QString text = messages_[0].text;
  const QString head = QStringLiteral("There's nothing here.\r\n\r\n");
  const QString tail = QStringLiteral("\r\n\r\n");
  ASSERT_TRUE(text.startsWith(head)) << text.toStdString();
  ASSERT_TRUE(text.endsWith(tail)) << text.toStdString();
  const QString credit = text.mid(head.size(), text.size() - head.size() - tail.size());
  EXPECT_FALSE(credit.trimmed().isEmpty());
  EXPECT_FALSE(credit.contains(QLatin1Char('\n')) || credit.contains(QLatin1Char('\r')));

  MainWindow::ShowMessageBox("\xCF\xB5\xCD\xB3");  // "系统" in code page 936, no title
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].text, QStringLiteral(u"系统"));
  EXPECT_EQ(messages_[1].title, QStringLiteral(u"信息："));
}

TEST_F(MainWindowTest, ActionButtonsRunOnTheWindowAndIgnorePressesDuringARun) {
  int collectRuns = 0;
  int saveRuns = 0;
  window().SetSaveAllAction([&](collect::Window&) { ++saveRuns; });
  window().SetCollectAction([&](collect::Window& parts) {
    ++collectRuns;
    EXPECT_EQ(&parts.imageList, &window().imageList());
    EXPECT_EQ(&parts.browserView, &browser_);
    EXPECT_EQ(parts.addressBox.AddressText(), "http://item.jd.com/2122967.html");
    // Presses that arrive while the run waits for the network.
    window().collectButton()->click();
    window().saveAllButton()->click();
  });
  window().collectButton()->click();
  EXPECT_EQ(collectRuns, 1);
  EXPECT_EQ(saveRuns, 0);
  EXPECT_FALSE(window().actionRunning());

  window().saveAllButton()->click();
  EXPECT_EQ(saveRuns, 1);
}

// The help box pressed during a run appears without holding up the run's request.
TEST_F(MainWindowTest, HelpDuringARunDoesNotWaitForTheBox) {
  SetMessageBoxHook({});  // the real box, which the test closes itself
  QMessageBox* shownDuringRun = nullptr;
  window().SetCollectAction([&](collect::Window&) {
    window().helpButton()->click();  // returns at once: a waiting box would block here
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
        shownDuringRun = box;
      }
    }
  });
  window().collectButton()->click();
  window().SetCollectAction({});
  ASSERT_NE(shownDuringRun, nullptr);
  EXPECT_EQ(shownDuringRun->windowTitle(), QStringLiteral("about"));
  EXPECT_EQ(shownDuringRun->windowModality(), Qt::ApplicationModal);
  QPointer<QMessageBox> box(shownDuringRun);
  box->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull()) << "the box is deleted once closed";
}

TEST_F(MainWindowTest, ClosingDuringARunAbandonsItsWaits) {
  ShowWindow();
  bool abandonedInRun = false;
  window().SetCollectAction([&](collect::Window&) {
    window().close();
    abandonedInRun = platform::WaitsAbandoned();
  });
  window().collectButton()->click();
  EXPECT_TRUE(abandonedInRun);
  platform::SetWaitsAbandoned(false);

  ShowWindow();
  window().close();  // outside a run nothing is abandoned
  EXPECT_FALSE(platform::WaitsAbandoned());
}

TEST_F(MainWindowTest, PreviewRunsNoScriptsOnAPrivateProfile) {
  PreviewView& preview = window().preview();
  EXPECT_TRUE(preview.profile()->isOffTheRecord());
  QWebEngineSettings* settings = preview.widget()->page()->settings();
  EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::JavascriptEnabled));
  EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::PluginsEnabled));
  EXPECT_FALSE(settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
  EXPECT_EQ(preview.widget()->page()->profile(), preview.profile());
  EXPECT_EQ(preview.widget()->url(), QUrl(QStringLiteral("about:blank")));
  EXPECT_EQ(preview.lastAddress(), "");

  // The real view gets the address unchanged (a closed local port: nothing leaves the host).
  window().SetBrowserView(nullptr);
  FillRows(1);
  table().selectRow(0);
  window().PreviewSelectedRow();
  EXPECT_EQ(preview.lastAddress(), AddressOf(0));
  EXPECT_EQ(preview.widget()->url(), QUrl(QString::fromStdString(AddressOf(0))));
}

}  // namespace
}  // namespace app
