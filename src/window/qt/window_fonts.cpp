#include "window_fonts.h"

#include <QStringList>

#include "layout.h"

namespace {

// Sans serif families whose glyphs and lines fit the layout at the sizes
// below: the first of them the system has is taken.
QStringList Families() { return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}; }

// `points` at the layout's 96 dots per inch, in whole pixels, as the Windows
// view rounds them.
int Pixels(double points) { return static_cast<int>(points * 96 / 72 + 0.5); }

}  // namespace

QFont WindowFont() {
  QFont font;
  font.setFamilies(Families());
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(Pixels(8));
  return font;
}

QFont NoticeFont() {
  QFont font = WindowFont();
  const QString notice = QString::fromLatin1(window::kNoticeFontFamily.data(),
                                             static_cast<qsizetype>(window::kNoticeFontFamily.size()));
  font.setFamilies(QStringList{notice} + Families());
  font.setPixelSize(Pixels(window::kNoticeFontPoints));
  font.setWeight(static_cast<QFont::Weight>(window::kNoticeFontWeight));
  return font;
}
