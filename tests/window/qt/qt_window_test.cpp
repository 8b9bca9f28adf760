// The Qt window: its controls where the layout puts them, and the user's
// events reaching Form1.
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
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include "fake_drives.h"
#include "fake_report_calls.h"
#include "map_writer.h"
#include "ordinary_user.h"
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

// The launcher entry's updates the program sends on the session bus.
class LauncherUpdates : public QObject {
  Q_OBJECT

 public:
  std::vector<QVariantMap> updates;

 public slots:
  void Update(const QString& entry, const QVariantMap& properties) {
    if (entry == "application://groundstyles.desktop") updates.push_back(properties);
  }
};

// Handles events until `done` holds or `limit_ms` have passed.
bool ProcessEventsUntil(const std::function<bool()>& done, int limit_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < limit_ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

void PressKey(QWidget* control, int key) {
  QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
  QApplication::sendEvent(control, &press);
}

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(maps_ / "more");
    tools::WriteFile(maps_ / "KLIN.MAP", tools::MapBytes({9}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
    window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_), report_calls_);
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
  tools::FakeReportCalls report_calls_;  // outlives the window
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
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
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
  window_ = std::make_unique<RecordingWindow>(std::make_unique<tools::FakeDrives>(drives_), report_calls_);
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
  for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {  // on the focused button, as Space is
    fs::remove(temp_.path() / "GroundStyles.txt");
    PressKey(w.Command1, key);
    EXPECT_EQ(tools::ReadFile(temp_.path() / "GroundStyles.txt"), scan::ReportHeaderText(maps_.native(), 1));
  }

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

  // A folder made under the one shown appears as its row within a second.
  fs::create_directory(maps_ / "more" / "added");
  ASSERT_TRUE(ProcessEventsUntil([&] { return w.Dir1->currentItem()->childCount() == 1; }, 1000));
  EXPECT_EQ(w.Dir1->currentItem()->child(0)->text(0), "added");

  // The drive list opens as wide as its longest entry.
  w.Drive1->showPopup();
  EXPECT_GE(w.Drive1->view()->width(), w.Drive1->view()->sizeHintForColumn(0));
  EXPECT_GT(w.Drive1->view()->width(), w.Drive1->width());
  w.Drive1->hidePopup();

  w.Drive1->setCurrentIndex(1);  // no medium
  EXPECT_EQ(w.messages.back(), "Drive not ready.");
}

TEST_F(QtWindowTest, DuringAScanTheWindowAnswersDropsInputAndShowsProgress) {
  RecordingWindow& w = *window_;
  w.show();
  w.Text1->setText(QString::fromStdString(temp_.path().string()));
  LauncherUpdates launcher;
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected());
  ASSERT_TRUE(bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", &launcher,
                          SLOT(Update(QString, QVariantMap))));
  for (const bool fails : {false, true}) {
    SCOPED_TRACE(fails);
    // While the scan lasts, a timer measures how long the loop goes unturned,
    // and the user clicks, types and asks the window to close.
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    bool input_given = false;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
      if (input_given || last < 300) return;
      input_given = true;
      Click(w.Check1[0]);
      QCoreApplication::postEvent(w.Text1, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
      QCoreApplication::postEvent(w.windowHandle(), new QCloseEvent);
    });
    report_calls_.SetFaults({{.call = tools::FakeReportCalls::Call::kSync, .delay_ms = 1500, .fails = fails}});
    clock.start();
    beat.start(20);
    w.Command1->click();
    beat.stop();
    EXPECT_TRUE(input_given);
    EXPECT_LT(longest, 100);
    EXPECT_EQ(w.messages.size(), fails ? 1u : 0u);
    w.messages.clear();
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.Check1[0]->isChecked());
  EXPECT_EQ(w.Text1->text().toStdString(), temp_.path().string());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Progress shown while each scan ran, the error when the second failed, then nothing.
  ASSERT_TRUE(ProcessEventsUntil([&] { return launcher.updates.size() >= 5; }, 1000));
  ASSERT_EQ(launcher.updates.size(), 5u);  // running, hidden; running, failed, hidden
  EXPECT_TRUE(launcher.updates.front()["progress-visible"].toBool());
  EXPECT_FALSE(launcher.updates.front()["urgent"].toBool());
  EXPECT_TRUE(std::any_of(launcher.updates.begin(), launcher.updates.end(),
                          [](const QVariantMap& update) { return update["urgent"].toBool(); }));
  EXPECT_FALSE(launcher.updates.back()["progress-visible"].toBool());
  EXPECT_FALSE(launcher.updates.back()["urgent"].toBool());

  // "End Program" ends the program, not only the window.
  QTimer::singleShot(0, w.Command2, &QPushButton::click);
  QTimer still_running;  // the program did not end
  QObject::connect(&still_running, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  still_running.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

// A volume unmounted while its folder is shown leaves Drive1, and the lists go
// home, without the drive list being opened. Mounting takes root; the tests
// then run in a mount namespace of their own (see main).
TEST_F(QtWindowTest, AVolumeUnmountedLeavesTheLists) {
  if (!tools::RunsAsRoot()) GTEST_SKIP() << "mounting a volume takes root";
  const fs::path volume = fs::path("/mnt") / temp_.path().filename();
  fs::create_directories(volume);
  fs::create_directories(temp_.path() / "stick");
  tools::WriteFile(temp_.path() / "stick" / "STICK.MAP", tools::MapBytes({1}));
  ASSERT_EQ(::mount((temp_.path() / "stick").c_str(), volume.c_str(), nullptr, MS_BIND, nullptr), 0);
  tools::ScopedEnvironment home("HOME", maps_.string());
  QtWindow w;  // the machine's own drives
  const auto drive = w.Drive1->findText(QString::fromStdString(volume.string()));
  ASSERT_GE(drive, 0);
  w.Drive1->setCurrentIndex(drive);
  ASSERT_EQ(w.File1->count(), 1);
  ASSERT_EQ(::umount(volume.c_str()), 0);
  fs::remove(volume);
  EXPECT_TRUE(ProcessEventsUntil([&] { return w.Drive1->findText(QString::fromStdString(volume.string())) < 0; }, 1000));
  EXPECT_EQ(w.form().file1_path(), maps_.native());
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
