#include "form1.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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
    if (const char* home = std::getenv("HOME")) old_home_ = home;
    SetHome(disk_ / "home");
  }
  void TearDown() override {
    fs::current_path(old_cwd_);
    if (old_home_) setenv("HOME", old_home_->c_str(), 1);
  }
  void SetHome(const fs::path& home) { setenv("HOME", home.c_str(), 1); }

  std::unique_ptr<RecordingForm> MakeForm() {
    return std::make_unique<RecordingForm>(std::make_unique<FakeDrives>(std::vector<platform::Drive>{
        {disk_.native(), "DISK"}, {usb_.native(), ""}, {card_.native(), ""}, {cdrom_.native(), ""}}));
  }

  static void LeaveText1(Form1& form, Qt::FocusReason reason) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(form.Text1, &out);
  }

  tools::TempFolder temp_;
  fs::path disk_ = temp_.path() / "disk";
  fs::path maps_ = disk_ / "maps";
  fs::path card_ = temp_.path() / "card";
  fs::path usb_ = temp_.path() / "usb";
  fs::path cdrom_ = temp_.path() / "cdrom";
  fs::path old_cwd_;
  std::optional<std::string> old_home_;
};

TEST_F(Form1Test, ControlsStandWhereTheLayoutPutsThem) {
  auto form = MakeForm();
  struct Place {
    QWidget* control;
    int left, top, width, height;  // twips
  };
  const std::vector<Place> places = {
      {form->Drive1, 120, 1755, 2055, 315},   {form->Dir1, 120, 2160, 2055, 4365},
      {form->File1, 2280, 1755, 2055, 4770},  {form->Command1, 240, 6600, 1935, 495},
      {form->Command2, 2280, 6600, 1935, 495}, {form->Label1, 120, 840, 4095, 975},
      {form->Frame1, 4440, 1800, 3375, 5295}, {form->Text1, 4440, 1320, 3375, 405},
      {form->Label2, 4440, 840, 3375, 495},   {form->Label3, 120, 0, 7575, 735},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(place.control->metaObject()->className());
    EXPECT_EQ(place.control->geometry(), QRect(place.left / 15, place.top / 15, place.width / 15, place.height / 15));
    EXPECT_EQ(place.control->parentWidget(), form.get());
  }
  const char* const captions[] = {"Clear ", "City",          "Airfield", "Forest", "Bocage",     "Hill",
                                  "Mountain", "Sand",        "Swamp",    "Ocean",  "River",      "Fortification",
                                  "Port",   "Stream",        "Escarpment", "Impassable River", "Rough"};
  for (int code = 0; code < 17; ++code) {
    QCheckBox* box = form->Check1[static_cast<std::size_t>(code)];
    EXPECT_EQ(box->parentWidget(), form->Frame1);
    EXPECT_EQ(box->geometry(), QRect(16, (360 + 285 * code) / 15, 153, 17));
    EXPECT_EQ(box->text(), captions[code]);
  }
  EXPECT_EQ(form->size(), QSize(528, 474));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->Command1->text(), "Check mapfiles");
  EXPECT_EQ(form->Command2->text(), "End Program");
  EXPECT_EQ(form->Frame1->title(), "Search only for these groundstyles");
  EXPECT_EQ(form->Label2->text(), "Type in the name of the folder you want the report saved in:");
  EXPECT_EQ(form->Label1->text(),
            "Select the folder where your *.MAP fiels are located and press the \"Check mapfiles\" button. A report "
            "will be saved in the folder you type in the textbox to the right as \"Groundstyles.txt\"");
  EXPECT_TRUE(form->Label3->font().bold());
  EXPECT_EQ(form->Label3->font().pointSizeF(), 9.75);
}

TEST_F(Form1Test, TabOrderRunsListsButtonsBoxesThenField) {
  auto form = MakeForm();
  std::vector<QWidget*> expected = {form->Drive1, form->Dir1, form->File1, form->Command1, form->Command2};
  expected.insert(expected.end(), form->Check1.begin(), form->Check1.end());
  expected.push_back(form->Text1);
  std::vector<QWidget*> chain;
  QWidget* widget = form->Drive1;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    chain.push_back(widget);
    do {
      widget = widget->nextInFocusChain();
    } while (!(widget->focusPolicy() & Qt::TabFocus) || widget->parentWidget() == form->Drive1);
  }
  EXPECT_EQ(chain, expected);
  EXPECT_EQ(widget, form->Drive1);  // and round again
  EXPECT_EQ(form->focusWidget(), form->Drive1);
}

TEST_F(Form1Test, StartUpFillsTitleNoticeFieldAndTicksEveryBox) {
  auto form = MakeForm();
  EXPECT_EQ(form->windowTitle(), "PG2 - Ground Style Checker - version  2. 0. 0");
  EXPECT_EQ(form->Label3->text(),
            "NB: This tool will check for groundstyles in PG2 *.MAP files only.Allthough other SSI-games has *.MAP "
            "files too, they have other recordlayout, which is not supported.");
  EXPECT_EQ(form->Text1->text().toStdString(), (disk_ / "home").string() + "/");
  EXPECT_EQ(form->selection(), scan::TerrainSelection::All());
  for (int code = 0; code < 17; ++code) {
    EXPECT_EQ(form->nameTable().TerrainName(code), scan::TerrainCatalogue().TerrainName(code));
  }
  // The lists open on the working folder and its drive.
  EXPECT_EQ(form->Drive1->currentText().toStdString(), disk_.string() + " [DISK]");
  EXPECT_EQ(form->dir1Path(), maps_.native());
  EXPECT_EQ(form->file1Path(), maps_.native());
  EXPECT_EQ(form->file1Names(), (std::vector<platform::NativeString>{"klin.map", "OWN.MAP"}));
  EXPECT_EQ(form->File1->count(), 2);
  EXPECT_TRUE(form->messages.empty());
}

TEST_F(Form1Test, LeavingTheFieldWarnsOnlyAboutAMissingFolder) {
  auto form = MakeForm();
  form->Text1->setText("  /no/such/place  ");
  LeaveText1(*form, Qt::TabFocusReason);
  LeaveText1(*form, Qt::MouseFocusReason);
  const QString warning = QString::fromStdString("The folder: /no/such/place does not exist.\r\nIf you continue the "
                                                 "report will be placed in '" + (disk_ / "home").string() + "/'.");
  EXPECT_EQ(form->messages, (std::vector<QString>{warning, warning}));
  EXPECT_EQ(form->Text1->text(), "  /no/such/place  ");

  form->messages.clear();
  LeaveText1(*form, Qt::ActiveWindowFocusReason);  // another window took the focus
  LeaveText1(*form, Qt::PopupFocusReason);
  form->Text1->setText(QString::fromStdString(card_.string()));
  LeaveText1(*form, Qt::TabFocusReason);
  form->Text1->setText(QString::fromStdString(" " + card_.string() + "/"));
  LeaveText1(*form, Qt::BacktabFocusReason);
  EXPECT_TRUE(form->messages.empty());

  form->Text1->clear();
  LeaveText1(*form, Qt::TabFocusReason);
  ASSERT_EQ(form->messages.size(), 1u);
  EXPECT_TRUE(form->messages[0].startsWith("The folder:  does not exist.\r\n"));
}

TEST_F(Form1Test, CheckMapfilesWritesTheReportForTheListedFolder) {
  auto form = MakeForm();
  form->Check1[9]->setChecked(false);  // Ocean
  form->Text1->setText(QString::fromStdString(card_.string()));
  form->Command1->click();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form->messages.empty());
  EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"),
            "Number of *.MAP files in " + maps_.string() +
                " :  2\r\n\r\nAn '*' in front of a Mapname indicate that the map is a SSI-map.\r\n"
                "Only maps that contain groundstyles you search for, are listed.\r\n\r\n"
                "Mapname                 : Groundstyles found on map\r\n"
                "===================================================\r\n\r\n"
                "* klin.map              : City, \r\n"
                "  OWN.MAP               : Forest, Unknown Groundstyle found\r\n");
}

TEST_F(Form1Test, FailedScanIsShownAndTheWindowCarriesOn) {
  auto form = MakeForm();
  form->show();
  tools::WriteFile(card_ / "GroundStyles.txt", "earlier report");
  form->Text1->setText(QString::fromStdString(card_.string()));
  fs::remove(maps_ / "klin.map");
  form->Command1->click();
  ASSERT_EQ(form->messages.size(), 1u);
  EXPECT_EQ(form->messages[0].toStdString(), "cannot open \"" + (maps_ / "klin.map").string() + "\": No such file or directory");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(tools::ReadFile(card_ / "GroundStyles.txt"), "earlier report");
}

TEST_F(Form1Test, OpeningAFolderRefreshesTheFileList) {
  auto form = MakeForm();
  QTreeWidgetItem* current = form->Dir1->currentItem();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->text(0), "maps");
  ASSERT_EQ(current->childCount(), 1);
  emit form->Dir1->itemActivated(current->child(0), 0);
  EXPECT_EQ(form->dir1Path(), (maps_ / "more").native());
  EXPECT_EQ(form->file1Path(), (maps_ / "more").native());
  EXPECT_EQ(form->file1Names(), std::vector<platform::NativeString>{"DEEP.MAP"});
  EXPECT_EQ(form->Dir1->currentItem()->text(0), "more");
  // The tree runs from the drive's root down to the open folder.
  EXPECT_EQ(form->Dir1->topLevelItem(0)->text(0).toStdString(), disk_.string());
}

TEST_F(Form1Test, DrivesRememberTheirFolderAndNotReadyFallsBackHome) {
  auto form = MakeForm();
  form->Drive1->setCurrentIndex(2);  // card
  EXPECT_EQ(form->dir1Path(), card_.native());
  EXPECT_EQ(form->file1Names(), std::vector<platform::NativeString>{"CARD.MAP"});

  form->Drive1->setCurrentIndex(1);  // usb: no medium
  EXPECT_EQ(form->messages, std::vector<QString>{"Drive not ready."});
  EXPECT_EQ(form->Drive1->currentIndex(), 0);  // the drive that holds home
  EXPECT_EQ(form->dir1Path(), maps_.native());  // its last folder
  EXPECT_EQ(form->file1Path(), maps_.native());
}

TEST_F(Form1Test, WhenHomeIsNotReadyEitherTheMessageComesOnce) {
  auto form = MakeForm();
  form->Drive1->setCurrentIndex(2);  // card
  for (const fs::path& home : {usb_ / "home", cdrom_ / "home"}) {
    SCOPED_TRACE(home.string());
    SetHome(home);  // home lies on the chosen drive, or on another with no medium
    form->messages.clear();
    form->Drive1->setCurrentIndex(1);
    EXPECT_EQ(form->messages, std::vector<QString>{"Drive not ready."});
    EXPECT_EQ(form->Drive1->currentIndex(), 2);  // the lists still agree
    EXPECT_EQ(form->dir1Path(), card_.native());
    EXPECT_EQ(form->file1Path(), card_.native());
  }
}

TEST_F(Form1Test, NamesThatAreNotUtf8AreShownDecodedAndScannedAsTheyAre) {
  const fs::path odd = temp_.path() / "odd";
  fs::create_directory(odd);
  const std::string latin1 = "\xE9t\xE9.MAP";
  tools::WriteFile(odd / latin1, tools::MapBytes({13}));
  tools::WriteFile(odd / "NEW\nLINE.MAP", tools::MapBytes({13}));
  fs::current_path(odd);
  auto form = MakeForm();
  ASSERT_EQ(form->File1->count(), 2);
  EXPECT_EQ(form->File1->item(0)->text(), "NEW?LINE.MAP");  // one line in the list too
  EXPECT_EQ(form->File1->item(1)->text(), QString::fromUtf8("\xEF\xBF\xBDt\xEF\xBF\xBD.MAP"));
  form->Text1->setText(QString::fromStdString(card_.string()));
  form->Command1->click();
  EXPECT_TRUE(form->messages.empty());
  const std::string report = tools::ReadFile(card_ / "GroundStyles.txt");
  EXPECT_NE(report.find("\r\n  " + latin1 + "               : Stream, \r\n"), std::string::npos);
  EXPECT_NE(report.find("\r\n  NEW?LINE.MAP          : Stream, \r\n"), std::string::npos);
}

TEST_F(Form1Test, FileListHoldsTensOfThousandsOfMaps) {
  const fs::path big = temp_.path() / "big";
  fs::create_directory(big);
  for (int i = 0; i < 40000; ++i) tools::WriteFile(big / ("M" + std::to_string(100000 + i) + ".MAP"), "");
  fs::current_path(big);
  auto form = MakeForm();
  ASSERT_EQ(form->File1->count(), 40000);
  ASSERT_EQ(form->file1Names().size(), 40000u);
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
