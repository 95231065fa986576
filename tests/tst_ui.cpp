// The toast, the sound picture, the device page and the two-press deletion:
// the plain functions behind them directly, the window through its widgets.

#include "activation/devicepage.h"
#include "store/records.h"
#include "support/testsupport.h"
#include "ui/soundlevel.h"
#include "ui/toast.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <climits>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

// A plain-text label is as wide as its literal text; rich text would render
// the markup away and be much narrower.
int literalShortfall(QLabel *label, const QString &line)
{
    label->ensurePolished();
    return label->fontMetrics().horizontalAdvance(line) - label->sizeHint().width();
}

QStringList lines(const ToastLines &t)
{
    return {t.toastLine1, t.toastLine2, t.toastLine3, t.toastLine4};
}

} // namespace

class UiTest : public WindowTest
{
    Q_OBJECT

private slots:
    void toastShifting_data();
    void toastShifting();
    void toastInWindow();
    void soundPictureChoice_data();
    void soundPictureChoice();
    void soundPictureFollowsSlider();
    void deviceInformationText_data();
    void deviceInformationText();
    void devicePageShowsStoredDevice();
    void buttonsRunTheirHandlersOnce();
    void deletion_data();
    void deletion();
    void screenshots_data();
    void screenshots();
};

void UiTest::toastShifting_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("clear");
    QTest::addColumn<QStringList>("after");

    const QStringList full = {u"one"_s, u"two"_s, u"three"_s, u"four"_s};
    const QStringList fresh = {u""_s, u""_s, u""_s, u"fresh"_s};
    QTest::newRow("shifts up") << full << u"five"_s << 0 << (full.mid(1) << u"five"_s);
    QTest::newRow("empty message") << full << u""_s << 0 << (full.mid(1) << u""_s);
    QTest::newRow("first message") << QStringList(4) << u"fresh"_s << 0 << fresh;
    for (int clear : {1, -1, 2, INT_MIN})
        QTest::addRow("clear %d", clear) << full << u"fresh"_s << clear << fresh;
}

void UiTest::toastShifting()
{
    QFETCH(QStringList, before);
    QFETCH(QString, message);
    QFETCH(int, clear);
    QFETCH(QStringList, after);
    const ToastLines start{before[0], before[1], before[2], before[3]};
    QCOMPARE(lines(gui::pushToastMessage(start, message, clear)), after);
}

void UiTest::toastInWindow()
{
    QCOMPARE(lines(Toast), QStringList(4));
    MainWindow &w = window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, FirstRunToast}));

    for (const char *message : {"m1", "m2", "m3", "m4", "m5"})
        callToast(&w, QLatin1String(message), 0);
    QCOMPARE(toastLabels(&w), QStringList({u"m2"_s, u"m3"_s, u"m4"_s, u"m5"_s}));
    callToast(&w, u"negative clear"_s, -4);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"negative clear"_s}));

    // Markup in a message is shown as the text it is.
    const QString bold = u"<b>x</b>"_s;
    const QString image = u"<img src=\"cabinet-front-door-photograph.png\">"_s;
    callToast(&w, bold, 0);
    callToast(&w, image, 0);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u"negative clear"_s, bold, image}));
    QCOMPARE(toastLabels(&w), lines(Toast));
    QLabel *line4 = widget<QLabel>(w, "labelToast4");
    QVERIFY(literalShortfall(widget<QLabel>(w, "labelToast3"), bold) <= 0);
    QVERIFY(literalShortfall(line4, image) <= 0);
    // The same measure tells markup apart when it is rendered.
    line4->setTextFormat(Qt::RichText);
    QVERIFY(literalShortfall(line4, image) > 0);
}

void UiTest::soundPictureChoice_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("file");
    for (const auto &[level, file] : {std::pair(0, "volum0"),
                                      {1, "volum1"},
                                      {50, "volum1"},
                                      {98, "volum1"},
                                      {99, "volum2"},
                                      {100, "volum2"},
                                      {INT_MAX, "volum2"},
                                      {-1, "volum1"},
                                      {INT_MIN, "volum1"}})
        QTest::addRow("%d", level) << level << QString::fromLatin1(file);
}

void UiTest::soundPictureChoice()
{
    QFETCH(int, level);
    QFETCH(QString, file);
    QCOMPARE(gui::soundPicturePath(gui::soundPictureFor(level)),
             u":new/images/asset/"_s + file + u".png"_s);
}

void UiTest::soundPictureFollowsSlider()
{
    using gui::SoundPicture;
    // Three different pictures, or the icon checks could not tell them apart.
    const auto image = [](SoundPicture p) { return QImage(gui::soundPicturePath(p)); };
    QVERIFY(image(SoundPicture::Muted) != image(SoundPicture::Normal));
    QVERIFY(image(SoundPicture::Normal) != image(SoundPicture::Loud));
    QVERIFY(image(SoundPicture::Muted) != image(SoundPicture::Loud));

    MainWindow &w = window();
    QSlider *slider = widget<QSlider>(w, "sound_level");
    QVERIFY(soundIconIs(w, SoundPicture::Normal));
    struct Step
    {
        int set;
        int value;
        SoundPicture picture;
    };
    for (const Step &step : {Step{0, 0, SoundPicture::Muted}, Step{1, 1, SoundPicture::Normal},
                             Step{98, 98, SoundPicture::Normal}, Step{99, 99, SoundPicture::Loud},
                             Step{50, 50, SoundPicture::Normal}, Step{150, 99, SoundPicture::Loud},
                             Step{-5, 0, SoundPicture::Muted}}) {
        slider->setValue(step.set);
        QCOMPARE(slider->value(), step.value);
        QVERIFY2(soundIconIs(w, step.picture), qPrintable(QString::number(step.set)));
    }
}

void UiTest::deviceInformationText_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("word");
    QTest::newRow("1") << 1 << "Active";
    QTest::newRow("2") << 2 << "Disable";
    QTest::newRow("0") << 0 << "Deactive";
    QTest::newRow("3") << 3 << "Deactive";
    QTest::newRow("-1") << -1 << "Deactive";
}

void UiTest::deviceInformationText()
{
    QFETCH(int, status);
    QFETCH(QString, word);
    QCOMPARE(activation::statusWord(status), word);
    const DeviceInfo full{u"QV16F2024005"_s,   u"Fjor cabinet"_s,   u"Fjor"_s, u"Hall B"_s,
                          u"12 Quay Street"_s, u"Front entrance"_s, 16,        status};
    QCOMPARE(activation::deviceInformationText(full),
             u"Device ID: QV16F2024005\nName: Fjor cabinet\nModel: Fjor\nLockers: 16\n"
             "Location: Hall B\nAddress: 12 Quay Street\nDescription: Front entrance\nStatus: "_s
                 + word);
    // Empty fields leave the bare labels; markers inside fields stay as typed.
    const DeviceInfo markers{u"QV%2"_s, u"%4"_s, u"%%1"_s, u""_s, u"%1"_s, u""_s, 0, status};
    QCOMPARE(activation::deviceInformationText(markers),
             u"Device ID: QV%2\nName: %4\nModel: %%1\nLockers: 0\nLocation: \nAddress: %1\n"
             "Description: \nStatus: "_s
                 + word);
}

void UiTest::devicePageShowsStoredDevice()
{
    const QString picture = u"<img src=\"front-door-photograph-of-the-cabinet.png\" width=\"1\">"_s;
    QVERIFY(seed()
                .tables()
                .deviceRow(u"1, 'QV8D2024003', '<b>Lobby</b>', 'Dorne', 8, '%4', '', '"_s + picture
                           + u"', 1"_s)
                .ok());
    MainWindow &w = window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Device is active!"_s, u"Media data not set"_s}));
    QLabel *information = widget<QLabel>(w, "label_device_information");
    QCOMPARE(information->text(), u"Device ID: QV8D2024003\nName: <b>Lobby</b>\nModel: Dorne\n"
                                  "Lockers: 8\nLocation: %4\nAddress: \nDescription: "_s
                                      + picture + u"\nStatus: Active"_s);
    QCOMPARE(information->textFormat(), Qt::PlainText);
    QVERIFY(literalShortfall(information, u"Description: "_s + picture) <= 0);
    QVERIFY(widget<QPushButton>(w, "delete_device_pushButton")->isVisible());
    QVERIFY(!widget<QPushButton>(w, "delete_device_pushButton_again")->isVisible());
    QVERIFY(soundIconIs(w, gui::SoundPicture::Normal));
}

// Each press shows its own effect once; a handler run twice would leave a
// second toast line or a different message.
void UiTest::buttonsRunTheirHandlersOnce()
{
    QVERIFY(seed().tables().deviceRow(u"1, 'QV8D2024003', '', '', 0, '', '', '', 0"_s).ok());
    MainWindow &w = window();
    QCOMPARE(lastToast(w), u"Device inactive!"_s);

    widget<QLineEdit>(w, "add_device_edit")->setText(u"1234"_s);
    click(w, "add_device_pushButton");
    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u"Device inactive!"_s, u"Id bad format inserted!"_s}));

    click(w, "manual_pushButton");
    QCOMPARE(page(w), u"pageManual"_s);
    QTest::keyClicks(widget<QLineEdit>(w, "deviceName"), u"Lobby"_s);
    click(w, "active_device_pushButton");
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w), QStringList({u"Device inactive!"_s, u"Id bad format inserted!"_s,
                                           u"Locker db create! OK"_s, u"Lockers insert! OK"_s}));

    click(w, "media_device_pushButton");
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Lockers insert! OK"_s, u"Insert media data ok"_s}));

    QSlider *slider = widget<QSlider>(w, "sound_level");
    slider->triggerAction(QAbstractSlider::SliderToMaximum);
    QVERIFY(soundIconIs(w, gui::SoundPicture::Loud));
    slider->triggerAction(QAbstractSlider::SliderToMinimum);
    QVERIFY(soundIconIs(w, gui::SoundPicture::Muted));

    QPushButton *remove = widget<QPushButton>(w, "delete_device_pushButton");
    QPushButton *confirm = widget<QPushButton>(w, "delete_device_pushButton_again");
    QVERIFY(remove->isVisible() && !confirm->isVisible());
    click(w, "delete_device_pushButton");
    QVERIFY(!remove->isVisible() && confirm->isVisible());
    QCOMPARE(lastToast(w), u"Insert media data ok"_s);
    waitPastDoubleClick();
    click(w, "delete_device_pushButton_again");
    QCOMPARE(page(w), u"pageAny"_s);
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Insert media data ok"_s, u"All data deleted! restart app"_s}));
}

void UiTest::deletion_data()
{
    QTest::addColumn<bool>("mediaIsFolder");
    QTest::addColumn<QStringList>("toast"); // at start, then after the confirmation
    QTest::addColumn<bool>("doubleClick");  // the first press is a double click

    const QStringList deleted{u"Media data read ok"_s, u"All data deleted! restart app"_s};
    QTest::newRow("both stores deleted") << false << deleted << false;
    // "Delete?" appears under the pointer: the double click's second press
    // lands on it, and only arms the deletion.
    QTest::newRow("a double click only asks") << false << deleted << true;
    // A folder in place of the Media store cannot be removed as a file.
    QTest::newRow("Media store is a folder")
        << true
        << QStringList{u"Media data not set"_s,
                       u"Data could not be deleted! Close other programs and try again"_s}
        << false;
}

// The first press only asks; a deliberate second press deletes both stores,
// and the next start finds none.
void UiTest::deletion()
{
    QFETCH(bool, mediaIsFolder);
    QFETCH(QStringList, toast);
    QFETCH(bool, doubleClick);
    StoreSeed stores = seed().tables().device(u"QV8B2024001"_s, 1);
    if (mediaIsFolder)
        QVERIFY(QDir().mkpath(home().mediaStore())
                && QFile(home().mediaStore() + u"/keep"_s).open(QIODevice::WriteOnly));
    else
        stores.media(u"'QV8B2024001', 1, 0, 1, 0"_s);
    QVERIFY(stores.ok());
    MainWindow &w = window();
    QCOMPARE(lastToast(w), toast[0]);
    const QByteArray mainBefore = fileBytes(home().mainStore());
    const QByteArray mediaBefore = fileBytes(home().mediaStore());

    QPushButton *remove = widget<QPushButton>(w, "delete_device_pushButton");
    if (doubleClick)
        QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {},
                           remove->mapTo(&w, remove->rect().center()));
    else
        click(w, "delete_device_pushButton");
    QVERIFY(!remove->isVisible());
    QVERIFY(widget<QPushButton>(w, "delete_device_pushButton_again")->isVisible());
    QCOMPARE(fileBytes(home().mainStore()), mainBefore);
    QCOMPARE(fileBytes(home().mediaStore()), mediaBefore);
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(lastToast(w), toast[0]);

    waitPastDoubleClick();
    click(w, "delete_device_pushButton_again");
    QCOMPARE(toastLabels(&w).mid(2), toast);
    QCOMPARE(page(w), u"pageAny"_s);
    QVERIFY(!QFile::exists(home().mainStore()));
    QCOMPARE(QFileInfo(home().mediaStore()).isDir(), mediaIsFolder);
    QCOMPARE(QFile::exists(home().mediaStore()), mediaIsFolder);
    QVERIFY(QDir(home().root()).exists());

    closeWindow();
    QCOMPARE(lastToast(window()), FirstRunToast);
    QCOMPARE(page(window()), u"pageAddDevice"_s);
    QVERIFY(QFile::exists(home().mainStore()));
}

void UiTest::screenshots_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QString>("page");
    QTest::newRow("add-device") << false << u"pageAddDevice"_s;
    QTest::newRow("device") << true << u"pageDevice"_s;
}

// Saved beside the test program for a person to look at.
void UiTest::screenshots()
{
    QFETCH(bool, device);
    QFETCH(QString, page);
    if (device)
        QVERIFY(seed()
                    .tables()
                    .deviceRow(u"1, 'QV16F2024005', 'Fjor cabinet', 'Fjor', 16, 'Hall B', "
                               "'12 Quay Street', 'Front entrance', 1"_s)
                    .ok());
    MainWindow &w = window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(testing::page(w), page);

    const QString folder = QCoreApplication::applicationDirPath() + u"/screenshots/"_s;
    const QString file = folder + QLatin1String(QTest::currentDataTag()) + u".png"_s;
    QVERIFY(QDir().mkpath(folder) && w.grab().save(file));
    const QImage saved(file);
    QCOMPARE(saved.size(), QSize(600, 600));
    // More than a blank fill: the toast, the frames and the texts differ in colour.
    QSet<QRgb> colours;
    for (int y = 0; y < saved.height(); y += 7)
        for (int x = 0; x < saved.width(); x += 7)
            colours.insert(saved.pixel(x, y));
    QVERIFY(colours.size() > 20);
}

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
