#include "form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "map_writer.h"

namespace {

namespace fs = std::filesystem;

class FakeDrives : public platform::DriveSource {
 public:
  explicit FakeDrives(std::vector<platform::Drive> drives) : drives_(std::move(drives)) {}
  std::vector<platform::Drive> ListDrives() const override { return drives_; }

 private:
  std::vector<platform::Drive> drives_;
};

// The window with its message boxes recorded instead of shown.
class RecordingForm : public Form1 {
 public:
  using Form1::Form1;
  std::vector<QString> messages;

 protected:
  void showMessage(const QString& text) override { messages.push_back(text); }
};

// A temporary machine: drive "disk" holds the home folder and a folder of
// maps (the working folder); drive "card" holds a map; drives "usb" and
// "cdrom" have no medium.
class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(disk_ / "home");
    fs::create_directories(maps_ / "more");
    fs::create_directories(card_);
    tools::WriteFile(maps_ / "klin.map", tools::MapBytes({9, 1}));
    tools::WriteFile(maps_ / "OWN.MAP", tools::MapBytes({3, 99}));
    tools::WriteFile(maps_ / "more" / "DEEP.MAP", tools::MapBytes({5}));
    tools::WriteFile(card_ / "CARD.MAP", tools::MapBytes({5}));
    old_cwd_ = fs::current_path();
    fs::current_path(maps_);
  }
  void TearDown() override { fs::current_path(old_cwd_); }

  std::unique_ptr<RecordingForm> MakeForm() {
    return std::make_unique<RecordingForm>(std::make_unique<FakeDrives>(std::vector<platform::Drive>{
        {disk_.native(), "DISK"}, {usb_.native(), ""}, {card_.native(), ""}, {cdrom_.native(), ""}}));
  }

  static void LeaveText1(Form1& form, const QString& text, Qt::FocusReason reason = Qt::TabFocusReason) {
    form.Text1->setText(text);
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(form.Text1, &out);
  }

  tools::TempFolder temp_;
  fs::path disk_ = temp_.path() / "disk";
  fs::path maps_ = disk_ / "maps";
  fs::path card_ = temp_.path() / "card";
  fs::path usb_ = temp_.path() / "usb";
  fs::path cdrom_ = temp_.path() / "cdrom";
  std::unique_ptr<tools::ScopedEnvironment> home_ =
      std::make_unique<tools::ScopedEnvironment>("HOME", (disk_ / "home").string());
  fs::path old_cwd_;
};

TEST_F(Form1Test, ControlsStandWhereTheLayoutPutsThemInTabOrder) {
  auto form = MakeForm();
  struct Place {
    QWidget* control;
    int left, top, width, height;  // twips
  };
  std::vector<Place> places = {
      {form->Drive1, 120, 1755, 2055, 315},    {form->Dir1, 120, 2160, 2055, 4365},
      {form->File1, 2280, 1755, 2055, 4770},   {form->Command1, 240, 6600, 1935, 495},
      {form->Command2, 2280, 6600, 1935, 495}, {form->Label1, 120, 840, 4095, 975},
      {form->Frame1, 4440, 1800, 3375, 5295},  {form->Text1, 4440, 1320, 3375, 405},
      {form->Label2, 4440, 840, 3375, 495},    {form->Label3, 120, 0, 7575, 735}};
  for (int code = 0; code < 17; ++code) places.push_back({form->Check1[code], 240, 360 + 285 * code, 2295, 255});
  for (const Place& place : places) {
    EXPECT_EQ(place.control->geometry(), QRect(place.left / 15, place.top / 15, place.width / 15, place.height / 15))
        << place.control->metaObject()->className();
  }
  EXPECT_EQ(form->Check1[16]->parentWidget(), form->Frame1);
  EXPECT_EQ(form->size(), QSize(528, 474));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());

  // Tab order: lists, buttons, check boxes, field, and round again.
  std::vector<QWidget*> expected = {form->Drive1, form->Dir1, form->File1, form->Command1, form->Command2};
  expected.insert(expected.end(), form->Check1.begin(), form->Check1.end());
  expected.push_back(form->Text1);
  expected.push_back(form->Drive1);
  std::vector<QWidget*> chain = {form->Drive1};
  while (chain.size() < expected.size()) {
    QWidget* next = chain.back()->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus) || next->parentWidget() == form->Drive1) next = next->nextInFocusChain();
    chain.push_back(next);
  }
  EXPECT_EQ(chain, expected);
  EXPECT_EQ(form->focusWidget(), form->Drive1);
}

TEST_F(Form1Test, StartUpFillsTextsTicksEveryBoxAndOpensTheWorkingFolder) {
  auto form = MakeForm();
  EXPECT_EQ(form->windowTitle(), "PG2 - Ground Style Checker - version  2. 0. 0");
  EXPECT_EQ(form->Label3->text(),
            "NB: This tool will check for groundstyles in PG2 *.MAP files only.Allthough other SSI-games has *.MAP "
            "files too, they have other recordlayout, which is not supported.");
  EXPECT_TRUE(form->Label3->font().bold());
  EXPECT_EQ(form->Label3->font().pointSizeF(), 9.75);
  EXPECT_EQ(form->Label1->text(),
            "Select the folder where your *.MAP fiels are located and press the \"Check mapfiles\" button. A report "
            "will be saved in the folder you type in the textbox to the right as \"Groundstyles.txt\"");
  EXPECT_EQ(form->Label2->text(), "Type in the name of the folder you want the report saved in:");
  EXPECT_EQ(form->Frame1->title(), "Search only for these groundstyles");
  EXPECT_EQ(form->Command1->text() + "|" + form->Command2->text(), "Check mapfiles|End Program");
  EXPECT_EQ(form->Text1->text().toStdString(), (disk_ / "home").string() + "/");
  EXPECT_EQ(form->selection(), scan::TerrainSelection::All());
  for (int code = 0; code < 17; ++code) {
    EXPECT_EQ(form->nameTable().TerrainName(code), form->Check1[code]->text().toStdString());
  }
  EXPECT_EQ(form->Check1[0]->text(), "Clear ");
  EXPECT_EQ(form->Drive1->currentText().toStdString(), disk_.string() + " [DISK]");
  EXPECT_EQ(form->dir1Path(), maps_.native());
  EXPECT_EQ(form->file1Path(), maps_.native());
  EXPECT_EQ(form->file1Names(), (std::vector<platform::NativeString>{"klin.map", "OWN.MAP"}));
  EXPECT_TRUE(form->messages.empty());
}

TEST_F(Form1Test, LeavingTheFieldWarnsEachTimeTheFolderIsMissing) {
  auto form = MakeForm();
  const QString warning = QString::fromStdString("The folder: /no/such does not exist.\r\nIf you continue the report "
                                                 "will be placed in '" + (disk_ / "home").string() + "/'.");
  LeaveText1(*form, "  /no/such  ");
  LeaveText1(*form, "  /no/such  ", Qt::MouseFocusReason);
  EXPECT_EQ(form->messages, (std::vector<QString>{warning, warning}));
  EXPECT_EQ(form->Text1->text(), "  /no/such  ");

  form->messages.clear();
  LeaveText1(*form, "/no/such", Qt::ActiveWindowFocusReason);  // another window took the focus
  LeaveText1(*form, "/no/such", Qt::PopupFocusReason);
  LeaveText1(*form, QString::fromStdString(card_.string()));
  LeaveText1(*form, QString::fromStdString(" " + card_.string() + "/"), Qt::BacktabFocusReason);
  EXPECT_TRUE(form->messages.empty());

  LeaveText1(*form, "");
  ASSERT_EQ(form->messages.size(), 1u);
  EXPECT_TRUE(form->messages[0].startsWith("The folder:  does not exist.\r\n"));
}

TEST_F(Form1Test, CheckMapfilesWritesTheReportOrShowsWhyNot) {
  auto form = MakeForm();
  form->show();
  form->Check1[9]->setChecked(false);  // Ocean
  form->Text1->setText(QString::fromStdString(card_.string()));
  form->Command1->click();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form->messages.empty());
  const std::string report = tools::ReadFile(card_ / "GroundStyles.txt");
  EXPECT_EQ(report, tools::ReportHeader(maps_.string(), 2) +
                        "* klin.map              : City, \r\n"
                        "  OWN.MAP               : Forest, Unknown Groundstyle found\r\n");

  fs::remove(maps_ / "klin.map");
  form->Command1->click();
  EXPECT_EQ(form->messages, std::vector<QString>{QString::fromStdString(
                                "cannot open \"" + (maps_ / "klin.map").string() + "\": No such file or directory")});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"), report);
}

TEST_F(Form1Test, OpeningAFolderRefreshesTheFileList) {
  auto form = MakeForm();
  QTreeWidgetItem* current = form->Dir1->currentItem();
  ASSERT_EQ(current->text(0), "maps");
  ASSERT_EQ(current->childCount(), 1);
  emit form->Dir1->itemActivated(current->child(0), 0);
  EXPECT_EQ(form->dir1Path(), (maps_ / "more").native());
  EXPECT_EQ(form->file1Path(), (maps_ / "more").native());
  EXPECT_EQ(form->file1Names(), std::vector<platform::NativeString>{"DEEP.MAP"});
  EXPECT_EQ(form->Dir1->currentItem()->text(0), "more");
  EXPECT_EQ(form->Dir1->topLevelItem(0)->text(0).toStdString(), disk_.string());  // the tree starts at the root
}

TEST_F(Form1Test, DrivesRememberTheirFolderAndNotReadyFallsBackHome) {
  auto form = MakeForm();
  form->Drive1->setCurrentIndex(2);  // card
  EXPECT_EQ(form->file1Names(), std::vector<platform::NativeString>{"CARD.MAP"});
  form->Drive1->setCurrentIndex(1);  // usb: no medium
  EXPECT_EQ(form->messages, std::vector<QString>{"Drive not ready."});
  EXPECT_EQ(form->Drive1->currentIndex(), 0);   // the drive that holds home
  EXPECT_EQ(form->dir1Path(), maps_.native());  // at its last folder
  EXPECT_EQ(form->file1Path(), maps_.native());

  // A last folder that has gone since leaves the drive at its root.
  emit form->Dir1->itemActivated(form->Dir1->currentItem()->child(0), 0);  // maps/more
  form->Drive1->setCurrentIndex(2);
  fs::remove_all(maps_ / "more");
  form->Drive1->setCurrentIndex(0);
  EXPECT_EQ(form->dir1Path(), disk_.native());
  EXPECT_EQ(form->messages.size(), 1u);

  form->Drive1->setCurrentIndex(2);
  // Home on the chosen drive, or on another with no medium: one message, and the lists stay together.
  for (const fs::path& home : {usb_ / "home", cdrom_ / "home"}) {
    tools::ScopedEnvironment variable("HOME", home.string());
    form->messages.clear();
    form->Drive1->setCurrentIndex(1);
    EXPECT_EQ(form->messages, std::vector<QString>{"Drive not ready."}) << home;
    EXPECT_EQ(form->Drive1->currentIndex(), 2);
    EXPECT_EQ(form->dir1Path(), card_.native());
    EXPECT_EQ(form->file1Path(), card_.native());
  }
}

TEST_F(Form1Test, OddNamesAreShownOnOneLineAndScannedAsTheyAre) {
  const fs::path odd = temp_.path() / "odd";
  fs::create_directory(odd);
  const std::string latin1 = "\xE9t\xE9.MAP";
  tools::WriteFile(odd / latin1, tools::MapBytes({13}));
  tools::WriteFile(odd / "NEW\nLINE.MAP", tools::MapBytes({13}));
  fs::current_path(odd);
  auto form = MakeForm();
  ASSERT_EQ(form->File1->count(), 2);
  EXPECT_EQ(form->File1->item(0)->text(), "NEW?LINE.MAP");
  EXPECT_EQ(form->File1->item(1)->text(), QString::fromUtf8("\xEF\xBF\xBDt\xEF\xBF\xBD.MAP"));
  form->Text1->setText(QString::fromStdString(card_.string()));
  form->Command1->click();
  EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"), tools::ReportHeader(odd.string(), 2) +
                                                             "  NEW?LINE.MAP          : Stream, \r\n"
                                                             "  " + latin1 + "               : Stream, \r\n");
}

TEST_F(Form1Test, FileListHoldsTensOfThousandsOfMaps) {
  const fs::path big = temp_.path() / "big";
  fs::create_directory(big);
  for (int i = 0; i < 40000; ++i) tools::WriteFile(big / ("M" + std::to_string(100000 + i) + ".MAP"), "");
  fs::current_path(big);
  auto form = MakeForm();
  ASSERT_EQ(form->File1->count(), 40000);
  EXPECT_EQ(form->file1Names().size(), 40000u);
  EXPECT_EQ(form->File1->item(39999)->text(), "M139999.MAP");
}

TEST_F(Form1Test, EndProgramClosesTheWindow) {
  auto form = MakeForm();
  form->show();
  form->Command2->click();
  EXPECT_FALSE(form->isVisible());
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
