#pragma once

#include <QString>

class QPixmap;
class QWidget;

namespace gui {

// Scales the window by whole factors only, rounded down: 1 below 200 %, 2
// from 200 % to below 300 %, and so on. Must run before the application
// object is created.
void useWholeScaleFactors();

// Sizes the text of the window and of every widget in it for 96 DPI,
// whatever the screen reports, as the form's fixed geometry is drawn for.
// Must run once the widgets are built.
void sizeTextForFixedForm(QWidget *window);

// The picture at that resource path, or its 2× render beside it
// ("name@2x.png") where a screen's factor is 2 or more, so that it is drawn
// there one pixel for one pixel rather than enlarged.
QPixmap loadPicture(const QString &path);

} // namespace gui
