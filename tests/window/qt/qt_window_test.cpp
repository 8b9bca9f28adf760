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
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

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
  // Near the left edge, where a check box's box is.
  void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, control->height() / 2)); }
  void Pump() override { QCoreApplication::processEvents(); }
  void Key(QWidget* control, Qt::Key key) {
    QTest::keyClick(control, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  }
};

TEST_F(QtWindowTest, ControlsFollowTheLayoutTableAndDir1ShowsTheFolderWhole) {
  QtWindow& w = *view_;
  w.show();
  w.SetText(Control::kLabel3, "Notice");
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    QWidget* control = Widget(layout);
    SCOPED_TRACE(control->metaObject()->className());
    EXPECT_EQ(control->geometry(), QRect(layout.left / 15, layout.top / 15, layout.width / 15, layout.height / 15));
    EXPECT_EQ(control->parentWidget(), layout.control == Control::kCheck1 ? static_cast<QWidget*>(w.Frame1) : &w);
    EXPECT_EQ(control->font().bold(), layout.font == window::Font::kNotice);
    EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, layout.tab_stop);
    // Every control has its name from the table (Label3 its text, the notice).
    // On Linux, Qt reports a drop-down list's entry as its name; the name the
    // table gives it is what Qt reports elsewhere.
    const QString name = control == w.Drive1 ? control->accessibleName()
                                             : QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    EXPECT_EQ(name.toStdString(), layout.name.empty() ? "Notice" : layout.name);
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
  EXPECT_EQ(w.minimumSize(), QSize(window::kClientWidth / 15, window::kClientHeight / 15));
  EXPECT_EQ(w.maximumSize(), w.minimumSize());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(w.Label3->font().pointSizeF(), window::kNoticeFontPoints);

  tools::ExpectTabFollowsTabStops([&](const window::ControlLayout& row) { return Widget(row); },
                                  [&] { return w.focusWidget(); },
                                  [&](QWidget* control) { Key(control, Qt::Key_Tab); });

  // Dir1 shows every row and the folder shown whole past its edge.
  QTreeWidget* dir1 = view_->Dir1;
  ExpectDeepFolderShownWhole([&] {
    const QRect place = dir1->visualItemRect(dir1->currentItem());
    return tools::ShownRow{place.left(), place.left() + dir1->sizeHintForIndex(dir1->currentIndex()).width(),
                           dir1->viewport()->width()};
  });
  EXPECT_EQ(dir1->currentItem()->text(0), "/");  // the highlight moved back
  // Every row is shown, the subfolders too.
  for (QTreeWidgetItem* item = dir1->topLevelItem(0); item != nullptr; item = dir1->itemBelow(item)) {
    EXPECT_FALSE(dir1->visualItemRect(item).isEmpty()) << item->text(0).toStdString();
  }
}

TEST_F(QtWindowTest, KeysClicksAndActivationArePassedOnDroppedWhileBusyAndProgressShown) {
  QtWindow& w = *view_;
  w.show();
  w.ShowDrives({"/", "/media/usb"}, 0);
  w.ShowFolders(tools::DeepFolderRows(), tools::kDeepRow);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_EQ(events_.Take(), Events{"Drive1_Refresh"});  // volumes may have come or gone meanwhile

  // The field takes the keys and clicks given it; leaving it is passed on with
  // where the focus went: to another control, or to another window, after
  // which the window becomes active again.
  Click(w.Text1);
  QTest::keyClicks(w.Text1, "/maps");
  EXPECT_EQ(w.Text1Text(), "/maps");
  Key(w.Text1, Qt::Key_Tab);
  Click(w.Text1);
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  other.close();  // so that closing the window at the end ends the program
  EXPECT_EQ(events_.Take(), (Events{"Text1_LostFocus control", "Text1_LostFocus elsewhere", "Drive1_Refresh"}));

  // The buttons answer a click, Space, Return and Enter.
  Click(w.Command1);
  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) Key(w.Command2, key);
  w.SetChecked(3, true);
  Click(w.Check1[3]);
  EXPECT_FALSE(w.IsChecked(3));
  EXPECT_EQ(events_.Take(), (Events{"Text1_LostFocus control", "Command1_Click", "Command2_Click", "Command2_Click",
                                    "Command2_Click"}));

  // Enter on a folder opens it; opening Drive1 lists the drives again, and a
  // drive chosen from the keyboard counts at once.
  w.Dir1->setFocus();
  Key(w.Dir1, Qt::Key_Down);
  Key(w.Dir1, Qt::Key_Return);
  Key(w.Drive1, Qt::Key_F4);
  ASSERT_TRUE(w.Drive1->view()->isVisible());
  EXPECT_GE(w.Drive1->view()->width(), w.Drive1->view()->sizeHintForColumn(0));  // as wide as its longest entry
  Key(w.Drive1->view(), Qt::Key_Escape);
  Key(w.Drive1, Qt::Key_Down);
  EXPECT_EQ(events_.Take(), (Events{"Dir1_Open 7", "Drive1_Refresh", "Drive1_Change 1"}));

  // A burst of changes in the watched folder is passed on once.
  w.WatchFolder(temp_.path().native());
  for (const char* name : {"A.MAP", "B.MAP", "C.MAP"}) {
    tools::WriteFile(temp_.path() / name, "");
    QTest::qWait(window::kFolderChangeDelayMs / 3);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return !events_.events.empty(); }, 1000));
  QTest::qWait(2 * window::kFolderChangeDelayMs);
  EXPECT_EQ(events_.Take(), Events{"FolderChanged"});

  // While busy, the window answers, drops input and shows progress.
  LauncherUpdates launcher;
  ASSERT_TRUE(QDBusConnection::sessionBus().connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update",
                                                    &launcher, SLOT(Update(QString, QVariantMap))));
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  // The user clicks, types and closes the window while the work runs, and
  // once more in its last moments, before the window has looked.
  const auto give_input = [&] {
    Click(w.Check1[0]);
    Click(w.Command1);
    QTest::keyClicks(w.Text1, "x");
    w.close();
  };
  // Posted from the window's thread as the work ends: queued behind its end.
  const auto post_input = [&] {
    QMetaObject::invokeMethod(&w, [&w] {
      QCoreApplication::postEvent(w.Text1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, "y"));
      QCoreApplication::postEvent(&w, new QCloseEvent);
    }, Qt::QueuedConnection);
  };
  ExpectInputDroppedWhileBusy("/reports", give_input, post_input);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(w.isVisible());
  QTest::keyClicks(w.Text1, "z");  // afterwards the field takes keys again
  EXPECT_EQ(w.Text1Text(), "/reportsz");

  w.ShowProgress(window::Progress::kRunning, 0.25);
  w.ShowProgress(window::Progress::kFailed, 0.5);
  w.ShowProgress(window::Progress::kHidden, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return launcher.updates.size() >= 3; }, 1000));
  EXPECT_EQ(launcher.updates,
            (std::vector<std::tuple<double, bool, bool>>{{0.25, true, false}, {0.5, true, true}, {0, false, false}}));

  // Closing the window ends the program, not only the window.
  QTimer::singleShot(0, &w, [&w] { w.Close(); });
  QTimer still_running;  // the program did not end
  QObject::connect(&still_running, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  still_running.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

// A volume mounted or unmounted is passed on without the drive list being
// opened. Mounting takes root; the tests then run in a mount namespace of
// their own (see main).
TEST_F(QtWindowTest, AVolumeMountedOrUnmountedIsPassedOn) {
  if (!tools::RunsAsRoot()) GTEST_SKIP() << "mounting a volume takes root";
  const fs::path volume = fs::path("/mnt") / temp_.path().filename();
  fs::create_directories(volume);
  ASSERT_EQ(::mount(temp_.path().c_str(), volume.c_str(), nullptr, MS_BIND, nullptr), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !events_.events.empty(); }, 1000));
  ASSERT_EQ(::umount(volume.c_str()), 0);
  fs::remove(volume);
  EXPECT_TRUE(QTest::qWaitFor([&] { return events_.events.size() >= 2; }, 1000));
  EXPECT_EQ(events_.Take(), (Events{"Drive1_Refresh", "Drive1_Refresh"}));
}

}  // namespace

int main(int argc, char** argv) {
  // CTest sets the offscreen platform; it is also the default when the tests
  // are listed or run by hand, so that they never need a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
