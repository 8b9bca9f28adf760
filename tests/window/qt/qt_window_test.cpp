// The Qt window: its controls where the layout puts them, and the user's
// events reaching Form1.
#include "qt_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>

#include "fake_drives.h"
#include "map_writer.h"
#include "scan/report.h"

namespace {

namespace fs = std::filesystem;
using window::Control;

// The window with its message boxes recorded instead of shown.
class RecordingWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_ / "more");
    tools::WriteFile(maps_ / "KLIN.MAP", tools::MapBytes({9}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
    window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_));
  }
  void TearDown() override {
    window_.reset();
    fs::current_path(old_cwd_);
  }

  QWidget* Widget(const window::ControlLayout& layout) const {
    QtWindow& w = *window_;
    const std::array<QWidget*, 11> controls = {w.Drive1, w.Dir1,  w.File1,  w.Command1, w.Command2, w.Label1,
                                               w.Frame1, nullptr, w.Text1, w.Label2,   w.Label3};
    if (layout.control == Control::kCheck1) return w.Check1[static_cast<std::size_t>(layout.index)];
    return controls[static_cast<std::size_t>(layout.control)];
  }
  void LeaveText1(const std::string& text, Qt::FocusReason reason) {
    window_->Text1->setText(QString::fromStdString(text));
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(window_->Text1, &out);
  }
  static void Click(QWidget* control) {
    const QPointF inside(control->width() / 2.0, control->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QCoreApplication::postEvent(control, new QMouseEvent(type, inside, control->mapToGlobal(inside), Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
    }
  }

  tools::TempFolder temp_;
  fs::path maps_ = temp_.path() / "maps";
  fs::path old_cwd_;
  std::vector<platform::Drive> drives_ = {{temp_.path().native(), ""}, {(temp_.path() / "usb").native(), ""}};
  std::unique_ptr<RecordingWindow> window_;
};

TEST_F(QtWindowTest, ControlsStandWhereTheLayoutPutsThemInTabOrder) {
  QtWindow& w = *window_;
  std::vector<QWidget*> tab_order;
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    QWidget* control = Widget(layout);
    SCOPED_TRACE(control->metaObject()->className());
    EXPECT_EQ(control->geometry(), QRect(layout.left / 15, layout.top / 15, layout.width / 15, layout.height / 15));
    EXPECT_EQ(control->parentWidget(), layout.control == Control::kCheck1 ? static_cast<QWidget*>(w.Frame1) : &w);
    EXPECT_EQ(control->font().bold(), layout.font == window::Font::kNotice);
    if (control->focusPolicy() & Qt::TabFocus) tab_order.push_back(control);
    // Every control has its name from the table (Label3 its text, the notice).
    // On Linux, Qt reports a drop-down list's entry as its name; the name the
    // table gives it is what Qt reports elsewhere.
    const QString name = control == w.Drive1 ? control->accessibleName()
                                             : QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    EXPECT_FALSE(name.isEmpty());
    if (!layout.name.empty()) {
      EXPECT_EQ(name.toStdString(), layout.name);
    }
    // A label lies beneath every control its box reaches into.
    if (qobject_cast<QLabel*>(control) == nullptr) continue;
    for (const window::ControlLayout& other : window::Form1Layout()) {
      QWidget* above = Widget(other);
      const QRect overlap = control->geometry() & above->geometry();
      if (above == control || above->parentWidget() != &w || overlap.isEmpty()) continue;
      EXPECT_TRUE(above->isAncestorOf(w.childAt(overlap.center())) || w.childAt(overlap.center()) == above)
          << above->metaObject()->className();
    }
  }
  EXPECT_EQ(w.size(), QSize(528, 474));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_EQ(w.Label3->font().pointSizeF(), 9.75);
  EXPECT_EQ(w.Command1->text() + "|" + w.Frame1->title() + "|" + w.Check1[0]->text(),
            "Check mapfiles|Search only for these groundstyles|Clear ");
  EXPECT_EQ(w.Label1->text().toStdString(), window::Form1Layout()[5].text);

  ASSERT_EQ(tab_order.size(), 5u + 17u + 1u);  // lists, buttons, check boxes, field
  std::vector<QWidget*> chain = {w.Drive1};
  while (chain.size() < tab_order.size()) {
    QWidget* next = chain.back()->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus) || next->parentWidget() == w.Drive1) next = next->nextInFocusChain();
    chain.push_back(next);
  }
  EXPECT_EQ(chain, tab_order);
  EXPECT_EQ(w.focusWidget(), w.Drive1);
}

TEST_F(QtWindowTest, Dir1ShowsTheFolderShownWholeSevenLevelsDownAndPastItsEdge) {
  const fs::path deep =
      temp_.path() / "Users" / "Player" / "Documents" / "My Games" / "Panzer General 2" / "Downloaded maps";
  fs::create_directories(deep / "Campaign maps that a player collected over the years");
  fs::current_path(deep);
  window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_));
  window_->show();
  QTreeWidget* dir1 = window_->Dir1;
  const int width = dir1->viewport()->width();
  // The row from its icon to the end of its name, where the tree shows it.
  const auto row_of = [&](QTreeWidgetItem* item) {
    const QRect place = dir1->visualItemRect(item);
    return QRect(place.left(), place.top(), dir1->sizeHintForIndex(dir1->currentIndex()).width(), place.height());
  };

  // Seven levels down, the folder shown stands whole in the tree.
  QRect shown = row_of(dir1->currentItem());
  ASSERT_EQ(dir1->currentItem()->text(0), "Downloaded maps");
  EXPECT_GE(shown.left(), 0);
  EXPECT_LE(shown.right(), width);
  EXPECT_TRUE(dir1->viewport()->rect().contains(shown.center()));

  // A name longer than the tree is wide shows from its icon on; the root is a scroll away.
  window_->form().Dir1_Open(7);
  ASSERT_EQ(dir1->currentItem()->text(0), "Campaign maps that a player collected over the years");
  shown = row_of(dir1->currentItem());
  EXPECT_GT(shown.right(), width);
  EXPECT_GE(shown.left(), 0);
  EXPECT_LT(shown.left(), width / 2);
  dir1->horizontalScrollBar()->setValue(0);
  EXPECT_GE(dir1->visualItemRect(dir1->topLevelItem(0)).left(), 0);
}

TEST_F(QtWindowTest, EventsReachForm1) {
  RecordingWindow& w = *window_;
  ASSERT_EQ(w.File1->count(), 1);
  LeaveText1("/no/such", Qt::TabFocusReason);
  LeaveText1("/no/such", Qt::MouseFocusReason);
  LeaveText1("/no/such", Qt::ActiveWindowFocusReason);  // another window took the focus
  LeaveText1("/no/such", Qt::PopupFocusReason);
  EXPECT_EQ(w.messages.size(), 2u);

  w.Check1[9]->setChecked(false);  // Ocean: KLIN.MAP then holds nothing to report
  w.Text1->setText(QString::fromStdString(temp_.path().string()));
  w.Command1->click();
  EXPECT_EQ(tools::ReadFile(temp_.path() / "GroundStyles.txt"), scan::ReportHeaderText(maps_.native(), 1));

  const QTreeWidgetItem* current = w.Dir1->currentItem();
  ASSERT_EQ(current->text(0), "maps");
  emit w.Dir1->itemActivated(current->child(0), 0);
  EXPECT_EQ(w.form().file1_path(), (maps_ / "more").native());
  EXPECT_EQ(w.Dir1->currentItem()->text(0), "more");
  EXPECT_FALSE(w.Dir1->visualItemRect(w.Dir1->currentItem()).isEmpty());  // shown, not folded away
  EXPECT_EQ(w.File1->count(), 0);

  // A map copied into the folder shown appears within a second.
  tools::WriteFile(maps_ / "more" / "NEW.MAP", "");
  QElapsedTimer clock;
  clock.start();
  while (w.File1->count() == 0 && clock.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_EQ(w.File1->count(), 1);
  EXPECT_EQ(w.File1->item(0)->text(), "NEW.MAP");

  w.Drive1->setCurrentIndex(1);  // no medium
  EXPECT_EQ(w.messages.back(), "Drive not ready.");
}

TEST_F(QtWindowTest, InputGivenDuringAScanIsDroppedAndEndProgramEnds) {
  RecordingWindow& w = *window_;
  w.show();
  w.Text1->setText(QString::fromStdString(temp_.path().string()));
  Click(w.Check1[0]);  // waiting in the queue while the scan holds the thread
  Click(w.Command1);
  w.Command1->click();
  const fs::path report = temp_.path() / "GroundStyles.txt";
  ASSERT_TRUE(fs::exists(report));
  fs::remove(report);
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.Check1[0]->isChecked());
  EXPECT_FALSE(fs::exists(report));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // "End Program" ends the program, not only the window.
  QTimer::singleShot(0, w.Command2, &QPushButton::click);
  QTimer still_running;  // the program did not end
  QObject::connect(&still_running, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  still_running.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  // CTest sets the offscreen platform; it is also the default when the tests
  // are listed or run by hand, so that they never need a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
