// The window's fonts, chosen for the layout table rather than taken from the
// desktop or the locale (whose default font may have taller lines than the
// controls allow), and sized in the layout's pixels, which Qt scales with the
// screen as it scales the controls. Glyphs a family lacks come from the
// system's fallback fonts.
#pragma once

#include <QFont>

// The font of every control but Label3: 8 points at the layout's 96 dots per inch.
QFont WindowFont();
// Label3's: the layout table's notice font, with the same families behind it.
QFont NoticeFont();
