// The window's widget tree, texts, meta-object, by-name wiring and pictures,
// checked on the window as the program builds it.

#include "support/testsupport.h"
// Generated for this test from the same form file as the program's.
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaEnum>
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

#include <utility>

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

bool isFormWidget(const QObject *child)
{
    return child->isWidgetType() && !child->objectName().isEmpty()
           && !child->objectName().startsWith(QLatin1String("qt_"));
}

// Named children of a widget in the order Qt keeps them: creation order, with
// every raise() moving a widget to the end (the top of the stack).
QString namedChildren(QWidget *parent)
{
    QStringList names;
    for (QObject *child : parent->children())
        if (isFormWidget(child))
            names << child->objectName();
    return names.join(u' ');
}

// What a widget shows as its text: a button's or label's text, a line edit's
// placeholder, a plain text edit's content.
QString shownText(QWidget *it)
{
    if (auto *button = qobject_cast<QAbstractButton *>(it))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(it))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(it))
        return edit->placeholderText();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(it))
        return plain->toPlainText();
    return QString();
}

// The font as "family|points|weight", with the parts the expectation leaves
// empty left out: below a widget with a style sheet Qt does not pass the
// parent's family on, and a style sheet may size the font itself.
QString fontAsExpected(const QFont &font, const QString &expected)
{
    if (expected.isEmpty())
        return expected;
    const QStringList want = expected.split(u'|');
    const QStringList have = {
        font.families().join(u','), QString::number(font.pointSize()),
        QLatin1String(QMetaEnum::fromType<QFont::Weight>().valueToKey(font.weight()))};
    QStringList shown;
    for (int i = 0; i < have.size(); ++i)
        shown << (want.value(i).isEmpty() ? QString() : have[i]);
    return shown.join(u'|');
}

QString alignmentWord(Qt::Alignment alignment)
{
    if (alignment == (Qt::AlignLeft | Qt::AlignVCenter))
        return QString(); // Qt's own
    if (alignment == Qt::AlignCenter)
        return u"center"_s;
    if (alignment == (Qt::AlignLeft | Qt::AlignTop))
        return u"top"_s;
    return u"align%1"_s.arg(int(alignment));
}

// The settings of a widget that change how it behaves or reads, as words;
// a setting at Qt's default gives none.
QString flags(QWidget *it)
{
    QStringList words{it->layoutDirection() == Qt::LeftToRight ? u"ltr"_s : QString()};
    if (auto *label = qobject_cast<QLabel *>(it))
        words << alignmentWord(label->alignment())
              << (label->textFormat() == Qt::PlainText ? u"plain"_s : QString());
    if (auto *edit = qobject_cast<QLineEdit *>(it))
        words << alignmentWord(edit->alignment());
    const Qt::InputMethodHints hints = it->inputMethodHints();
    words << (hints & Qt::ImhDigitsOnly ? u"digits"_s : QString())
          << (hints & Qt::ImhMultiLine ? u"multiline"_s : QString())
          << (hints & ~(Qt::ImhDigitsOnly | Qt::ImhMultiLine) ? u"hints"_s : QString());
    if (auto *button = qobject_cast<QPushButton *>(it))
        words << (button->isDefault() || button->autoDefault() ? u"default"_s : QString())
              << (button->isFlat() ? u"flat"_s : QString());
    if (auto *button = qobject_cast<QAbstractButton *>(it))
        words << (button->isChecked() ? u"checked"_s : QString());
    if (auto *radio = qobject_cast<QRadioButton *>(it))
        words << (radio->autoExclusive() ? QString() : u"free"_s);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(it))
        words << (plain->isReadOnly() ? u"readonly"_s : QString());
    if (auto *slider = qobject_cast<QSlider *>(it))
        words << u"%1-%2 at%3"_s.arg(slider->minimum()).arg(slider->maximum()).arg(slider->value())
              << (slider->orientation() == Qt::Vertical ? u"vertical"_s : QString())
              << (slider->invertedAppearance() ? u"inverted"_s : QString())
              << (slider->invertedControls() ? u"inverted-controls"_s : QString());
    if (QLatin1String(it->metaObject()->className()) == QLatin1String("QFrame")) {
        const auto *frame = static_cast<QFrame *>(it);
        words << (frame->frameShape() == QFrame::StyledPanel
                          && frame->frameShadow() == QFrame::Raised
                      ? u"raised"_s
                      : u"frame%1"_s.arg(frame->frameStyle()));
    }
    words << (it->font().kerning() ? QString() : u"nokerning"_s);
    words.removeAll(QString());
    return words.join(u' ');
}

} // namespace

class FormTest : public WindowTest
{
    Q_OBJECT

private slots:
    void widgets_data();
    void widgets();
    void wholeForm();
    void metaObject();
    void wiringByName();
    void pictures_data();
    void pictures();
    void formPictures();
};

void FormTest::widgets_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry"); // null: placed by its container
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("font"); // "family|points|weight", empty parts not checked
    QTest::addColumn<QString>("flags");

    const auto row = [](const char *name, const char *cls, QRect geometry, const char *text,
                        const char *font, const char *flags) {
        QTest::newRow(name) << QString::fromLatin1(cls) << geometry << QString::fromUtf8(text)
                            << QString::fromLatin1(font) << QString::fromLatin1(flags);
    };
    const QRect page;
    const char *const serialTitle = "Add new device by serial number [8 to 20 char]";
    const char *const firstRun = "Database Created! Insert printed serial number!";
    row("centralwidget", "QWidget", {0, 0, 600, 600}, "", "", "");
    row("stackedWidget", "QStackedWidget", {5, 170, 590, 420}, "", "", "");
    row("pageAddDevice", "QWidget", page, "", "", "");
    row("frame_add_device", "QFrame", {0, 0, 590, 420}, "", "IRANYekan||Normal", "raised");
    row("add_device_edit", "QLineEdit", {205, 85, 240, 50}, "Printed Serial", "|12|Bold",
        "ltr center digits multiline");
    row("add_device_pushButton", "QPushButton", {150, 150, 300, 60}, "Check and active",
        "|14|Normal", "");
    row("label_add_device", "QLabel", {50, 20, 500, 50}, serialTitle, "IRANYekan|14|Normal",
        "center");
    row("add_device_plain", "QPlainTextEdit", {150, 80, 300, 60}, "Id:", "Segoe UI|14|Normal",
        "ltr multiline readonly");
    row("manual_pushButton", "QPushButton", {150, 220, 300, 60}, "Manual Set", "|14|Normal", "");
    row("pageDevice", "QWidget", page, "", "", "");
    row("frame_device", "QFrame", {0, 0, 590, 420}, "", "IRANYekan||Normal", "raised");
    row("delete_device_pushButton", "QPushButton", {40, 350, 180, 50}, "Delete device data",
        "|12|Normal", "");
    row("label_device", "QLabel", {50, 20, 500, 50}, "Device information", "IRANYekan|12|Normal",
        "center");
    row("label_device_information", "QLabel", {20, 80, 550, 250}, "Device information",
        "IRANYekan|10|Medium", "ltr top plain nokerning");
    row("delete_device_pushButton_again", "QPushButton", {40, 350, 180, 50}, "Delete?", "|12|Bold",
        "");
    row("frame_media", "QFrame", {350, 70, 210, 340}, "", "", "raised");
    row("media1", "QCheckBox", {5, 55, 200, 50}, "Public media", "", "checked");
    row("media2", "QCheckBox", {5, 110, 200, 50}, "Private media", "", "checked");
    row("media3", "QCheckBox", {5, 165, 200, 50}, "Local media", "", "");
    row("media_device_pushButton", "QPushButton", {5, 280, 200, 50}, "Create media setting",
        "|12|Normal", "");
    row("labeldevpath", "QLabel", {5, 0, 200, 50}, "", "", "");
    row("sound_level", "QSlider", {5, 225, 150, 40}, "", "", "0-99 at50 inverted");
    row("labelsoundicon", "QLabel", {160, 216, 60, 60}, "", "", "");
    row("pageAny", "QWidget", page, "", "", "");
    row("frameany", "QFrame", {0, 0, 590, 420}, "", "", "raised");
    row("labelbot", "QLabel", {0, 0, 590, 420}, "", "", "center");
    row("pageManual", "QWidget", page, "", "", "");
    row("frame_manual", "QFrame", {0, 0, 590, 420}, "", "", "raised");
    row("frame_model", "QFrame", {300, 30, 240, 160}, "", "", "raised");
    row("R1K08", "QRadioButton", {10, 10, 220, 30}, "Brisa - R1K08", "Vazir Black||Bold", "");
    row("R2K07", "QRadioButton", {10, 40, 220, 30}, "Colm - R2K07", "Vazir Black||Bold", "");
    row("R3K08", "QRadioButton", {10, 70, 220, 30}, "Dorne - R3K08", "Vazir Black||Bold",
        "checked");
    row("S2K08", "QRadioButton", {10, 100, 220, 30}, "Ember - S2K08", "Vazir Black||Bold", "");
    row("S3K16", "QRadioButton", {10, 130, 220, 30}, "Fjor - S3K16", "Vazir Black||Bold", "");
    row("active_device_pushButton", "QPushButton", {40, 220, 300, 60}, "Manual Active",
        "|14|Normal", "");
    row("deviceName", "QLineEdit", {40, 30, 240, 50}, "Device Name", "|12|Bold",
        "ltr center digits multiline");
    row("frameToast", "QFrame", {5, 5, 590, 155}, "", "", "raised");
    row("frame", "QFrame", {10, 10, 570, 135}, "", "", "raised");
    row("labelToast1", "QLabel", {30, 10, 510, 30}, "", "|8|Normal", "ltr plain");
    row("labelToast2", "QLabel", {30, 40, 510, 30}, "", "|8|Normal", "ltr plain");
    row("labelToast3", "QLabel", {30, 70, 510, 30}, "", "|8|Normal", "ltr plain");
    row("labelToast4", "QLabel", {30, 100, 510, 30}, firstRun, "|8|Normal", "ltr plain");
}

void FormTest::widgets()
{
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, font);
    QFETCH(QString, flags);

    MainWindow &w = window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QList<QWidget *> found =
        w.findChildren<QWidget *>(QLatin1String(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    QWidget *it = found.first();
    QCOMPARE(QLatin1String(it->metaObject()->className()), className);
    if (!geometry.isNull())
        QCOMPARE(it->geometry(), geometry);
    QCOMPARE(shownText(it), text);
    QCOMPARE(fontAsExpected(it->font(), font), font);
    QCOMPARE(::flags(it), flags);
}

void FormTest::wholeForm()
{
    MainWindow &w = window();
    QCOMPARE(w.objectName(), u"MainWindow"_s);
    QCOMPARE(w.windowTitle(), u"کوروین - تنظیمات"_s);
    QCOMPARE(w.size(), QSize(600, 600));
    QCOMPARE(w.layoutDirection(), Qt::RightToLeft);
    QCOMPARE(w.font().families(), QStringList(u"IRANYekan"_s));
    QCOMPARE(w.centralWidget()->objectName(), u"centralwidget"_s);
    QVERIFY(!w.findChild<QMenuBar *>() && !w.findChild<QToolBar *>()
            && !w.findChild<QStatusBar *>());
    // The 42 widgets of the table above, no more.
    QList<QWidget *> all = w.findChildren<QWidget *>();
    all.removeIf([](QWidget *child) { return !isFormWidget(child); });
    QCOMPARE(all.size(), 42);
    QCOMPARE(w.findChildren<QPushButton *>().size(), 6);

    // The pages in their order, and below them the named children of each
    // container in stacking order (the stack itself raises the page shown).
    QStringList pages;
    for (int i = 0; i < widget<QStackedWidget>(w, "stackedWidget")->count(); ++i)
        pages << widget<QStackedWidget>(w, "stackedWidget")->widget(i)->objectName();
    QCOMPARE(pages.join(u' '), u"pageAddDevice pageDevice pageAny pageManual"_s);
    // Raised last means on top: the entry field over its caption box, the
    // confirmation over the delete button, the media panel over the text.
    const std::pair<const char *, const char *> tree[] = {
        {"centralwidget", "stackedWidget frameToast"},
        {"pageAddDevice", "frame_add_device"},
        {"pageDevice", "frame_device"},
        {"pageAny", "frameany"},
        {"frameany", "labelbot"},
        {"pageManual", "frame_manual"},
        {"frameToast", "frame"},
        {"frame_add_device", "add_device_pushButton label_add_device add_device_plain "
                             "add_device_edit manual_pushButton"},
        {"frame_device", "label_device label_device_information delete_device_pushButton "
                         "delete_device_pushButton_again frame_media"},
        {"frame_media", "media1 media2 media3 media_device_pushButton labeldevpath sound_level "
                        "labelsoundicon"},
        {"frame_manual", "frame_model active_device_pushButton deviceName"},
        {"frame_model", "R1K08 R2K07 R3K08 S2K08 S3K16"},
        {"frame", "labelToast1 labelToast2 labelToast3 labelToast4"},
    };
    for (const auto &[parent, children] : tree)
        QCOMPARE(namedChildren(widget<QWidget>(w, parent)), QLatin1String(children));

    // Any change of a style sheet, the form's or the one the constructor sets
    // on the check button, changes this digest: renew it only for a change of
    // look that is meant.
    QStringList styles;
    for (QWidget *child : all)
        styles << child->objectName() + u'\n' + child->styleSheet();
    styles.sort();
    const QByteArray digest =
        QCryptographicHash::hash(styles.join(u'\n').toUtf8(), QCryptographicHash::Sha1).toHex();
    QVERIFY2(digest == "3e9452b1c31efb7d29c2ccfd10ad1532d68cee94",
             qPrintable(QString::fromLatin1(digest) + u'\n' + styles.join(u'\n')));
}

void FormTest::metaObject()
{
    const QStringList expected = {
        u"void showDeviceInformation()"_s,
        u"void replyFinished(QNetworkReply* pReply)"_s,
        u"void showErrorDisplay(QString ErrorShowm, int clearErrors)"_s,
        u"bool deviceInfoCreateTable()"_s,
        u"bool deviceSettingCreateTable()"_s,
        u"bool lockersCreateTable()"_s,
        u"bool processCreateTable()"_s,
        u"bool mediaCreateTable()"_s,
        u"int deviceInfoReadTable()"_s,
        u"int mediaPathReadTable()"_s,
        u"int deviceSettingReadTable()"_s,
        u"bool deviceSettingAddTable()"_s,
        u"void on_add_device_pushButton_clicked()"_s,
        u"bool deviceInfoAddTable(QString dev_id)"_s,
        u"bool deviceInfoUpdateIDTable(QString dev_id, int dev_status)"_s,
        u"bool deviceInfoUpdateTable(QString dev_name, QString dev_model, int dev_lockers, "
        "QString dev_location, QString dev_address, QString dev_description, int dev_status)"_s,
        u"int createDatabase()"_s,
        u"int lockersReadTable()"_s,
        u"bool LockersDeleteTable()"_s,
        u"bool lockerInsertTable()"_s,
        u"void on_manual_pushButton_clicked()"_s,
        u"void on_active_device_pushButton_clicked()"_s,
        u"void on_delete_device_pushButton_clicked()"_s,
        u"void on_delete_device_pushButton_again_clicked()"_s,
        u"void on_media_device_pushButton_clicked()"_s,
        u"void SoundShow()"_s,
        u"void on_sound_level_valueChanged(int value)"_s};
    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(QByteArray(meta.className()), QByteArray("MainWindow"));
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QStringList found;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QStringList parameters;
        for (int p = 0; p < method.parameterCount(); ++p)
            parameters << QString::fromLatin1(method.parameterTypes().at(p) + ' '
                                              + method.parameterNames().at(p));
        found << QString::fromLatin1(QByteArray(method.typeName()) + ' ' + method.name()) + u'('
                     + parameters.join(u", "_s) + u')';
    }
    QCOMPARE(found, expected);
    const QMetaType reply = meta.method(meta.methodOffset() + 1).parameterMetaType(0);
    QVERIFY(reply.flags().testFlag(QMetaType::PointerToQObject));

    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    QCOMPARE(meta.constructorCount(), 0);
}

void FormTest::wiringByName()
{
    LogCapture log;
    MainWindow &w = window();
    QVERIFY2(!log.contains(u"QMetaObject::connectSlotsByName"_s),
             qPrintable(log.lines().join(u'\n')));

    // One connection per handler: a second one would run the handler twice.
    const std::pair<const char *, const char *> wiring[] = {
        {"add_device_pushButton", SIGNAL(clicked())},
        {"manual_pushButton", SIGNAL(clicked())},
        {"active_device_pushButton", SIGNAL(clicked())},
        {"delete_device_pushButton", SIGNAL(clicked())},
        {"delete_device_pushButton_again", SIGNAL(clicked())},
        {"media_device_pushButton", SIGNAL(clicked())},
        {"sound_level", SIGNAL(valueChanged(int))},
    };
    for (const auto &[name, signal] : wiring)
        QVERIFY2(receiverCount(widget<QWidget>(w, name), signal) == 1, name);
}

void FormTest::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (const auto &[file, size] : {std::pair("MainLogoR.png", QSize(600, 600)),
                                     {"bot.png", QSize(250, 250)},
                                     {"volum0.png", QSize(30, 30)},
                                     {"volum1.png", QSize(30, 30)},
                                     {"volum2.png", QSize(30, 30)},
                                     {"bot@2x.png", QSize(500, 500)},
                                     {"volum0@2x.png", QSize(60, 60)},
                                     {"volum1@2x.png", QSize(60, 60)},
                                     {"volum2@2x.png", QSize(60, 60)}}) {
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

// The window's pictures, and what a second retranslateUi of the form (as a
// change of language runs it) restores or clears.
void FormTest::formPictures()
{
    const auto picture = [](const QString &file) {
        return pixels(QImage(u":/new/images/asset/"_s + file));
    };
    MainWindow &w = window();
    QCOMPARE(pixels(w.windowIcon().pixmap(QSize(600, 600)).toImage()), picture(u"MainLogoR.png"_s));
    QCOMPARE(pixels(widget<QLabel>(w, "labelbot")->pixmap().toImage()), picture(u"bot.png"_s));
    QCOMPARE(pixels(widget<QLabel>(w, "labelsoundicon")->pixmap().toImage()),
             picture(u"volum1.png"_s));

    QMainWindow plain;
    Ui_MainWindow form;
    form.setupUi(&plain);
    QCOMPARE(plain.windowTitle(), u"MainWindow"_s);
    QCOMPARE(form.stackedWidget->currentIndex(), 0);
    form.labelToast4->setText(u"newest"_s);
    form.add_device_pushButton->setText(u"changed"_s);
    form.label_device_information->setText(u"Device ID: X"_s);
    form.retranslateUi(&plain);
    for (QLabel *line : {form.labelToast1, form.labelToast2, form.labelToast3, form.labelToast4})
        QVERIFY(line->text().isEmpty());
    QCOMPARE(form.add_device_pushButton->text(), u"Check and active"_s);
    QCOMPARE(form.label_device_information->text(), u"Device information"_s);
    QCOMPARE(pixels(form.labelbot->pixmap().toImage()), picture(u"bot.png"_s));
    QCOMPARE(pixels(form.labelsoundicon->pixmap().toImage()), picture(u"volum1.png"_s));
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
