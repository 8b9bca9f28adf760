#include "form1_lists.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <utility>

#include "layout.h"

namespace {

// Draws a list's rows as the style does, but for the focus: the style's own
// mark of it is faint or none.
class FocusShowingDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool focused = option.widget != nullptr && option.widget->hasFocus();
    QStyleOptionViewItem row = option;
    row.state &= ~QStyle::State_HasFocus;
    // The colours of a window that is not active: the highlight in grey.
    if (!focused) row.state &= ~QStyle::State_Active;
    QStyledItemDelegate::paint(painter, row, index);
    if (!focused || (option.state & QStyle::State_HasFocus) == 0) return;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setPen(QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
  }
};

}  // namespace

DriveList::DriveList(QWidget* parent, std::function<void()> opening)
    : QComboBox(parent), opening_(std::move(opening)) {}

void DriveList::showPopup() {
  opening_();
  QAbstractItemView* list = view();
  const int scroll_bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + scroll_bar);
  QComboBox::showPopup();
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(10);
  setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
  // Deep folders scroll sideways instead of being cut short.
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  ShowFocusAsSystemListsDo(*this);
}

void FolderTree::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTreeWidget::scrollTo(index, hint);
  if (!index.isValid()) return;
  resizeColumnToContents(0);
  updateGeometries();  // the scroll bars' ranges for the column's new width
  const int left = visualRect(index).left();
  const int shift = window::Dir1ScrollShift(left, left + sizeHintForIndex(index).width(), viewport()->width());
  horizontalScrollBar()->setValue(horizontalScrollBar()->value() + shift);
}

int FileNames::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant FileNames::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const std::string& name = names_[static_cast<std::size_t>(index.row())];
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

Qt::ItemFlags FileNames::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void FileNames::Show(std::vector<std::string> names) {
  beginResetModel();
  names_ = std::move(names);
  endResetModel();
}

void FileNames::Insert(std::size_t row, const std::string& name) {
  const int at = static_cast<int>(row);
  beginInsertRows(QModelIndex(), at, at);
  names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(row), name);
  endInsertRows();
}

void FileNames::Remove(std::size_t row) {
  const int at = static_cast<int>(row);
  beginRemoveRows(QModelIndex(), at, at);
  names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(row));
  endRemoveRows();
}

FileList::FileList(QWidget* parent) : QListView(parent) {
  // Every row as high as the first: the view lays out 100,000 rows without measuring each.
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setModel(&names_);
  ShowFocusAsSystemListsDo(*this);
}

void ShowFocusAsSystemListsDo(QAbstractItemView& list) {
  list.setItemDelegate(new FocusShowingDelegate(&list));
  QPalette palette = list.palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Midlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
  list.setPalette(palette);
}
