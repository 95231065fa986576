// The window's widget tree, texts, meta-object, by-name wiring and pictures,
// checked on the window as the program builds it.

#include "support/testsupport.h"
// Generated for this test from the same form file as the program's.
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResource>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

// QObject::receivers is protected; a pointer to it taken through a derived
// class may be applied to any QObject.
struct ReceiverCount : QObject
{
    using QObject::receivers;
};

int receiverCount(QObject *object, const char *signal)
{
    return (object->*(&ReceiverCount::receivers))(signal);
}

// The one widget of that name below w; null when there is none or more.
QWidget *uniqueWidget(QWidget *w, const QString &name)
{
    const QList<QWidget *> found = w->findChildren<QWidget *>(name);
    return found.size() == 1 ? found.first() : nullptr;
}

// Named children of a widget in the order Qt keeps them: creation order, with
// every raise() moving a widget to the end (the top of the stack).
QStringList namedChildren(QWidget *parent)
{
    QStringList names;
    for (QObject *child : parent->children())
        if (child->isWidgetType() && !child->objectName().isEmpty()
            && !child->objectName().startsWith(QLatin1String("qt_")))
            names << child->objectName();
    return names;
}

const QString WindowGradient = QStringLiteral(
    "background-color: qlineargradient(spread:pad, x1:0.165, y1:0, x2:0.46, y2:1, stop:0 rgba(7, "
    "117, 255, 255), stop:1 rgba(23, 195, 255, 255));");
const QString ClearFill = QStringLiteral(
    "qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, stop:0 rgba(34, 207, 255, 0), "
    "stop:0.977273 rgba(14, 215, 255, 0), stop:1 rgba(255, 255, 255, 0));");
const QString Clear = u"background-color: "_s + ClearFill + u"\nborder: 0px;"_s;
const QString ClearNoBorderLine = u"\nbackground-color: "_s + ClearFill;
QString glassPanel(int radius)
{
    return QStringLiteral("background-color: rgba(255, 255, 255, 40); \nborder: 1px solid "
                          "rgba(255, 255, 255, 80);\ncolor: white;\nborder-radius: %1px; "
                          "\npadding: 8px 16px;")
        .arg(radius);
}
const QString ToastInner =
    u"border: 1px solid rgb(236, 236, 236);\nbackground-color: "_s + ClearFill;
const QString Transparent = QStringLiteral("background-color: transparent;\nborder: 0px;");
const QString MediaCheckBox = QStringLiteral(
    "QCheckBox {\n    background-color: rgb(83, 187, 243);\n    border: 2px solid rgb(73, 195, "
    "247);\n    border-radius: 8px;\n    padding: 6px 10px;\n    color: white;\n    font-size: "
    "14px;\n}\n\nQCheckBox::indicator {\n    width: 18px;\n    height: 18px;\n    border: 2px "
    "solid #aaa;\n    border-radius: 4px;\n    background: #fff;\n}\n\n"
    "QCheckBox::indicator:checked {\n    background-color: #1abc9c;\n    border-color: "
    "#16a085;\n}\n\n");
const QString PathLabel = QStringLiteral(
    "    background-color: rgb(83, 187, 243);\n    border: 2px solid rgb(73, 195, 247);\n    "
    "border-radius: 8px;\n    padding: 6px 10px;\n    color: white;\n    font-size: 14px;");
const QString ModelRadio = QStringLiteral(
    "QRadioButton {\n    color: #FFF;\n    font-size: 15px;\n    spacing: 8px;\n}\n\n"
    "QRadioButton::indicator {\n    width: 18px;\n    height: 18px;\n    border: 2px solid "
    "#BDBDBD;\n    border-radius: 9px;\n    background: white;\n}\n\n"
    "QRadioButton::indicator:hover {\n    border: 2px solid #9c10f3;\n}\n\n"
    "QRadioButton::indicator:checked {\n    border: 2px solid #f30d5e;\n    background: "
    "white;\n}\n\nQRadioButton::indicator:checked:disabled {\n    border: 2px solid "
    "#B0B0B0;\n}\n\nQRadioButton::indicator:disabled {\n    border: 2px solid #D0D0D0;\n    "
    "background: #F0F0F0;\n}");
// The constructor restyles the check button after the form is built.
const QString CheckButton = QStringLiteral("QPushButton{border: 1px solid rgb(5, 178, 241);} "
                                           "QPushButton:pressed{border: 3px solid rgb(231, 207, "
                                           "23);}");
QString toastLine(int grey)
{
    return QStringLiteral("border: 0px;\ncolor: rgb(%1, %1, %1);").arg(grey);
}

const QStringList LeftToRight = {
    u"add_device_edit"_s, u"add_device_plain"_s, u"label_device_information"_s,
    u"deviceName"_s,      u"labelToast1"_s,      u"labelToast2"_s,
    u"labelToast3"_s,     u"labelToast4"_s};

} // namespace

class FormTest : public QObject
{
    Q_OBJECT

private slots:
    void widgetTree_data();
    void widgetTree();
    void creationAndStackingOrder();
    void pagesAndInitialState();
    void fontsAndDirections();
    void textsAndFlags();
    void metaObject();
    void wiringByName();
    void pictures_data();
    void pictures();
    void formPicturesAndRetranslate();
};

void FormTest::widgetTree_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry"); // null: placed by its container
    QTest::addColumn<QString>("style");

    const auto row = [](const char *name, const char *cls, const char *parent, QRect geometry,
                        const QString &style) {
        QTest::newRow(name) << QString::fromLatin1(cls) << QString::fromLatin1(parent) << geometry
                            << style;
    };
    const QRect page;
    row("centralwidget", "QWidget", "MainWindow", QRect(0, 0, 600, 600), WindowGradient);
    row("stackedWidget", "QStackedWidget", "centralwidget", QRect(5, 170, 590, 420), Clear);
    row("pageAddDevice", "QWidget", "stackedWidget", page, QString());
    row("frame_add_device", "QFrame", "pageAddDevice", QRect(0, 0, 590, 420), glassPanel(60));
    row("add_device_edit", "QLineEdit", "frame_add_device", QRect(205, 85, 240, 50), QString());
    row("add_device_pushButton", "QPushButton", "frame_add_device", QRect(150, 150, 300, 60),
        CheckButton);
    row("label_add_device", "QLabel", "frame_add_device", QRect(50, 20, 500, 50), Clear);
    row("add_device_plain", "QPlainTextEdit", "frame_add_device", QRect(150, 80, 300, 60),
        ClearNoBorderLine);
    row("manual_pushButton", "QPushButton", "frame_add_device", QRect(150, 220, 300, 60), u""_s);
    row("pageDevice", "QWidget", "stackedWidget", page, QString());
    row("frame_device", "QFrame", "pageDevice", QRect(0, 0, 590, 420), glassPanel(60));
    row("delete_device_pushButton", "QPushButton", "frame_device", QRect(40, 350, 180, 50),
        u"background-color: rgb(15, 162, 203);"_s);
    row("label_device", "QLabel", "frame_device", QRect(50, 20, 500, 50), Clear);
    row("label_device_information", "QLabel", "frame_device", QRect(20, 80, 550, 250), Clear);
    row("delete_device_pushButton_again", "QPushButton", "frame_device", QRect(40, 350, 180, 50),
        u"background-color: rgb(235, 23, 16);"_s);
    row("frame_media", "QFrame", "frame_device", QRect(350, 70, 210, 340), Transparent);
    row("media1", "QCheckBox", "frame_media", QRect(5, 55, 200, 50), MediaCheckBox);
    row("media2", "QCheckBox", "frame_media", QRect(5, 110, 200, 50), MediaCheckBox);
    row("media3", "QCheckBox", "frame_media", QRect(5, 165, 200, 50), MediaCheckBox);
    row("media_device_pushButton", "QPushButton", "frame_media", QRect(5, 280, 200, 50),
        u"background-color: rgb(48, 119, 173);"_s);
    row("labeldevpath", "QLabel", "frame_media", QRect(5, 0, 200, 50), PathLabel);
    row("sound_level", "QSlider", "frame_media", QRect(5, 225, 150, 40), QString());
    row("labelsoundicon", "QLabel", "frame_media", QRect(160, 216, 60, 60), QString());
    row("pageAny", "QWidget", "stackedWidget", page, QString());
    row("frameany", "QFrame", "pageAny", QRect(0, 0, 590, 420), glassPanel(60));
    row("labelbot", "QLabel", "frameany", QRect(0, 0, 590, 420), QString());
    row("pageManual", "QWidget", "stackedWidget", page, QString());
    row("frame_manual", "QFrame", "pageManual", QRect(0, 0, 590, 420), glassPanel(60));
    row("frame_model", "QFrame", "frame_manual", QRect(300, 30, 240, 160), Transparent);
    row("R1K08", "QRadioButton", "frame_model", QRect(10, 10, 220, 30), ModelRadio);
    row("R2K07", "QRadioButton", "frame_model", QRect(10, 40, 220, 30), ModelRadio);
    row("R3K08", "QRadioButton", "frame_model", QRect(10, 70, 220, 30), ModelRadio);
    row("S2K08", "QRadioButton", "frame_model", QRect(10, 100, 220, 30), ModelRadio);
    row("S3K16", "QRadioButton", "frame_model", QRect(10, 130, 220, 30), ModelRadio);
    row("active_device_pushButton", "QPushButton", "frame_manual", QRect(40, 220, 300, 60), u""_s);
    row("deviceName", "QLineEdit", "frame_manual", QRect(40, 30, 240, 50), QString());
    row("frameToast", "QFrame", "centralwidget", QRect(5, 5, 590, 155), glassPanel(40));
    row("frame", "QFrame", "frameToast", QRect(10, 10, 570, 135), ToastInner);
    row("labelToast1", "QLabel", "frame", QRect(30, 10, 510, 30), toastLine(197));
    row("labelToast2", "QLabel", "frame", QRect(30, 40, 510, 30), toastLine(208));
    row("labelToast3", "QLabel", "frame", QRect(30, 70, 510, 30), toastLine(232));
    row("labelToast4", "QLabel", "frame", QRect(30, 100, 510, 30), toastLine(255));
}

void FormTest::widgetTree()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, style);

    TestHome home;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QWidget *it = uniqueWidget(&w, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY2(it, "missing or not unique");
    QCOMPARE(QString::fromLatin1(it->metaObject()->className()), className);
    QVERIFY(it->parentWidget());
    QCOMPARE(it->parentWidget()->objectName(), parentName);
    if (!geometry.isNull())
        QCOMPARE(it->geometry(), geometry);
    QCOMPARE(it->styleSheet(), style);
    if (className == QLatin1String("QFrame")) {
        auto *frame = static_cast<QFrame *>(it);
        QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
        QCOMPARE(frame->frameShadow(), QFrame::Raised);
    }
}

void FormTest::creationAndStackingOrder()
{
    TestHome home;
    MainWindow w;
    QCOMPARE(w.objectName(), QStringLiteral("MainWindow"));

    // Exactly the 42 widgets of the form, no more.
    QStringList all;
    for (QWidget *child : w.findChildren<QWidget *>())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_")))
            all << child->objectName();
    QCOMPARE(all.size(), 42);
    QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), 42);
    QCOMPARE(w.centralWidget(), uniqueWidget(&w, u"centralwidget"_s));
    QVERIFY(!w.findChild<QMenuBar *>());
    QVERIFY(!w.findChild<QToolBar *>());
    QVERIFY(!w.findChild<QStatusBar *>());

    // Raised last means on top: the entry field over its caption box, the
    // confirmation over the delete button, the media panel over the text.
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame_add_device"_s)),
             QStringList({u"add_device_pushButton"_s, u"label_add_device"_s, u"add_device_plain"_s,
                          u"add_device_edit"_s, u"manual_pushButton"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame_device"_s)),
             QStringList({u"label_device"_s, u"label_device_information"_s,
                          u"delete_device_pushButton"_s, u"delete_device_pushButton_again"_s,
                          u"frame_media"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame_media"_s)),
             QStringList({u"media1"_s, u"media2"_s, u"media3"_s, u"media_device_pushButton"_s,
                          u"labeldevpath"_s, u"sound_level"_s, u"labelsoundicon"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame_manual"_s)),
             QStringList({u"frame_model"_s, u"active_device_pushButton"_s, u"deviceName"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame_model"_s)),
             QStringList({u"R1K08"_s, u"R2K07"_s, u"R3K08"_s, u"S2K08"_s, u"S3K16"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"frame"_s)),
             QStringList({u"labelToast1"_s, u"labelToast2"_s, u"labelToast3"_s, u"labelToast4"_s}));
    QCOMPARE(namedChildren(uniqueWidget(&w, u"centralwidget"_s)),
             QStringList({u"stackedWidget"_s, u"frameToast"_s}));
}

void FormTest::pagesAndInitialState()
{
    TestHome home;
    MainWindow w;
    auto *stack = w.findChild<QStackedWidget *>(u"stackedWidget"_s);
    QCOMPARE(stack->count(), 4);
    const QStringList pages = {u"pageAddDevice"_s, u"pageDevice"_s, u"pageAny"_s, u"pageManual"_s};
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(stack->indexOf(uniqueWidget(&w, pages[i])), i);
        QCOMPARE(stack->widget(i)->objectName(), pages[i]);
    }
    QCOMPARE(stack->currentWidget()->objectName(), u"pageAddDevice"_s);

    QVERIFY(w.findChild<QCheckBox *>(u"media1"_s)->isChecked());
    QVERIFY(w.findChild<QCheckBox *>(u"media2"_s)->isChecked());
    QVERIFY(!w.findChild<QCheckBox *>(u"media3"_s)->isChecked());

    const QList<QRadioButton *> models =
        uniqueWidget(&w, u"frame_model"_s)->findChildren<QRadioButton *>();
    QCOMPARE(models.size(), 5);
    for (QRadioButton *model : models) {
        QVERIFY(model->autoExclusive());
        QCOMPARE(model->isChecked(), model->objectName() == QLatin1String("R3K08"));
    }
    auto *r1 = w.findChild<QRadioButton *>(u"R1K08"_s);
    r1->click();
    QVERIFY(r1->isChecked());
    QVERIFY(!w.findChild<QRadioButton *>(u"R3K08"_s)->isChecked());

    auto *slider = w.findChild<QSlider *>(u"sound_level"_s);
    QCOMPARE(slider->value(), 50);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 99);
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QVERIFY(slider->invertedAppearance());
    QVERIFY(!slider->invertedControls());

    QCOMPARE(w.findChild<QLineEdit *>(u"add_device_edit"_s)->alignment(),
             Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(w.findChild<QLineEdit *>(u"deviceName"_s)->alignment(),
             Qt::Alignment(Qt::AlignCenter));
    for (const char *name : {"add_device_edit", "deviceName"})
        QCOMPARE(uniqueWidget(&w, QLatin1String(name))->inputMethodHints(),
                 Qt::ImhDigitsOnly | Qt::ImhMultiLine);
    for (const char *name : {"label_add_device", "label_device", "labelbot"})
        QCOMPARE(w.findChild<QLabel *>(QLatin1String(name))->alignment(),
                 Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(w.findChild<QLabel *>(u"label_device_information"_s)->alignment(),
             Qt::AlignLeft | Qt::AlignTop);
    for (const char *name : {"labelToast1", "labelToast2", "labelToast3", "labelToast4"})
        QCOMPARE(w.findChild<QLabel *>(QLatin1String(name))->alignment(),
                 Qt::AlignLeft | Qt::AlignVCenter);
}

void FormTest::fontsAndDirections()
{
    TestHome home;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(w.font().families(), QStringList(u"IRANYekan"_s));
    // A family is checked only where the form sets one: below a widget with a
    // style sheet Qt does not pass the parent's font on.
    struct Font
    {
        const char *name;
        const char *family; // empty: none set on the widget
        int pointSize;      // 0: none set, or sized by the widget's style sheet
        QFont::Weight weight;
    };
    const Font fonts[] = {
        {"frame_add_device", "IRANYekan", 0, QFont::Normal},
        {"add_device_edit", "", 12, QFont::Bold},
        {"add_device_pushButton", "", 14, QFont::Normal},
        {"label_add_device", "IRANYekan", 14, QFont::Normal},
        {"add_device_plain", "Segoe UI", 14, QFont::Normal},
        {"manual_pushButton", "", 14, QFont::Normal},
        {"frame_device", "IRANYekan", 0, QFont::Normal},
        {"delete_device_pushButton", "", 12, QFont::Normal},
        {"label_device", "IRANYekan", 12, QFont::Normal},
        {"label_device_information", "IRANYekan", 10, QFont::Medium},
        {"delete_device_pushButton_again", "", 12, QFont::Bold},
        {"media_device_pushButton", "", 12, QFont::Normal},
        {"R1K08", "Vazir Black", 0, QFont::Bold},
        {"R2K07", "Vazir Black", 0, QFont::Bold},
        {"R3K08", "Vazir Black", 0, QFont::Bold},
        {"S2K08", "Vazir Black", 0, QFont::Bold},
        {"S3K16", "Vazir Black", 0, QFont::Bold},
        {"active_device_pushButton", "", 14, QFont::Normal},
        {"deviceName", "", 12, QFont::Bold},
        {"labelToast1", "", 8, QFont::Normal},
        {"labelToast2", "", 8, QFont::Normal},
        {"labelToast3", "", 8, QFont::Normal},
        {"labelToast4", "", 8, QFont::Normal},
    };
    for (const Font &expected : fonts) {
        const QFont font = uniqueWidget(&w, QLatin1String(expected.name))->font();
        if (*expected.family)
            QVERIFY2(font.families() == QStringList(QLatin1String(expected.family)), expected.name);
        if (expected.pointSize)
            QVERIFY2(font.pointSize() == expected.pointSize, expected.name);
        QVERIFY2(font.weight() == expected.weight, expected.name);
    }
    QVERIFY(!uniqueWidget(&w, u"label_device_information"_s)->font().kerning());

    QCOMPARE(w.layoutDirection(), Qt::RightToLeft);
    int leftToRight = 0;
    for (QWidget *child : w.findChildren<QWidget *>()) {
        if (child->objectName().isEmpty() || child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const bool ltr = LeftToRight.contains(child->objectName());
        leftToRight += ltr;
        QVERIFY2(child->layoutDirection() == (ltr ? Qt::LeftToRight : Qt::RightToLeft),
                 qPrintable(child->objectName()));
        QVERIFY2(child->testAttribute(Qt::WA_SetLayoutDirection) == ltr,
                 qPrintable(child->objectName()));
    }
    QCOMPARE(leftToRight, LeftToRight.size());
}

void FormTest::textsAndFlags()
{
    TestHome home;
    MainWindow w;
    QCOMPARE(w.windowTitle(), QStringLiteral("کوروین - تنظیمات"));
    QCOMPARE(w.size(), QSize(600, 600));

    const QList<QPair<const char *, const char *>> buttonTexts = {
        {"add_device_pushButton", "Check and active"},
        {"manual_pushButton", "Manual Set"},
        {"delete_device_pushButton", "Delete device data"},
        {"delete_device_pushButton_again", "Delete?"},
        {"media_device_pushButton", "Create media setting"},
        {"active_device_pushButton", "Manual Active"},
        {"media1", "Public media"},
        {"media2", "Private media"},
        {"media3", "Local media"},
        {"R1K08", "Brisa - R1K08"},
        {"R2K07", "Colm - R2K07"},
        {"R3K08", "Dorne - R3K08"},
        {"S2K08", "Ember - S2K08"},
        {"S3K16", "Fjor - S3K16"},
    };
    for (const auto &[name, text] : buttonTexts)
        QCOMPARE(w.findChild<QAbstractButton *>(QLatin1String(name))->text(),
                 QString::fromLatin1(text));

    QCOMPARE(w.findChild<QLabel *>(u"label_add_device"_s)->text(),
             QStringLiteral("Add new device by serial number [8 to 20 char]"));
    QCOMPARE(w.findChild<QLabel *>(u"label_device"_s)->text(),
             QStringLiteral("Device information"));
    for (const char *name : {"labeldevpath", "labelsoundicon", "labelbot"})
        QVERIFY(w.findChild<QLabel *>(QLatin1String(name))->text().isEmpty());
    QCOMPARE(w.findChild<QLineEdit *>(u"add_device_edit"_s)->placeholderText(),
             QStringLiteral("Printed Serial"));
    QCOMPARE(w.findChild<QLineEdit *>(u"deviceName"_s)->placeholderText(),
             QStringLiteral("Device Name"));
    auto *caption = w.findChild<QPlainTextEdit *>(u"add_device_plain"_s);
    QCOMPARE(caption->toPlainText(), QStringLiteral("Id:"));
    QVERIFY(caption->isReadOnly());

    // Enter in a line edit must not press any button.
    for (QPushButton *button : w.findChildren<QPushButton *>()) {
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
        QVERIFY2(!button->autoDefault(), qPrintable(button->objectName()));
    }
    QCOMPARE(w.findChildren<QPushButton *>().size(), 6);
    for (const char *name : {"add_device_pushButton", "manual_pushButton",
                             "delete_device_pushButton_again", "active_device_pushButton"})
        QVERIFY(!w.findChild<QPushButton *>(QLatin1String(name))->isFlat());

    for (const char *name :
         {"labelToast1", "labelToast2", "labelToast3", "labelToast4", "label_device_information"})
        QCOMPARE(w.findChild<QLabel *>(QLatin1String(name))->textFormat(), Qt::PlainText);
}

void FormTest::metaObject()
{
    struct Slot
    {
        const char *signature;
        const char *result;
        QByteArrayList names;
    };
    const Slot table[] = {
        {"showDeviceInformation()", "void", {}},
        {"replyFinished(QNetworkReply*)", "void", {"pReply"}},
        {"showErrorDisplay(QString,int)", "void", {"ErrorShowm", "clearErrors"}},
        {"deviceInfoCreateTable()", "bool", {}},
        {"deviceSettingCreateTable()", "bool", {}},
        {"lockersCreateTable()", "bool", {}},
        {"processCreateTable()", "bool", {}},
        {"mediaCreateTable()", "bool", {}},
        {"deviceInfoReadTable()", "int", {}},
        {"mediaPathReadTable()", "int", {}},
        {"deviceSettingReadTable()", "int", {}},
        {"deviceSettingAddTable()", "bool", {}},
        {"on_add_device_pushButton_clicked()", "void", {}},
        {"deviceInfoAddTable(QString)", "bool", {"dev_id"}},
        {"deviceInfoUpdateIDTable(QString,int)", "bool", {"dev_id", "dev_status"}},
        {"deviceInfoUpdateTable(QString,QString,int,QString,QString,QString,int)",
         "bool",
         {"dev_name", "dev_model", "dev_lockers", "dev_location", "dev_address", "dev_description",
          "dev_status"}},
        {"createDatabase()", "int", {}},
        {"lockersReadTable()", "int", {}},
        {"LockersDeleteTable()", "bool", {}},
        {"lockerInsertTable()", "bool", {}},
        {"on_manual_pushButton_clicked()", "void", {}},
        {"on_active_device_pushButton_clicked()", "void", {}},
        {"on_delete_device_pushButton_clicked()", "void", {}},
        {"on_delete_device_pushButton_again_clicked()", "void", {}},
        {"on_media_device_pushButton_clicked()", "void", {}},
        {"SoundShow()", "void", {}},
        {"on_sound_level_valueChanged(int)", "void", {"value"}},
    };

    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(QByteArray(meta.className()), QByteArray("MainWindow"));
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 27);
    for (int i = 0; i < 27; ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), QByteArray(table[i].signature));
        QCOMPARE(QByteArray(method.typeName()), QByteArray(table[i].result));
        QCOMPARE(method.parameterNames(), table[i].names);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
    }
    const QMetaType reply = meta.method(meta.methodOffset() + 1).parameterMetaType(0);
    QCOMPARE(QByteArray(reply.name()), QByteArray("QNetworkReply*"));
    QVERIFY(reply.flags().testFlag(QMetaType::PointerToQObject));

    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    QCOMPARE(meta.constructorCount(), 0);
}

void FormTest::wiringByName()
{
    TestHome home;
    std::unique_ptr<MainWindow> w;
    {
        LogCapture log;
        w = std::make_unique<MainWindow>();
        QVERIFY2(!log.contains(u"QMetaObject::connectSlotsByName"_s),
                 qPrintable(log.lines().join(u'\n')));
    }

    // One connection per handler: a second one would run the handler twice.
    const QList<QPair<const char *, const char *>> wiring = {
        {"add_device_pushButton", SIGNAL(clicked())},
        {"manual_pushButton", SIGNAL(clicked())},
        {"active_device_pushButton", SIGNAL(clicked())},
        {"delete_device_pushButton", SIGNAL(clicked())},
        {"delete_device_pushButton_again", SIGNAL(clicked())},
        {"media_device_pushButton", SIGNAL(clicked())},
        {"sound_level", SIGNAL(valueChanged(int))},
    };
    for (const auto &[name, signal] : wiring)
        QVERIFY2(receiverCount(uniqueWidget(w.get(), QLatin1String(name)), signal) == 1, name);
}

void FormTest::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const QList<QPair<const char *, QSize>> files = {
        {"MainLogoR.png", QSize(600, 600)}, {"bot.png", QSize(250, 250)},
        {"volum0.png", QSize(30, 30)},      {"volum1.png", QSize(30, 30)},
        {"volum2.png", QSize(30, 30)},
    };
    for (const auto &[file, size] : files) {
        for (const char *prefix : {":/new/images/asset/", ":new/images/asset/"}) {
            const QString path = QLatin1String(prefix) + QLatin1String(file);
            QTest::newRow(qPrintable(path)) << path << size;
        }
    }
}

void FormTest::pictures()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(image.depth(), 32);
    QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
}

void FormTest::formPicturesAndRetranslate()
{
    TestHome home;
    {
        MainWindow w;
        QVERIFY(!w.windowIcon().isNull());
        QCOMPARE(pixels(w.windowIcon().pixmap(QSize(600, 600)).toImage()),
                 pixels(QImage(u":/new/images/asset/MainLogoR.png"_s)));
        QCOMPARE(pixels(w.findChild<QLabel *>(u"labelbot"_s)->pixmap().toImage()),
                 pixels(QImage(u":/new/images/asset/bot.png"_s)));
        QCOMPARE(pixels(w.findChild<QLabel *>(u"labelsoundicon"_s)->pixmap().toImage()),
                 pixels(QImage(u":/new/images/asset/volum1.png"_s)));
    }

    // The form on a plain window: what setupUi leaves and what a second
    // retranslateUi restores or clears.
    QMainWindow plain;
    Ui_MainWindow form;
    form.setupUi(&plain);
    QCOMPARE(plain.windowTitle(), QStringLiteral("MainWindow"));
    QCOMPARE(form.stackedWidget->currentIndex(), 0);
    QCOMPARE(form.label_device_information->text(), QStringLiteral("Device information"));
    for (QLabel *line : {form.labelToast1, form.labelToast2, form.labelToast3, form.labelToast4})
        QVERIFY(line->text().isEmpty());

    form.labelToast2->setText(u"older"_s);
    form.labelToast4->setText(u"newest"_s);
    form.add_device_pushButton->setText(u"changed"_s);
    form.label_device_information->setText(u"Device ID: X"_s);
    form.retranslateUi(&plain);
    for (QLabel *line : {form.labelToast1, form.labelToast2, form.labelToast3, form.labelToast4})
        QVERIFY(line->text().isEmpty());
    QCOMPARE(form.add_device_pushButton->text(), QStringLiteral("Check and active"));
    QCOMPARE(form.label_device_information->text(), QStringLiteral("Device information"));
    QCOMPARE(pixels(form.labelbot->pixmap().toImage()),
             pixels(QImage(u":/new/images/asset/bot.png"_s)));
    QCOMPARE(pixels(form.labelsoundicon->pixmap().toImage()),
             pixels(QImage(u":/new/images/asset/volum1.png"_s)));
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
