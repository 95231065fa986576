// The window on each screen the system has: the whole window and every
// control lie on the screen's work area, each control is what the screen
// shows at its middle, every caption fits its widget and no picture is
// enlarged. CTest runs it on the offscreen platform with the screens of
// screens.json, small panels scaled by 125 % to 200 %; on Windows it also
// runs on a real 1280 × 800 screen at 144 DPI under Wine.

#include "support/testsupport.h"
#include "ui/fonts.h"
#include "ui/scaling.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

// The screen as the system describes it, in its own pixels: "1280x800 at
// 144 dpi".
QString described(const QScreen *screen)
{
    const qreal factor = screen->devicePixelRatio();
    const QSize size = screen->geometry().size() * factor;
    return u"%1x%2 at %3 dpi"_s.arg(size.width())
        .arg(size.height())
        .arg(qRound(screen->logicalDotsPerInch() * factor));
}

// "616x639 at (20, 30)".
QString geometryText(const QRect &rect)
{
    return u"%1x%2 at (%3, %4)"_s.arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

QRect onScreen(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

// The form's own widgets, without the parts Qt builds inside them.
QList<QWidget *> formWidgets(MainWindow &w)
{
    QList<QWidget *> found;
    for (QWidget *child : w.findChildren<QWidget *>())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(u"qt_"_s))
            found << child;
    return found;
}

bool isControl(QWidget *widget)
{
    return qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractSlider *>(widget)
           || qobject_cast<QLineEdit *>(widget);
}

// Shows the page of stackedWidget that holds the widget.
void showPageOf(MainWindow &w, QWidget *widget)
{
    auto *pages = testing::widget<QStackedWidget>(w, "stackedWidget");
    for (QWidget *page = widget; page; page = page->parentWidget())
        if (page->parentWidget() == pages)
            pages->setCurrentWidget(page);
}

QString caption(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString();
}

} // namespace

class ScreensTest : public WindowTest
{
    Q_OBJECT

public:
    // Run by QTEST_MAIN before the application object, as the program's entry
    // does.
    static void initMain() { gui::useWholeScaleFactors(); }

private slots:
    void initTestCase();
    void windowFits_data();
    void windowFits();
};

// The captions are measured in the fonts the program draws them with.
void ScreensTest::initTestCase()
{
#ifdef SHIPPED_FONTS
    QVERIFY(!gui::registerFontsIn(QStringLiteral(SHIPPED_FONTS)).isEmpty());
#endif
    gui::substituteMissingFonts();
}

void ScreensTest::windowFits_data()
{
    QTest::addColumn<int>("screen");
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i)
        QTest::newRow(qPrintable(described(screens[i]))) << i;
}

void ScreensTest::windowFits()
{
    QFETCH(int, screen);
    QScreen *target = QGuiApplication::screens().at(screen);
    const QRect workArea = target->availableGeometry();
    // An active device: the device page with its one delete button, as the
    // operator finds it.
    QVERIFY(seedDevice(home(), SampleSerial, 1));
    MainWindow &w = window();
    // The system places the window on the first screen; on the others it is
    // put in the work area's corner.
    if (w.screen() != target)
        w.move(workArea.topLeft());
    QTRY_COMPARE(w.screen(), target);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    qInfo("%s: window %dx%d at factor %g, %s with its frame, in the work area %s",
          qPrintable(described(target)), w.width(), w.height(), w.devicePixelRatio(),
          qPrintable(geometryText(w.frameGeometry())), qPrintable(geometryText(workArea)));
    QVERIFY2(workArea.contains(w.frameGeometry()), "the window reaches beyond the work area");

    for (QWidget *widget : formWidgets(w)) {
        const QByteArray name = widget->objectName().toUtf8();
        const QSize needed = widget->fontMetrics().size(0, caption(widget));
        QVERIFY2(needed.width() <= widget->width() && needed.height() <= widget->height(),
                 name.constData());
        if (!isControl(widget))
            continue;
        showPageOf(w, widget);
        QVERIFY2(workArea.contains(onScreen(widget)), name.constData());
        if (widget->isVisible())
            QVERIFY2(QApplication::widgetAt(onScreen(widget).center()) == widget, name.constData());
    }
    for (const char *name : {"labelbot", "labelsoundicon"})
        QVERIFY2(widget<QLabel>(w, name)->pixmap().devicePixelRatio() >= w.devicePixelRatio(),
                 name);
}

QTEST_MAIN(ScreensTest)
#include "tst_screens.moc"
