#pragma once

#include <QIcon>
#include <QString>

class QCheckBox;
class QFormLayout;
class QLayout;
class QImage;
class QPainter;
class QSize;
class QWidget;

namespace velmora {

class TVelmoraSpinEdit;

// Builds one element page: a scroll box with a grey header strip, then labelled rows.
// Returns the form the page's rows go into.
QFormLayout *BuildPropertyPage(QWidget *page, const QIcon &icon, const QString &caption);

// The "Fixed Height" check box with its value beside it, across the whole page.
QLayout *FixedHeightRow(QWidget *toggle, QWidget *value);

// A check box whose caption wraps onto a second line when the page is too narrow for it;
// clicking the caption clicks the box.
QWidget *WrappingCheckBox(QCheckBox *box, const QString &caption);

// An integer spin edit limited to min..max.
TVelmoraSpinEdit *MakeSpinEdit(QWidget *parent, const char *name, int min, int max);

// The "Top Offset" row every element page has, with one range for all of them.
TVelmoraSpinEdit *TopOffsetRow(QWidget *page, QFormLayout &form, const char *name);

// Paints a thumbnail surface: cleared, then image (if any) fitted and centred, fast and coarse.
void PaintThumbnail(QPainter &canvas, const QSize &size, const QImage *image);

} // namespace velmora
