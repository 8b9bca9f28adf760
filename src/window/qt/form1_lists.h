// Drive1, Dir1 and File1 as Qt Widgets: the drive list that tells before it
// opens, the folder tree that brings a deep folder into view whole, the file
// list that holds any number of names, and the focus shown on the two lists
// as the system's own lists show it.
#pragma once

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

// Drive1: `opening` runs before the list opens, so that its drives can be
// listed again; it opens as wide as its longest entry.
class DriveList : public QComboBox {
 public:
  DriveList(QWidget* parent, std::function<void()> opening);
  void showPopup() override;

 private:
  std::function<void()> opening_;
};

// Dir1: every folder on the way down open, with no expand arrows. The view
// scrolls a row's column into view, and its one column starts at the left
// edge: a deep folder would stay past the right edge. Sideways it scrolls as
// Dir1ScrollShift says.
class FolderTree : public QTreeWidget {
 public:
  explicit FolderTree(QWidget* parent);
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

// File1's names, held once as UTF-8 and made text only for the rows the view
// asks for, so that a folder of 100,000 maps costs no item each.
class FileNames : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void Show(std::vector<std::string> names);
  void Insert(std::size_t row, const std::string& name);
  void Remove(std::size_t row);

 private:
  std::vector<std::string> names_;
};

// File1: one row of one height a name, in the order given.
class FileList : public QListView {
 public:
  explicit FileList(QWidget* parent);
  FileNames& names() { return names_; }

 private:
  FileNames names_;
};

// From now on `list` shows whether it has the focus: with it, its highlighted
// row in the highlight colour and a dotted frame round its current row;
// without it, its highlighted row in a grey.
void ShowFocusAsSystemListsDo(QAbstractItemView& list);
