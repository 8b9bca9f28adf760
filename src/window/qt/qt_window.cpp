#include "qt_window.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <thread>

namespace {

using window::Control;

// Qt places widgets in device-independent pixels: 15 twips each.
constexpr int kDpi = 96;
QRect Pixels(const window::ControlLayout& layout) {
  return QRect(window::TwipsToPixels(layout.left, kDpi), window::TwipsToPixels(layout.top, kDpi),
               window::TwipsToPixels(layout.width, kDpi), window::TwipsToPixels(layout.height, kDpi));
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A drive list that tells before it opens, so that its drives can be listed
// again, and opens as wide as its longest entry.
class DriveList : public QComboBox {
 public:
  DriveList(QWidget* parent, window::Form1& form) : QComboBox(parent), form_(form) {}
  void showPopup() override {
    form_.Drive1_Refresh();
    QAbstractItemView* list = view();
    const int scroll_bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + scroll_bar);
    QComboBox::showPopup();
  }

 private:
  window::Form1& form_;
};

// The launcher entry the desktop shows the program by: its desktop file.
constexpr char kLauncherEntry[] = "application://groundstyles.desktop";

// The folder tree. The view scrolls a row's column into view, and its one
// column starts at the left edge: a deep folder stayed past the right edge.
// Sideways, it brings the row from its icon to the end of its name into
// view, or its start when the name is wider than the tree.
class FolderTree : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override {
    QTreeWidget::scrollTo(index, hint);
    if (!index.isValid()) return;
    resizeColumnToContents(0);
    updateGeometries();  // the scroll bars' ranges for the column's new width
    const int left = visualRect(index).left();
    const int past_edge = left + sizeHintForIndex(index).width() - viewport()->width();
    const int shift = past_edge > 0 ? std::min(past_edge, left) : std::min(left, 0);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + shift);
  }
};

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
      return true;
    default:
      return false;
  }
}

}  // namespace

QtWindow::QtWindow(std::unique_ptr<platform::DriveSource> drives, const platform::ReportFileCalls& report_calls,
                   QWidget* parent)
    : QWidget(parent), form_(*this, std::move(drives), report_calls) {
  createControls();
  connectEvents();
  watchMounts();
  form_.Form1_Load();
}

QtWindow::~QtWindow() {
  if (mountTable_ >= 0) ::close(mountTable_);
}

void QtWindow::createControls() {
  // The layout is measured for a small dialog font; the platform's family at
  // 8 points keeps every caption inside its control.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  // A window of fixed size: it can be minimised and closed, not maximised.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(window::TwipsToPixels(window::kClientWidth, kDpi), window::TwipsToPixels(window::kClientHeight, kDpi));

  QWidget* previous = nullptr;
  for (const window::ControlLayout& layout : window::Form1Layout()) {
    const QString text = FromUtf8(layout.text);
    QWidget* control = nullptr;
    switch (layout.control) {
      case Control::kDrive1:
        control = Drive1 = new DriveList(this, form_);
        break;
      case Control::kDir1:
        control = Dir1 = new FolderTree(this);
        Dir1->setHeaderHidden(true);
        Dir1->setRootIsDecorated(false);
        Dir1->setItemsExpandable(false);
        Dir1->setIndentation(10);
        // The folders on the way down are always open: no expand arrows.
        Dir1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
        // Deep folders scroll sideways instead of being cut short.
        Dir1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        Dir1->header()->setStretchLastSection(false);
        break;
      case Control::kFile1:
        control = File1 = new QListWidget(this);
        break;
      case Control::kCommand1:
        control = Command1 = new QPushButton(text, this);
        break;
      case Control::kCommand2:
        control = Command2 = new QPushButton(text, this);
        break;
      case Control::kLabel1:
        control = Label1 = new QLabel(text, this);
        break;
      case Control::kFrame1:
        control = Frame1 = new QGroupBox(text, this);
        break;
      case Control::kCheck1:
        control = Check1[static_cast<std::size_t>(layout.index)] = new QCheckBox(text, Frame1);
        break;
      case Control::kText1:
        control = Text1 = new QLineEdit(this);
        break;
      case Control::kLabel2:
        control = Label2 = new QLabel(text, this);
        break;
      case Control::kLabel3:
        control = Label3 = new QLabel(text, this);
        break;
    }
    control->setGeometry(Pixels(layout));
    if (!layout.name.empty()) control->setAccessibleName(FromUtf8(layout.name));
    if (layout.font == window::Font::kNotice) {
      QFont notice{QString::fromLatin1(window::kNoticeFontFamily.data(),
                                       static_cast<qsizetype>(window::kNoticeFontFamily.size()))};
      notice.setPointSizeF(window::kNoticeFontPoints);
      notice.setWeight(static_cast<QFont::Weight>(window::kNoticeFontWeight));
      control->setFont(notice);
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setFocusPolicy(Qt::NoFocus);
      // Beneath every other control: Label1's and Label2's boxes reach into
      // Drive1's, File1's and Text1's, and must take neither paint nor clicks.
      label->lower();
    } else if (control != Frame1) {
      if (previous != nullptr) QWidget::setTabOrder(previous, control);
      previous = control;
    }
  }
  Drive1->setFocus();
}

void QtWindow::connectEvents() {
  connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { form_.Command2_Click(); });
  connect(Drive1, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) form_.Drive1_Change(static_cast<std::size_t>(index));
  });
  connect(Dir1, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    form_.Dir1_Open(static_cast<std::size_t>(item->data(0, Qt::UserRole).toULongLong()));
  });
  Text1->installEventFilter(this);
  Command1->installEventFilter(this);
  Command2->installEventFilter(this);
  folderChanged_.setSingleShot(true);
  folderChanged_.setInterval(150);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &folderChanged_, qOverload<>(&QTimer::start));
  connect(&folderChanged_, &QTimer::timeout, this, [this] { form_.FolderChanged(); });
}

void QtWindow::watchMounts() {
  // The kernel marks the mount table exceptional for poll() each time a
  // volume is mounted or unmounted.
  mountTable_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (mountTable_ < 0) return;
  mounts_ = std::make_unique<QSocketNotifier>(mountTable_, QSocketNotifier::Exception);
  connect(mounts_.get(), &QSocketNotifier::activated, this, [this] { form_.Drive1_Refresh(); });
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
  if (dropInput_ && IsUserInput(event->type())) {
    if (event->type() == QEvent::Close) event->ignore();  // refused: the window stays open
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
  if (watched == Text1 && event->type() == QEvent::FocusOut) {
    // Only the user moving on to another control counts as leaving the field,
    // not the window losing activation or a message box opening.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) form_.ReportFolderWarning();
  }
  return QWidget::eventFilter(watched, event);
}

void QtWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) form_.Drive1_Refresh();
  QWidget::changeEvent(event);
}

void QtWindow::SetTitle(const std::string& text) { setWindowTitle(FromUtf8(text)); }

void QtWindow::SetText(Control control, const std::string& text) {
  if (control == Control::kText1) {
    Text1->setText(FromUtf8(text));
  } else if (control == Control::kLabel3) {
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
  dir1Rows_.clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  std::vector<QTreeWidgetItem*> parents;  // the open row at each depth
  for (const window::FolderRow& row : rows) {
    parents.resize(static_cast<std::size_t>(row.depth));
    auto* item = parents.empty() ? new QTreeWidgetItem(Dir1) : new QTreeWidgetItem(parents.back());
    item->setText(0, FromUtf8(row.text));
    item->setIcon(0, row.open ? open : closed);
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(dir1Rows_.size()));
    dir1Rows_.push_back(item);
    parents.push_back(item);
    item->setExpanded(true);
  }
  SelectFolder(current);
}

void QtWindow::SelectFolder(std::size_t row) {
  if (row >= dir1Rows_.size()) return;
  Dir1->setCurrentItem(dir1Rows_[row]);
  Dir1->scrollTo(Dir1->currentIndex());  // scrollToItem would pass FolderTree's scrolling by
}

void QtWindow::ShowFiles(const std::vector<std::string>& names) {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(names.size()));
  for (const std::string& name : names) shown.push_back(FromUtf8(name));
  File1->clear();
  File1->addItems(shown);
}

void QtWindow::WatchFolder(const platform::NativeString& folder) {
  if (const QStringList watched = watcher_.directories(); !watched.isEmpty()) watcher_.removePaths(watched);
  // The name as the file system holds it, whatever its encoding.
  watcher_.addPath(QFile::decodeName(QByteArray(folder.data(), static_cast<qsizetype>(folder.size()))));
}

void QtWindow::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(window::kMessageCaption), FromUtf8(text), QMessageBox::Ok, this);
  box.exec();
}

void QtWindow::RunBusy(const std::function<void()>& work, const std::function<void()>& tick) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Whatever the user does to the window meanwhile is dropped, not acted on after.
  dropInput_ = true;
  qApp->installEventFilter(this);
  QEventLoop loop;
  QTimer ticks;
  connect(&ticks, &QTimer::timeout, this, [&tick] { tick(); });
  ticks.start(window::kTickMs);
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  ticks.stop();
  QCoreApplication::processEvents();  // what is still queued goes the same way
  qApp->removeEventFilter(this);
  dropInput_ = false;
  QApplication::restoreOverrideCursor();
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
