#include "form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <filesystem>

#include "platform/listing.h"
#include "scan/run_scan.h"
#include "scan/text.h"

namespace {

// The layout is drawn in twips; 15 twips make one device-independent pixel.
constexpr int kTwipsPerPixel = 15;
QRect Twips(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel);
}

constexpr int kClientWidth = 7920;
constexpr int kClientHeight = 7110;

const char kTitle[] = "PG2 - Ground Style Checker - version ";
const char kNotice[] =
    "NB: This tool will check for groundstyles in PG2 *.MAP files only."
    "Allthough other SSI-games has *.MAP files too, they have other recordlayout, which is not supported.";
const char kMessageCaption[] = "Groundstyles";

QString ToQString(const platform::NativeString& text) { return QString::fromStdString(platform::ToUtf8(text)); }

// A file or folder name as the lists show it: control characters (a name may
// hold a line break) become '?', so that every entry keeps to one line.
QString ShownName(const platform::NativeString& name) {
  QString shown = ToQString(name);
  for (QChar& c : shown) {
    if (c.category() == QChar::Other_Control) c = QLatin1Char('?');
  }
  return shown;
}

platform::NativeString ToNative(const QString& text) { return platform::FromUtf8(text.toStdString()); }

// `folder` + separator + `name`, without doubling a separator already there.
platform::NativeString ChildPath(const platform::NativeString& folder, const platform::NativeString& name) {
  platform::NativeString path = folder;
  if (path.empty() || path.back() != platform::kSeparator) path += platform::kSeparator;
  return path + name;
}

}  // namespace

Form1::Form1(std::unique_ptr<platform::DriveSource> drives, QWidget* parent)
    : QWidget(parent),
      Label3(new QLabel(this)),
      Label1(new QLabel(this)),
      Label2(new QLabel(this)),
      Text1(new QLineEdit(this)),
      Drive1(new QComboBox(this)),
      Dir1(new QTreeWidget(this)),
      File1(new QListWidget(this)),
      Frame1(new QGroupBox(this)),
      Check1{},
      Command1(new QPushButton(this)),
      Command2(new QPushButton(this)),
      driveSource_(std::move(drives)) {
  createControls();
  createCheckBoxes();
  placeControls();
  setTabOrder();
  openWorkingFolder();

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
  connect(Dir1, &QTreeWidget::itemActivated, this, &Form1::Dir1_Open);
  Text1->installEventFilter(this);

  Form1_Load();
}

Form1::~Form1() = default;

void Form1::createControls() {
  // The layout is measured for a small dialog font; the platform's family at
  // 8 points keeps every caption inside its control.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);

  Label1->setText(QStringLiteral(
      "Select the folder where your *.MAP fiels are located and press the \"Check mapfiles\" button. "
      "A report will be saved in the folder you type in the textbox to the right as \"Groundstyles.txt\""));
  Label2->setText(QStringLiteral("Type in the name of the folder you want the report saved in:"));
  for (QLabel* label : {Label1, Label2, Label3}) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  QFont notice(QStringLiteral("MS Sans Serif"));
  notice.setPointSizeF(9.75);
  notice.setWeight(QFont::Bold);
  Label3->setFont(notice);

  Frame1->setTitle(QStringLiteral("Search only for these groundstyles"));
  Command1->setText(QStringLiteral("Check mapfiles"));
  Command2->setText(QStringLiteral("End Program"));

  Dir1->setHeaderHidden(true);
  Dir1->setRootIsDecorated(false);
  Dir1->setItemsExpandable(false);
  Dir1->setIndentation(10);
  // Deep folders scroll sideways instead of being cut short.
  Dir1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  Dir1->header()->setStretchLastSection(false);
  File1->setSelectionMode(QAbstractItemView::SingleSelection);
}

void Form1::createCheckBoxes() {
  const scan::TerrainCatalogue builtIn;
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    Check1[static_cast<std::size_t>(code)] =
        new QCheckBox(QString::fromStdString(builtIn.TerrainName(code)), Frame1);
  }
}

void Form1::placeControls() {
  setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
  Drive1->setGeometry(Twips(120, 1755, 2055, 315));
  Dir1->setGeometry(Twips(120, 2160, 2055, 4365));
  File1->setGeometry(Twips(2280, 1755, 2055, 4770));
  Command1->setGeometry(Twips(240, 6600, 1935, 495));
  Command2->setGeometry(Twips(2280, 6600, 1935, 495));
  Label1->setGeometry(Twips(120, 840, 4095, 975));
  Frame1->setGeometry(Twips(4440, 1800, 3375, 5295));
  for (std::size_t index = 0; index < Check1.size(); ++index) {
    Check1[index]->setGeometry(Twips(240, 360 + 285 * static_cast<int>(index), 2295, 255));
  }
  Text1->setGeometry(Twips(4440, 1320, 3375, 405));
  Label2->setGeometry(Twips(4440, 840, 3375, 495));
  Label3->setGeometry(Twips(120, 0, 7575, 735));
}

void Form1::setTabOrder() {
  std::vector<QWidget*> order = {Drive1, Dir1, File1, Command1, Command2};
  order.insert(order.end(), Check1.begin(), Check1.end());
  order.push_back(Text1);
  for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
  for (QLabel* label : {Label1, Label2, Label3}) label->setFocusPolicy(Qt::NoFocus);
  Drive1->setFocus();
}

// The lists' own start: the working folder and the drive that holds it.
void Form1::openWorkingFolder() {
  drives_ = driveSource_->ListDrives();
  for (const platform::Drive& drive : drives_) Drive1->addItem(QString::fromStdString(platform::DriveDisplayName(drive)));
  std::error_code error;
  platform::NativeString folder = std::filesystem::current_path(error).native();
  if (error) folder = platform::ReportFallbackFolder();
  selectDriveSilently(platform::DriveIndexOf(drives_, folder));
  // A folder that can no longer be listed is shown with no subfolders (and
  // File1 says why it has no maps).
  if (!setDir1Path(folder).ok()) showDir1Folder(folder, {});
}

void Form1::Form1_Load() {
  Label3->setText(QString::fromLatin1(kNotice));
  const std::string version = scan::SignedNumberText(GROUNDSTYLES_VERSION_MAJOR) + "." +
                              scan::SignedNumberText(GROUNDSTYLES_VERSION_MINOR) + "." +
                              scan::SignedNumberText(GROUNDSTYLES_VERSION_PATCH);
  setWindowTitle(QString::fromLatin1(kTitle) + QString::fromStdString(version));
  Text1->setText(ToQString(platform::ReportFallbackFolder()));
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    QCheckBox* box = Check1[static_cast<std::size_t>(code)];
    nameTable_.SetTerrainName(code, box->text().toStdString());
    box->setChecked(true);
  }
}

scan::TerrainSelection Form1::selection() const {
  scan::TerrainSelection selection;
  for (int code = 0; code < scan::kTerrainCodeCount; ++code) {
    selection.SetSelected(code, Check1[static_cast<std::size_t>(code)]->checkState() != Qt::Unchecked);
  }
  return selection;
}

void Form1::Command1_Click() {
  const scan::BusyIndicator busy{[this] { setBusy(true); }, [this] { setBusy(false); }};
  const platform::Status status =
      scan::RunScan(ToNative(Text1->text()), file1Path_, file1Names_, selection(), nameTable_, busy);
  if (!status.ok()) showMessage(QString::fromStdString(status.message()));
}

void Form1::Command2_Click() { close(); }

void Form1::ReportFolderWarning() {
  const std::u16string typed = Text1->text().toStdU16String();
  const QString folder = QString::fromStdU16String(scan::TrimSpaces(typed));
  if (platform::FolderExists(ToNative(folder))) return;
  showMessage(QStringLiteral("The folder: ") + folder + QStringLiteral(" does not exist.\r\n") +
              QStringLiteral("If you continue the report will be placed in '") +
              ToQString(platform::ReportFallbackFolder()) + QStringLiteral("'."));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text1 && event->type() == QEvent::FocusOut) {
    // Only the user moving on to another control counts as leaving the field,
    // not the window losing activation or a pop-up opening.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) ReportFolderWarning();
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::Drive1_Change(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= drives_.size()) return;
  const platform::Drive& drive = drives_[static_cast<std::size_t>(index)];
  // The drive's last folder, or its root when that folder has gone since.
  const auto remembered = driveFolders_.find(drive.root);
  if (remembered != driveFolders_.end() && setDir1Path(remembered->second).ok()) return;
  if (setDir1Path(drive.root).ok()) return;

  if (fallingBack_) {
    // The fall-back drive is not ready either: keep the lists where they were.
    selectDriveSilently(shownDrive_);
    return;
  }
  showMessage(QStringLiteral("Drive not ready."));
  fallingBack_ = true;
  const std::size_t home = platform::DriveIndexOf(drives_, platform::ReportFallbackFolder());
  if (home < drives_.size() && home != static_cast<std::size_t>(index)) {
    Drive1->setCurrentIndex(static_cast<int>(home));  // runs this handling again for the home drive
  } else {
    selectDriveSilently(shownDrive_);
  }
  fallingBack_ = false;
}

void Form1::Dir1_Open(QTreeWidgetItem* item) {
  const auto index = item->data(0, Qt::UserRole).toULongLong();
  if (index >= dir1ItemPaths_.size()) return;
  if (platform::Status status = setDir1Path(dir1ItemPaths_[index]); !status.ok()) {
    showMessage(QString::fromStdString(status.message()));
  }
}

void Form1::Dir1_Change() { setFile1Path(dir1Path_); }

platform::Status Form1::setDir1Path(const platform::NativeString& folder) {
  std::vector<platform::NativeString> subfolders;
  if (platform::Status status = platform::ListSubfolders(folder, &subfolders); !status.ok()) return status;
  showDir1Folder(folder, subfolders);
  return platform::Status::Ok();
}

void Form1::showDir1Folder(const platform::NativeString& folder, const std::vector<platform::NativeString>& subfolders) {
  dir1Path_ = folder;
  const std::size_t drive = platform::DriveIndexOf(drives_, folder);
  if (drive < drives_.size()) {
    shownDrive_ = drive;
    driveFolders_[drives_[drive].root] = folder;
  }
  fillDir1(subfolders);
  Dir1_Change();
}

// The folder tree: the drive's root, each folder down to the current one, and
// the current folder's subfolders.
void Form1::fillDir1(const std::vector<platform::NativeString>& subfolders) {
  Dir1->clear();
  dir1ItemPaths_.clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const auto addItem = [&](QTreeWidgetItem* parent, const platform::NativeString& path, const QString& text,
                           const QIcon& icon) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(Dir1);
    item->setText(0, text);
    item->setIcon(0, icon);
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(dir1ItemPaths_.size()));
    dir1ItemPaths_.push_back(path);
    return item;
  };

  const platform::NativeString root = shownDrive_ < drives_.size() ? drives_[shownDrive_].root
                                                                   : std::filesystem::path(dir1Path_).root_path().native();
  QTreeWidgetItem* current = addItem(nullptr, root, ToQString(root), open);
  platform::NativeString path = root;
  const std::filesystem::path below = std::filesystem::path(dir1Path_).lexically_relative(root);
  for (const auto& part : below) {
    if (part.empty() || part == ".") continue;
    path = ChildPath(path, part.native());
    current->setExpanded(true);
    current = addItem(current, path, ShownName(part.native()), open);
  }
  for (const platform::NativeString& name : subfolders) addItem(current, ChildPath(dir1Path_, name), ShownName(name), closed);
  current->setExpanded(true);
  Dir1->setCurrentItem(current);
  Dir1->scrollToItem(current);
}

void Form1::setFile1Path(const platform::NativeString& folder) {
  file1Path_ = folder;
  File1->clear();
  file1Names_.clear();
  std::vector<platform::NativeString> names;
  if (platform::Status status = platform::ListMapFiles(folder, &names); !status.ok()) {
    showMessage(QString::fromStdString(status.message()));
    return;
  }
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(names.size()));
  for (const platform::NativeString& name : names) shown.push_back(ShownName(name));
  File1->addItems(shown);
  file1Names_ = std::move(names);
}

void Form1::selectDriveSilently(std::size_t index) {
  if (index >= drives_.size()) return;
  const QSignalBlocker blocker(Drive1);
  Drive1->setCurrentIndex(static_cast<int>(index));
}

void Form1::setBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Let the window system show the cursor before the scan holds the thread.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void Form1::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption), text, QMessageBox::Ok, this);
  box.exec();
}
