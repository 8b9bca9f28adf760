#include "qt_window.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDropEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSessionManager>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>

#include "form1_lists.h"
#include "window_fonts.h"

namespace {

using window::Control;

// Qt places widgets in device-independent pixels: 15 twips each.
constexpr int kDpi = 96;
QRect Pixels(const window::ControlLayout& layout) {
  return QRect(window::TwipsToPixels(layout.left, kDpi), window::TwipsToPixels(layout.top, kDpi),
               window::TwipsToPixels(layout.width, kDpi), window::TwipsToPixels(layout.height, kDpi));
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The launcher entry the desktop shows the program by: its desktop file.
constexpr char kLauncherEntry[] = "application://groundstyles.desktop";

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

// The first local file or folder a drag carries, as the file system names it;
// empty when it carries none.
platform::NativeString FirstLocalPath(const QMimeData& data) {
  for (const QUrl& url : data.urls()) {
    // The name's bytes, whatever their encoding, as file managers percent-encode them.
    if (url.isLocalFile()) return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
  }
  return {};
}

}  // namespace

QtWindow::QtWindow(QWidget* parent) : QWidget(parent) {
  CreateControls();
  ConnectEvents();
  WatchMounts();
  FollowSession();
}

QtWindow::~QtWindow() {
  if (mount_table_ >= 0) ::close(mount_table_);
}

void QtWindow::Load(window::Form1Events& events) {
  events_ = &events;
  events_->Form1_Load();
}

void QtWindow::CreateControls() {
  setFont(WindowFont());
  setAcceptDrops(true);  // folders and map files dropped from the file manager
  // A window of fixed size: it can be minimised and closed, not maximised.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(window::TwipsToPixels(window::kClientWidth, kDpi), window::TwipsToPixels(window::kClientHeight, kDpi));

  QWidget* previous = nullptr;
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    QWidget* control = MakeControl(layout);
    control->setGeometry(Pixels(layout));
    if (!layout.name.empty()) control->setAccessibleName(FromUtf8(layout.name));
    if (layout.font == window::Font::kNotice) control->setFont(NoticeFont());
    if (auto* label = qobject_cast<QLabel*>(control)) {
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      // Beneath every other control: Label1's and Label2's boxes reach into
      // Drive1's, File1's and Text1's, and must take neither paint nor clicks.
      label->lower();
    }
    if (!layout.tab_stop) {
      control->setFocusPolicy(Qt::NoFocus);
    } else {
      if (previous != nullptr) QWidget::setTabOrder(previous, control);
      previous = control;
    }
  }
  Drive1->setFocus();
}

QWidget* QtWindow::MakeControl(const window::ControlLayout& layout) {
  const QString text = FromUtf8(layout.text);
  switch (layout.control) {
    case Control::kDrive1:
      return Drive1 = new DriveList(this, [this] { events_->Drive1_Refresh(); });
    case Control::kDir1:
      return Dir1 = new FolderTree(this);
    case Control::kFile1:
      return File1 = new FileList(this);
    case Control::kCommand1:
      return Command1 = new QPushButton(text, this);
    case Control::kCommand2:
      return Command2 = new QPushButton(text, this);
    case Control::kLabel1:
      return Label1 = new QLabel(text, this);
    case Control::kFrame1:
      return Frame1 = new QGroupBox(text, this);
    case Control::kCheck1:
      return Check1[static_cast<std::size_t>(layout.index)] = new QCheckBox(text, Frame1);
    case Control::kText1:
      return Text1 = new QLineEdit(this);
    case Control::kLabel2:
      return Label2 = new QLabel(text, this);
    case Control::kLabel3:
      return Label3 = new QLabel(text, this);
  }
  throw std::logic_error("no such control");
}

void QtWindow::ConnectEvents() {
  // Signals come from the event loop, which runs once the window is loaded.
  connect(Command1, &QPushButton::clicked, this, [this] { events_->Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { events_->Command2_Click(); });
  connect(Drive1, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) events_->Drive1_Change(static_cast<std::size_t>(index));
  });
  connect(Dir1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    events_->Dir1_Open(static_cast<std::size_t>(item->data(0, Qt::UserRole).toULongLong()));
  });
  Text1->installEventFilter(this);
  Command1->installEventFilter(this);
  Command2->installEventFilter(this);
}

void QtWindow::WatchMounts() {
  // The kernel marks the mount table exceptional for poll() each time a
  // volume is mounted or unmounted.
  mount_table_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (mount_table_ < 0) return;
  mounts_ = std::make_unique<QSocketNotifier>(mount_table_, QSocketNotifier::Exception);
  connect(mounts_.get(), &QSocketNotifier::activated, this, [this] { events_->Drive1_Refresh(); });
}

void QtWindow::FollowSession() {
  // The session manager may end the program as soon as it has answered this
  // request to save: a scan is stopped, and has ended, before it answers.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { EndSession(); });
}

void QtWindow::EndSession() {
  if (!drop_input_) return;
  events_->Form1_QueryUnload();
  WaitForWork();
}

bool QtWindow::ClicksCommand2(QObject* watched, QEvent* event) const {
  // Input reaches the window first, then the control it is for.
  const bool window = watched == windowHandle();
  if (!window && watched != Command2) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // A press on the button, and the release that ends it wherever it is.
      const bool on_it = !window || Command2->isDown() || childAt(mouse->position().toPoint()) == Command2;
      return mouse->button() == Qt::LeftButton && on_it;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const int key = static_cast<QKeyEvent*>(event)->key();
      return focusWidget() == Command2 && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
    }
    default:
      return false;
  }
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool drag = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
                    event->type() == QEvent::Drop;
  if (drop_input_ && IsUserInput(event->type()) && !ClicksCommand2(watched, event)) {
    // Refused: the drag shows it is not taken.
    if (drag) event->ignore();
    if (event->type() != QEvent::Close) return true;
    // The window stays open until the work has ended; Form1 decides what follows.
    event->ignore();
    if (watched == this || watched == windowHandle()) events_->Form1_QueryUnload();
    return true;
  }
  if ((watched == Command1 || watched == Command2) && event->type() == QEvent::KeyPress) {
    // Enter clicks the focused button, as Space does.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      static_cast<QPushButton*>(watched)->click();
      return true;
    }
  }
  if (watched == Text1 && drag && static_cast<QDropEvent*>(event)->mimeData()->hasUrls()) {
    // Files and folders dropped on Text1 go to the window, not into the field as text.
    TakeDrag(static_cast<QDropEvent*>(event));
    return true;
  }
  if (watched == Text1 && event->type() == QEvent::FocusOut) {
    // The focus leaves the window's controls when another window (a message
    // box among them) or a pop-up takes it.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool elsewhere = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    events_->Text1_LostFocus(elsewhere ? window::FocusTarget::kElsewhere : window::FocusTarget::kControl);
  }
  return QWidget::eventFilter(watched, event);
}

void QtWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) events_->Drive1_Refresh();
  QWidget::changeEvent(event);
}

void QtWindow::dragEnterEvent(QDragEnterEvent* event) { TakeDrag(event); }

void QtWindow::dragMoveEvent(QDragMoveEvent* event) { TakeDrag(event); }

void QtWindow::dropEvent(QDropEvent* event) { TakeDrag(event); }

void QtWindow::TakeDrag(QDropEvent* event) {
  const platform::NativeString path = FirstLocalPath(*event->mimeData());
  // Never a move, which would have the file manager take the files away.
  const Qt::DropActions copy_or_link = event->possibleActions() & (Qt::CopyAction | Qt::LinkAction);
  if (path.empty() || copy_or_link == Qt::IgnoreAction) {
    event->ignore();
    return;
  }
  event->setDropAction(copy_or_link & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
  event->accept();
  if (event->type() != QEvent::Drop) return;
  // Once the drop is done: Form1 may show a message, and the file manager waits for the drop's end.
  QMetaObject::invokeMethod(this, [this, path] { events_->Form1_DragDrop(path); }, Qt::QueuedConnection);
}

void QtWindow::SetTitle(const std::string& text) { setWindowTitle(FromUtf8(text)); }

void QtWindow::SetText(Control control, const std::string& text) {
  if (control == Control::kText1) {
    Text1->setText(FromUtf8(text));
  } else {
    Label3->setText(FromUtf8(text));
  }
}

std::string QtWindow::Text1Text() const { return Text1->text().toStdString(); }

std::string QtWindow::CheckCaption(int code) const {
  return Check1[static_cast<std::size_t>(code)]->text().toStdString();
}

bool QtWindow::IsChecked(int code) const {
  return Check1[static_cast<std::size_t>(code)]->checkState() != Qt::Unchecked;
}

void QtWindow::SetChecked(int code, bool checked) { Check1[static_cast<std::size_t>(code)]->setChecked(checked); }

void QtWindow::ShowDrives(const std::vector<std::string>& names, std::size_t selected) {
  const QSignalBlocker blocker(Drive1);
  Drive1->clear();
  for (const std::string& name : names) Drive1->addItem(FromUtf8(name));
  Drive1->setCurrentIndex(selected < names.size() ? static_cast<int>(selected) : -1);
}

void QtWindow::SelectDrive(std::size_t index) {
  const QSignalBlocker blocker(Drive1);
  Drive1->setCurrentIndex(index < static_cast<std::size_t>(Drive1->count()) ? static_cast<int>(index) : -1);
}

void QtWindow::ShowFolders(const std::vector<window::FolderRow>& rows, std::size_t current) {
  Dir1->clear();
  dir1_rows_.clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  std::vector<QTreeWidgetItem*> parents;  // the open row at each depth
  for (const window::FolderRow& row : rows) {
    parents.resize(static_cast<std::size_t>(row.depth));
    auto* item = parents.empty() ? new QTreeWidgetItem(Dir1) : new QTreeWidgetItem(parents.back());
    item->setText(0, FromUtf8(row.text));
    item->setIcon(0, row.open ? open : closed);
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(dir1_rows_.size()));
    dir1_rows_.push_back(item);
    parents.push_back(item);
    item->setExpanded(true);
  }
  SelectFolder(current);
}

void QtWindow::SelectFolder(std::size_t row) {
  if (row >= dir1_rows_.size()) return;
  Dir1->setCurrentItem(dir1_rows_[row]);
  Dir1->scrollTo(Dir1->currentIndex());  // scrollToItem would pass FolderTree's scrolling by
}

void QtWindow::ShowFiles(std::vector<std::string> names) { File1->names().Show(std::move(names)); }

void QtWindow::InsertFile(std::size_t row, const std::string& name) { File1->names().Insert(row, name); }

void QtWindow::RemoveFile(std::size_t row) { File1->names().Remove(row); }

void QtWindow::WatchFolder(const platform::NativeString& folder) { folder_watch_.Watch(folder); }

void QtWindow::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(window::kMessageCaption), FromUtf8(text), QMessageBox::Ok, this);
  box.exec();
}

void QtWindow::RunBusy(const std::function<void()>& work, const std::function<void()>& tick) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Whatever the user does to the window meanwhile is dropped, not acted on after.
  drop_input_ = true;
  qApp->installEventFilter(this);
  QEventLoop loop;
  QTimer ticks;
  connect(&ticks, &QTimer::timeout, this, [&tick] { tick(); });
  ticks.start(window::kTickMs);
  std::atomic<bool> ended{false};
  work_ = std::thread([&] {
    work();
    ended = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // QCoreApplication::exit ends every event loop at once, this one too, and
  // says aboutToQuit only once the main one has returned: the program is
  // ending, and the work is asked to stop.
  if (!ended) events_->Form1_QueryUnload();
  WaitForWork();
  ticks.stop();
  QCoreApplication::processEvents();  // what is still queued goes the same way
  qApp->removeEventFilter(this);
  drop_input_ = false;
  QApplication::restoreOverrideCursor();
}

void QtWindow::WaitForWork() {
  if (work_.joinable()) work_.join();
}

void QtWindow::ShowProgress(window::Progress state, double fraction) {
  // The launcher entry's progress, which docks and task managers show on the
  // program's button; without a session bus there is nowhere to show it.
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/org/groundstyles/Groundstyles"),
                                                   QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                   QStringLiteral("Update"));
  const QVariantMap properties = {
      {QStringLiteral("progress"), fraction},
      {QStringLiteral("progress-visible"), state != window::Progress::kHidden},
      {QStringLiteral("urgent"), state == window::Progress::kFailed},
  };
  update << QString::fromLatin1(kLauncherEntry) << properties;
  bus.send(update);
}

void QtWindow::Close() { close(); }
