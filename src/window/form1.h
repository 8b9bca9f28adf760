// The program's one window: the drive, folder and file lists that choose the
// maps, the terrain check boxes, the report-folder field and the two buttons.
#pragma once

#include <QWidget>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/drives.h"
#include "platform/platform.h"
#include "scan/terrain.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `drives` lists the drives Drive1 offers; the lists open on the working folder.
  explicit Form1(std::unique_ptr<platform::DriveSource> drives = platform::SystemDrives(),
                 QWidget* parent = nullptr);
  ~Form1() override;

  // The folder Dir1 shows and the folder File1 lists.
  const platform::NativeString& dir1Path() const { return dir1Path_; }
  const platform::NativeString& file1Path() const { return file1Path_; }
  // File1's entries as the file system names them, in list order.
  const std::vector<platform::NativeString>& file1Names() const { return file1Names_; }
  // The terrain names copied from the check boxes at start-up.
  const scan::TerrainCatalogue& nameTable() const { return nameTable_; }
  // Which terrain types are ticked now.
  scan::TerrainSelection selection() const;

  // The controls, under the names the program has always given them.
  QLabel* const Label3;
  QLabel* const Label1;
  QLabel* const Label2;
  QLineEdit* const Text1;
  QComboBox* const Drive1;
  QTreeWidget* const Dir1;
  QListWidget* const File1;
  QGroupBox* const Frame1;
  std::array<QCheckBox*, scan::kTerrainCodeCount> Check1;
  QPushButton* const Command1;
  QPushButton* const Command2;

 protected:
  // Shows a modal message with an OK button, no icon and the program's name as caption.
  virtual void showMessage(const QString& text);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void createCheckBoxes();
  void placeControls();
  void setTabOrder();
  void openWorkingFolder();

  // Event handlers, one per wired event.
  void Form1_Load();
  void Command1_Click();
  void Command2_Click();
  void ReportFolderWarning();
  void Drive1_Change(int index);
  void Dir1_Change();
  void Dir1_Open(QTreeWidgetItem* item);

  // Moves Dir1 to `folder`, fails when the folder cannot be listed.
  platform::Status setDir1Path(const platform::NativeString& folder);
  // Makes `folder` Dir1's path, showing `subfolders` under it, and lets File1 follow.
  void showDir1Folder(const platform::NativeString& folder, const std::vector<platform::NativeString>& subfolders);
  void fillDir1(const std::vector<platform::NativeString>& subfolders);
  void setFile1Path(const platform::NativeString& folder);
  void selectDriveSilently(std::size_t index);
  void setBusy(bool busy);

  std::unique_ptr<platform::DriveSource> driveSource_;
  std::vector<platform::Drive> drives_;
  std::map<platform::NativeString, platform::NativeString> driveFolders_;  // drive root -> last folder opened
  std::size_t shownDrive_ = 0;     // the drive Dir1 and File1 are on
  bool fallingBack_ = false;       // handling the fall-back to the home drive
  platform::NativeString dir1Path_;
  std::vector<platform::NativeString> dir1ItemPaths_;  // indexed by each Dir1 item's data
  platform::NativeString file1Path_;
  std::vector<platform::NativeString> file1Names_;
  scan::TerrainCatalogue nameTable_;
};
