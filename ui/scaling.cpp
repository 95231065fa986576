#include "ui/scaling.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

namespace gui {

void useWholeScaleFactors()
{
    // Every widget of the form sits at fixed pixels in a 600 × 600 window. At a
    // fractional factor Qt would draw it 1.25 or 1.5 times as large, taller
    // than the 768 or 800 pixels of a small panel, so that the bottom buttons
    // lie under the taskbar or off the screen, and lines and pictures that fall
    // between pixels blur. Rounded down the window is never larger than the
    // screen's own factor makes it; rounded to the nearest, 150 % and 175 %
    // would both become 200 %.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Floor);
}

void sizeTextForFixedForm(QWidget *window)
{
    // Where the factor was rounded down Qt still turns points into pixels at
    // the screen's own DPI (144 at 150 %), so a 12-point caption would grow by
    // half while its button keeps its size. These two properties give a
    // widget a DPI of its own, as Qt Designer's device profiles do; at a whole
    // factor of 2 or more the text is then enlarged with everything else, by
    // the factor. Every widget gets them: a page built without a parent and
    // added to its stack afterwards keeps the fonts it was first given.
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        widget->setProperty("_q_customDpiX", 96);
        widget->setProperty("_q_customDpiY", 96);
    }
}

QPixmap loadPicture(const QString &path)
{
    // Chosen for the screen with the highest factor, as QIcon chooses its
    // own "@2x" files; the reader marks a picture of that name as twice as
    // dense.
    if (qGuiApp->devicePixelRatio() >= 2) {
        const QFileInfo file(path);
        const QString twice = file.path() + QLatin1Char('/') + file.completeBaseName()
                              + QLatin1String("@2x.") + file.suffix();
        if (QFile::exists(twice))
            return QPixmap(twice);
    }
    return QPixmap(path);
}

} // namespace gui
