// Form1 drawn with Qt Widgets: the controls of the layout table, what Form1
// asks shown, and each of the user's events passed on to Form1Events.
#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <thread>
#include <vector>

#include "folder_change_watch.h"
#include "form1_events.h"
#include "form1_view.h"

class QCheckBox;
class FileList;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class QtWindow : public QWidget, public window::Form1View {
  Q_OBJECT

 public:
  // Makes the controls, hidden and empty until Load, which comes before the event loop runs.
  explicit QtWindow(QWidget* parent = nullptr);
  ~QtWindow() override;

  // From now on passes the user's events on to `events`, starting with Form1_Load.
  void Load(window::Form1Events& events);

  // Form1View.
  void SetTitle(const std::string& text) override;
  void SetText(window::Control control, const std::string& text) override;
  std::string Text1Text() const override;
  std::string CheckCaption(int code) const override;
  bool IsChecked(int code) const override;
  void SetChecked(int code, bool checked) override;
  void ShowDrives(const std::vector<std::string>& names, std::size_t selected) override;
  void SelectDrive(std::size_t index) override;
  void ShowFolders(const std::vector<window::FolderRow>& rows, std::size_t current) override;
  void SelectFolder(std::size_t row) override;
  void ShowFiles(std::vector<std::string> names) override;
  void InsertFile(std::size_t row, const std::string& name) override;
  void RemoveFile(std::size_t row) override;
  void WatchFolder(const platform::NativeString& folder) override;
  void ShowMessage(const std::string& text) override;
  void RunBusy(const std::function<void()>& work, const std::function<void()>& tick) override;
  void ShowProgress(window::Progress state, double fraction) override;
  void Close() override;

  // The session is ending (the session manager asks the program to save):
  // a scan is stopped, and has ended, when this returns.
  void EndSession();

  // The controls, under the names the program has always given them.
  QComboBox* Drive1 = nullptr;
  QTreeWidget* Dir1 = nullptr;
  FileList* File1 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QLabel* Label1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  std::array<QCheckBox*, scan::kTerrainCodeCount> Check1{};
  QLineEdit* Text1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  // The control of a layout row, made with its text; not yet placed.
  QWidget* MakeControl(const window::ControlLayout& layout);
  void ConnectEvents();
  // Passes on Drive1_Refresh whenever a volume is mounted or unmounted.
  void WatchMounts();
  // Passes on a request of the session's end to close the window.
  void FollowSession();
  // Whether `event`, given to `watched`, clicks "End Program" or moves on the
  // way to a click, which goes on while the window is busy.
  bool ClicksCommand2(QObject* watched, QEvent* event) const;
  // Waits for the work RunBusy runs to end.
  void WaitForWork();
  // Takes a drag of files or folders over the window, as a copy, and passes
  // on the first of them once it is dropped.
  void TakeDrag(QDropEvent* event);

  window::Form1Events* events_ = nullptr;
  std::vector<QTreeWidgetItem*> dir1_rows_;
  FolderChangeWatch folder_watch_{[this](platform::FolderChanges changes) { events_->FolderChanged(changes); }};
  std::unique_ptr<QSocketNotifier> mounts_;  // the system's mount table changed
  int mount_table_ = -1;
  bool drop_input_ = false;
  std::thread work_;  // what RunBusy runs, until it has been waited for
};
