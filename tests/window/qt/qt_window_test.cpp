// The Qt window: its controls where the layout puts them, what Form1 asks
// shown, and the user's keys and clicks passed on as Form1's events.
#include "qt_window.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "form1_lists.h"
#include "ordinary_user.h"
#include "view_test_support.h"

namespace {

namespace fs = std::filesystem;

// The launcher entry's updates the program sends on the session bus.
class LauncherUpdates : public QObject {
  Q_OBJECT

 public:
  std::vector<std::tuple<double, bool, bool>> updates;  // progress, progress-visible, urgent

 public slots:
  void Update(const QString& entry, const QVariantMap& p) {
    if (entry != "application://groundstyles.desktop") return;
    updates.emplace_back(p["progress"].toDouble(), p["progress-visible"].toBool(), p["urgent"].toBool());
  }
};

class QtWindowTest : public tools::ViewTest<QtWindow> {
 protected:
  QWidget* Widget(const window::ControlLayout& layout) const {
    QtWindow& w = *view_;
    const std::array<QWidget*, 11> controls = {w.Drive1, w.Dir1,  w.File1,  w.Command1, w.Command2, w.Label1,
                                               w.Frame1, nullptr, w.Text1, w.Label2,   w.Label3};
    if (layout.control == Control::kCheck1) return w.Check1[static_cast<std::size_t>(layout.index)];
    return controls[static_cast<std::size_t>(layout.control)];
  }
  // The window shown and active, with two drives and a deep folder; the
  // drives listed again on its activation, as volumes may have come or gone.
  void ShowActive() {
    view_->show();
    view_->ShowDrives({"/", "/media/usb"}, 0);
    view_->ShowFolders(tools::DeepFolderRows(), tools::kDeepRow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(view_.get()));
    ASSERT_EQ(events_.Take(), Events{"Drive1_Refresh"});
  }
  // Near the left edge, where a check box's box is.
  void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, control->height() / 2)); }
  void Pump() override { QCoreApplication::processEvents(); }
  void Key(QWidget* control, Qt::Key key) {
    QTest::keyClick(control, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  }
};

// How many pixels two pictures of a control show plainly apart: their
// brightness differs by over a third of black to white.
int PlainlyDifferentPixels(const QImage& one, const QImage& other) {
  int count = 0;
  for (int y = 0; y < one.height(); ++y) {
    for (int x = 0; x < one.width(); ++x) count += std::abs(qGray(one.pixel(x, y)) - qGray(other.pixel(x, y))) > 85;
  }
  return count;
}

TEST_F(QtWindowTest, ControlsFollowTheLayoutTableWithItsNames) {
  QtWindow& w = *view_;
  w.show();
  w.SetText(Control::kLabel3, std::string(tools::kNotice));
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    QWidget* control = Widget(layout);
    SCOPED_TRACE(control->metaObject()->className());
    EXPECT_EQ(control->geometry(), QRect(layout.left / 15, layout.top / 15, layout.width / 15, layout.height / 15));
    EXPECT_EQ(control->parentWidget(), layout.control == Control::kCheck1 ? static_cast<QWidget*>(w.Frame1) : &w);
    EXPECT_EQ(control->font().bold(), layout.font == window::Font::kNotice);
    EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, layout.tab_stop);
    // On Linux, Qt reports a drop-down list's entry as its name; the name the
    // table gives it is what Qt reports elsewhere. Label3's name is its text.
    const QString name = control == w.Drive1 ? control->accessibleName()
                                             : QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    EXPECT_EQ(name.toStdString(), layout.name.empty() ? tools::kNotice : layout.name);
    // A label lies beneath every control its box reaches into.
    if (qobject_cast<QLabel*>(control) == nullptr) continue;
    for (const window::ControlLayout& other : window::Form1Layout()) {
      QWidget* above = Widget(other);
      const QRect overlap = control->geometry() & above->geometry();
      if (above == control || above->parentWidget() != &w || overlap.isEmpty()) continue;
      EXPECT_TRUE(above->isAncestorOf(w.childAt(overlap.center())) || w.childAt(overlap.center()) == above);
    }
  }
  EXPECT_EQ(w.minimumSize(), QSize(window::kClientWidth / 15, window::kClientHeight / 15));
  EXPECT_EQ(w.maximumSize(), w.minimumSize());
  EXPECT_EQ(w.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
            Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(w.Label3->font().pixelSize(), 13);  // 9.75 points at 96 dots per inch
}

// Every text a control shows (a label's, a button's, a check box's) fits the
// room the control gives it, in the control's font, wrapped as labels wrap.
TEST_F(QtWindowTest, EveryTextFitsItsControl) {
  view_->SetText(Control::kLabel3, std::string(tools::kNotice));
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    QWidget* control = Widget(layout);
    QRect room = control->contentsRect();
    QString text;
    if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      QStyleOptionButton option;
      option.initFrom(button);
      const bool check_box = qobject_cast<QCheckBox*>(button) != nullptr;
      room = button->style()->subElementRect(check_box ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                                             &option, button);
      text = button->text();
    }
    const QRect needed = QFontMetrics(control->font()).boundingRect(room, Qt::TextWordWrap, text);
    EXPECT_LE(needed.width(), room.width()) << text.toStdString();
    EXPECT_LE(needed.height(), room.height()) << text.toStdString();
  }
}

TEST_F(QtWindowTest, TabVisitsTheTabStopsInOrder) {
  view_->show();
  tools::ExpectTabFollowsTabStops([&](const window::ControlLayout& row) { return Widget(row); },
                                  [&] { return view_->focusWidget(); },
                                  [&](QWidget* control) { Key(control, Qt::Key_Tab); });
}

TEST_F(QtWindowTest, Dir1ShowsEveryRowAndADeepFolderWhole) {
  QTreeWidget* dir1 = view_->Dir1;
  view_->show();
  ExpectDeepFolderShownWhole([&] {
    const QRect place = dir1->visualItemRect(dir1->currentItem());
    return tools::ShownRow{place.left(), place.left() + dir1->sizeHintForIndex(dir1->currentIndex()).width(),
                           dir1->viewport()->width()};
  });
  EXPECT_EQ(dir1->currentItem()->text(0), "/");  // the highlight moved back
  for (QTreeWidgetItem* item = dir1->topLevelItem(0); item != nullptr; item = dir1->itemBelow(item)) {
    EXPECT_FALSE(dir1->visualItemRect(item).isEmpty()) << item->text(0).toStdString();
  }
}

// Tabbing into Dir1, then File1, shows which of them has the focus.
TEST_F(QtWindowTest, Dir1AndFile1ShowWhenTheyHaveTheFocus) {
  QtWindow& w = *view_;
  ShowActive();
  w.ShowFiles({"ARRACT.MAP", "CAEN.MAP"});
  const QImage dir1 = w.Dir1->grab().toImage();
  const QImage file1 = w.File1->grab().toImage();
  Key(w.Drive1, Qt::Key_Tab);
  EXPECT_GE(PlainlyDifferentPixels(w.Dir1->grab().toImage(), dir1), w.File1->sizeHintForRow(0));
  Key(w.Dir1, Qt::Key_Tab);
  EXPECT_EQ(PlainlyDifferentPixels(w.Dir1->grab().toImage(), dir1), 0);
  EXPECT_GE(PlainlyDifferentPixels(w.File1->grab().toImage(), file1), w.File1->sizeHintForRow(0));
}

// Leaving Text1 counts as leaving it for a control only when the focus went
// to one: not when Text1's own context menu or another window took it. The
// window active again lists the drives again.
TEST_F(QtWindowTest, Text1IsLeftForAControlOnlyWhenTheFocusGoesToOne) {
  QtWindow& w = *view_;
  ShowActive();
  Click(w.Text1);
  Key(w.Text1, Qt::Key_Tab);
  Click(w.Text1);
  QContextMenuEvent right_click(QContextMenuEvent::Mouse, QPoint(5, 5), w.Text1->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(w.Text1, &right_click);
  ASSERT_NE(qobject_cast<QMenu*>(QApplication::activePopupWidget()), nullptr);
  Key(QApplication::activePopupWidget(), Qt::Key_Escape);
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(events_.Take(), (Events{"Text1_LostFocus control", "Text1_LostFocus elsewhere", "Text1_LostFocus elsewhere",
                                    "Drive1_Refresh"}));
}

// A click, Space, Return and Enter click a button; Enter opens a folder; a
// click on a check box only changes it.
TEST_F(QtWindowTest, ButtonsAndKeysArePassedOn) {
  ShowActive();
  Click(view_->Command1);
  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) Key(view_->Command2, key);
  view_->SetChecked(3, true);
  Click(view_->Check1[3]);
  EXPECT_FALSE(view_->IsChecked(3));
  view_->Dir1->setFocus();
  Key(view_->Dir1, Qt::Key_Down);
  Key(view_->Dir1, Qt::Key_Return);
  EXPECT_EQ(events_.Take(),
            (Events{"Command1_Click", "Command2_Click", "Command2_Click", "Command2_Click", "Dir1_Open 7"}));
}

// Opening Drive1 lists the drives again, and it opens as wide as its longest
// entry; a drive chosen from the keyboard counts at once; the program's
// filling and selecting it are no choice.
TEST_F(QtWindowTest, Drive1CountsTheUsersChoiceOnly) {
  ShowActive();
  view_->ShowDrives({"/", "/media/player/A volume with a name longer than the list is wide"}, 0);
  Key(view_->Drive1, Qt::Key_F4);
  EXPECT_GE(view_->Drive1->view()->width(), view_->Drive1->view()->sizeHintForColumn(0));
  Key(view_->Drive1->view(), Qt::Key_Escape);
  Key(view_->Drive1, Qt::Key_Down);
  view_->ShowDrives({"/", "/media/usb"}, 1);
  view_->SelectDrive(0);
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Refresh", "Drive1_Change 1"}));
}

TEST_F(QtWindowTest, ABurstOfFolderChangesIsPassedOnOnce) {
  view_->WatchFolder(temp_.path().native());
  for (const char* name : {"A.MAP", "B.MAP", "C.MAP"}) {
    tools::WriteFile(temp_.path() / name, "");
    QTest::qWait(window::kFolderChangeDelayMs / 3);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return !events_.events.empty(); }, 5000));
  QTest::qWait(2 * window::kFolderChangeDelayMs);
  EXPECT_EQ(events_.Take(), Events{"FolderChanged +A.MAP +B.MAP +C.MAP"});
}

// File1 holds a big folder's names in a model, without an item each.
TEST_F(QtWindowTest, File1HoldsABigFoldersNames) {
  QtWindow& w = *view_;
  w.show();
  QAbstractItemModel& model = *w.File1->model();
  ExpectFile1HoldsManyNames({
      .count = [&] { return static_cast<std::size_t>(model.rowCount()); },
      .text = [&](std::size_t row) { return model.index(static_cast<int>(row), 0).data().toString().toStdString(); },
      .selected =
          [&] {
            const QModelIndexList selected = w.File1->selectionModel()->selectedIndexes();
            return selected.isEmpty() ? -1 : selected.front().row();
          },
      .select =
          [&](std::size_t row) {
            const QModelIndex index = model.index(static_cast<int>(row), 0);
            w.File1->setCurrentIndex(index);
            w.File1->scrollTo(index, QAbstractItemView::PositionAtTop);
          },
      .top =
          [&] {
            Pump();
            return static_cast<std::size_t>(w.File1->indexAt(QPoint(1, 1)).row());
          },
  });
}

TEST_F(QtWindowTest, TheWindowAnswersWhileABigFolderIsListed) {
  view_->show();
  ExpectAnswersWhileManyMapsAreListed(
      [](const std::function<void()>& work, const std::function<void()>& tick) {
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, tick);
        ticks.start(10);
        work();
      },
      [&] { return static_cast<std::size_t>(view_->File1->model()->rowCount()); });
}

// Files and folders dragged from the file manager are taken as a copy, never
// a move, over the window and over Text1, which takes no file's name as text;
// the first one dropped is passed on as the file system names it. A drag of
// text alone is not taken.
TEST_F(QtWindowTest, AFolderDroppedOnTheWindowIsPassedOn) {
  QtWindow& w = *view_;
  QMimeData files;
  files.setData("text/uri-list", "file:///maps/h%E9me\r\nfile:///maps/OWN.MAP\r\n");
  QMimeData text;
  text.setText("/maps");
  // Where the drag goes, what it carries and what it may do; then what it is taken as.
  const std::vector<std::tuple<QWidget*, QMimeData*, Qt::DropActions, Qt::DropAction>> cases = {
      {&w, &files, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
      {w.Text1, &files, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
      {&w, &files, Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
      {&w, &files, Qt::MoveAction, Qt::IgnoreAction},
      {&w, &text, Qt::CopyAction, Qt::IgnoreAction},
  };
  for (const auto& [target, data, actions, taken] : cases) {
    QDragEnterEvent enter(QPoint(5, 5), actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction, taken);
    EXPECT_EQ(drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction, taken);
  }
  Pump();
  EXPECT_EQ(w.Text1Text(), "");
  EXPECT_EQ(events_.Take(), Events(3, "Form1_DragDrop /maps/h\xE9me"));
}

// The user clicks, types and drops a folder while the work runs, and once more
// in its last moments, before the window has looked.
TEST_F(QtWindowTest, InputIsDroppedWhileBusy) {
  QtWindow& w = *view_;
  ShowActive();
  QMimeData folder;
  folder.setUrls({QUrl::fromLocalFile("/maps")});
  const auto give_input = [&] {
    Click(w.Check1[0]);
    Click(w.Command1);
    QTest::keyClicks(w.Text1, "x");
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &folder, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &drop);
  };
  // Posted from the window's thread as the work ends: queued behind its end.
  const auto post_input = [&] {
    QMetaObject::invokeMethod(&w, [&w] {
      QCoreApplication::postEvent(w.Text1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, "y"));
    }, Qt::QueuedConnection);
  };
  ExpectInputDroppedWhileBusy("/reports", give_input, post_input);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(w.isVisible());
  QTest::keyClicks(w.Text1, "z");  // afterwards the field takes keys again
  EXPECT_EQ(w.Text1Text(), "/reportsz");
}

TEST_F(QtWindowTest, ProgressShowsOnTheLauncherEntry) {
  LauncherUpdates launcher;
  ASSERT_TRUE(QDBusConnection::sessionBus().connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update",
                                                    &launcher, SLOT(Update(QString, QVariantMap))));
  // One at a time, as a scan shows them, a tick or more apart: three sent in
  // the same instant may reach this test in another order.
  const std::pair<window::Progress, double> shown[] = {
      {window::Progress::kRunning, 0.25}, {window::Progress::kFailed, 0.5}, {window::Progress::kHidden, 0}};
  for (const auto& [state, fraction] : shown) {
    const std::size_t before = launcher.updates.size();
    view_->ShowProgress(state, fraction);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher.updates.size() > before; }, 5000));
  }
  EXPECT_EQ(launcher.updates,
            (std::vector<std::tuple<double, bool, bool>>{{0.25, true, false}, {0.5, true, true}, {0, false, false}}));
}

// Closing the window ends the program, not only the window.
TEST_F(QtWindowTest, ClosingTheWindowEndsTheProgram) {
  view_->show();
  QTimer::singleShot(0, view_.get(), [this] { view_->Close(); });
  QObject test;  // the program did not end: the timer goes with the test
  QTimer::singleShot(5000, &test, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

// Closing the window (as its close box, Alt+F4 and its menu do), "End
// Program", the session's end (the session manager's request to save, after
// which it may end the program at once, then the application's quit) and the
// application's loops ended, during a scan.
TEST_F(QtWindowTest, ClosingDuringAScanEndsTheProgramAtOnce) {
  const std::function<void()> closes[] = {
      [this] { view_->close(); },
      [this] { QTest::mouseClick(view_->Command2, Qt::LeftButton); },
      [this] {
        view_->EndSession();
        EXPECT_EQ(ReportsBesideTheEarlier(), 0);
      },
      [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
      },
      [] { QCoreApplication::exit(0); },
  };
  for (const std::function<void()>& close : closes) {
    SCOPED_TRACE(&close - closes);
    ExpectCloseMidScanEndsAtOnce([this](const std::function<void()>& tick) {
      view_->show();
      QMetaObject::invokeMethod(view_->Command1, &QPushButton::click, Qt::QueuedConnection);
      QTimer ticks;
      QObject::connect(&ticks, &QTimer::timeout, tick);
      ticks.start(20);
      QObject limit;  // the program did not end: the timer goes with the loop
      QTimer::singleShot(5000, &limit, [] { QCoreApplication::exit(1); });
      const int code = QCoreApplication::exec();
      QCoreApplication::processEvents();  // what the window's closing posted
      return code;
    }, close);
  }
}

// A volume mounted or unmounted is passed on without the drive list being
// opened. Mounting takes root; the tests then run in a mount namespace of
// their own (see main).
TEST_F(QtWindowTest, AVolumeMountedOrUnmountedIsPassedOn) {
  if (!tools::RunsAsRoot()) GTEST_SKIP() << "mounting a volume takes root";
  const fs::path volume = fs::path("/mnt") / temp_.path().filename();
  fs::create_directories(volume);
  ASSERT_EQ(::mount(temp_.path().c_str(), volume.c_str(), nullptr, MS_BIND, nullptr), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !events_.events.empty(); }, 5000));
  ASSERT_EQ(::umount(volume.c_str()), 0);
  fs::remove(volume);
  EXPECT_TRUE(QTest::qWaitFor([&] { return events_.events.size() >= 2; }, 5000));
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Refresh", "Drive1_Refresh"}));
}

}  // namespace

int main(int argc, char** argv) {
  // CTest sets the offscreen platform; it is also the default when the tests
  // are listed or run by hand, so that they never need a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The desktop's fonts as in Chinese, whose lines are taller than most (with
  // the Noto CJK fonts): a control that took the desktop's font rather than
  // the window's would show it.
  if (qEnvironmentVariableIsEmpty("FC_LANG")) qputenv("FC_LANG", "zh-cn");
  // As root, volumes the tests mount stay in a mount namespace of their own.
  if (tools::RunsAsRoot() && ::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
  // A session bus of the tests' own, for the launcher entry's progress.
  pid_t bus = 0;
  if (std::FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r")) {
    char address[512] = {}, pid[32] = {};
    if (std::fgets(address, sizeof address, out) != nullptr && std::fgets(pid, sizeof pid, out) != nullptr) {
      ::setenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(address).trimmed().constData(), 1);
      bus = static_cast<pid_t>(std::atoi(pid));
    }
    ::pclose(out);
  }
  int status = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  if (bus > 0) ::kill(bus, SIGTERM);
  return status;
}

#include "qt_window_test.moc"
