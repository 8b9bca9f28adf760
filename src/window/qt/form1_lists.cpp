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

void ShowFocusAsSystemListsDo(QAbstractItemView& list) {
  list.setItemDelegate(new FocusShowingDelegate(&list));
  QPalette palette = list.palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Midlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
  list.setPalette(palette);
}
