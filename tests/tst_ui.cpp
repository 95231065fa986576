// The toast, the sound picture, the device page and the two-press deletion,
// driven through the real window.

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
#include <QStackedWidget>
#include <QtTest>

#include <climits>
#include <memory>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

const QString FirstRunToast = QStringLiteral("Database Created! Insert printed serial number!");

QImage soundIcon(MainWindow &w)
{
    return pixels(w.findChild<QLabel *>(u"labelsoundicon"_s)->pixmap().toImage());
}

QImage soundPicture(gui::SoundPicture picture)
{
    return pixels(QImage(gui::soundPicturePath(picture)));
}

// Main store as a first run leaves it, plus the device row; the values are
// the SQL value list after the id.
bool storeDevice(const TestHome &home, const QString &values)
{
    if (!QDir().mkpath(home.root()))
        return false;
    for (QLatin1String create : {store::deviceInfo::CreateSql, store::deviceSetting::CreateSql,
                               store::process::CreateSql, store::lockers::CreateSql})
        if (!execSql(home.mainStore(), QString(create)))
            return false;
    return execSql(home.mainStore(),
                   u"INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, "
                   "dev_location, dev_address, dev_description, dev_status) VALUES (1, "_s
                       + values + u")"_s);
}

// A plain-text label is as wide as its literal text; rich text would render
// the markup away and be much narrower.
int literalShortfall(QLabel *label, const QString &line)
{
    label->ensurePolished();
    return label->fontMetrics().horizontalAdvance(line) - label->sizeHint().width();
}

bool shown(MainWindow &w)
{
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

} // namespace

class UiTest : public QObject
{
    Q_OBJECT

private slots:
    void toastShifting();
    void toastInWindow();
    void toastShowsMarkupAsText();
    void soundPictureChoice();
    void soundPictureFollowsSlider();
    void deviceInformationText_data();
    void deviceInformationText();
    void devicePageShowsStoredDevice();
    void buttonsRunTheirHandlersOnce();
    void deletePairDeletesOnlyOnConfirmation();
    void deleteThatFailsIsReported();
    void screenshots();
};

void UiTest::toastShifting()
{
    const ToastLines full{u"one"_s, u"two"_s, u"three"_s, u"four"_s};
    const auto lines = [](const ToastLines &t) {
        return QStringList{t.toastLine1, t.toastLine2, t.toastLine3, t.toastLine4};
    };
    QCOMPARE(lines(gui::pushToastMessage(full, u"five"_s, 0)),
             QStringList({u"two"_s, u"three"_s, u"four"_s, u"five"_s}));
    QCOMPARE(lines(gui::pushToastMessage(full, u""_s, 0)),
             QStringList({u"two"_s, u"three"_s, u"four"_s, u""_s}));
    for (int clear : {1, -1, 2, INT_MIN})
        QCOMPARE(lines(gui::pushToastMessage(full, u"fresh"_s, clear)),
                 QStringList({u""_s, u""_s, u""_s, u"fresh"_s}));
    QCOMPARE(lines(gui::pushToastMessage(ToastLines(), u"first"_s, 0)),
             QStringList({u""_s, u""_s, u""_s, u"first"_s}));
}

void UiTest::toastInWindow()
{
    TestHome home;
    QCOMPARE(Toast.toastLine1 + Toast.toastLine2 + Toast.toastLine3 + Toast.toastLine4, QString());
    MainWindow w;
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, FirstRunToast}));

    for (const char *message : {"m1", "m2", "m3", "m4", "m5"})
        callToast(&w, QLatin1String(message), 0);
    QCOMPARE(toastLabels(&w), QStringList({u"m2"_s, u"m3"_s, u"m4"_s, u"m5"_s}));

    callToast(&w, u"cleared"_s, 1);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"cleared"_s}));
    callToast(&w, u"again"_s, 0);
    callToast(&w, u"negative clear"_s, -4);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"negative clear"_s}));

    callToast(&w, u"a"_s, 0);
    callToast(&w, u""_s, 0);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u"negative clear"_s, u"a"_s, u""_s}));
    // The labels show exactly what the process-wide lines hold.
    QCOMPARE(toastLabels(&w),
             QStringList({Toast.toastLine1, Toast.toastLine2, Toast.toastLine3, Toast.toastLine4}));
}

void UiTest::toastShowsMarkupAsText()
{
    TestHome home;
    MainWindow w;
    QVERIFY(shown(w));
    const QString bold = QStringLiteral("<b>x</b>");
    const QString image = QStringLiteral("<img src=\"cabinet-front-door-photograph.png\">");
    callToast(&w, bold, 0);
    callToast(&w, image, 0);
    QCOMPARE(toastLabels(&w).mid(2), QStringList({bold, image}));

    auto *line3 = w.findChild<QLabel *>(u"labelToast3"_s);
    auto *line4 = w.findChild<QLabel *>(u"labelToast4"_s);
    QVERIFY(literalShortfall(line3, bold) <= 0);
    QVERIFY(literalShortfall(line4, image) <= 0);

    // The same measure tells markup apart when it is rendered.
    line4->setTextFormat(Qt::RichText);
    QVERIFY(literalShortfall(line4, image) > 0);
}

void UiTest::soundPictureChoice()
{
    using gui::SoundPicture;
    const QList<QPair<int, SoundPicture>> cases = {
        {0, SoundPicture::Muted},      {1, SoundPicture::Normal},  {50, SoundPicture::Normal},
        {98, SoundPicture::Normal},    {99, SoundPicture::Loud},   {100, SoundPicture::Loud},
        {INT_MAX, SoundPicture::Loud}, {-1, SoundPicture::Normal}, {INT_MIN, SoundPicture::Normal},
    };
    for (const auto &[level, picture] : cases)
        QVERIFY2(gui::soundPictureFor(level) == picture, qPrintable(QString::number(level)));

    QCOMPARE(gui::soundPicturePath(SoundPicture::Muted),
             QStringLiteral(":new/images/asset/volum0.png"));
    QCOMPARE(gui::soundPicturePath(SoundPicture::Normal),
             QStringLiteral(":new/images/asset/volum1.png"));
    QCOMPARE(gui::soundPicturePath(SoundPicture::Loud),
             QStringLiteral(":new/images/asset/volum2.png"));
    // Three different pictures, or the checks on the icon could not tell them apart.
    QVERIFY(soundPicture(SoundPicture::Muted) != soundPicture(SoundPicture::Normal));
    QVERIFY(soundPicture(SoundPicture::Normal) != soundPicture(SoundPicture::Loud));
    QVERIFY(soundPicture(SoundPicture::Muted) != soundPicture(SoundPicture::Loud));
}

void UiTest::soundPictureFollowsSlider()
{
    using gui::SoundPicture;
    TestHome home;
    MainWindow w;
    auto *slider = w.findChild<QSlider *>(u"sound_level"_s);
    QCOMPARE(soundIcon(w), soundPicture(SoundPicture::Normal));

    struct Step
    {
        int set;
        int value;
        SoundPicture picture;
    };
    const Step steps[] = {
        {0, 0, SoundPicture::Muted},    {1, 1, SoundPicture::Normal},
        {98, 98, SoundPicture::Normal}, {99, 99, SoundPicture::Loud},
        {50, 50, SoundPicture::Normal}, {150, 99, SoundPicture::Loud},
        {-5, 0, SoundPicture::Muted},
    };
    for (const Step &step : steps) {
        slider->setValue(step.set);
        QCOMPARE(slider->value(), step.value);
        QVERIFY2(soundIcon(w) == soundPicture(step.picture), qPrintable(QString::number(step.set)));
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

    DeviceInfo info;
    info.dev_id = u"QV16F2024005"_s;
    info.dev_name = u"Fjor cabinet"_s;
    info.dev_model = u"Fjor"_s;
    info.dev_lockers = 16;
    info.dev_location = u"Hall B"_s;
    info.dev_address = u"12 Quay Street"_s;
    info.dev_description = u"Front entrance"_s;
    info.dev_status = status;
    QCOMPARE(activation::deviceInformationText(info),
             u"Device ID: QV16F2024005\nName: Fjor cabinet\nModel: Fjor\nLockers: 16\n"
             "Location: Hall B\nAddress: 12 Quay Street\nDescription: Front entrance\nStatus: "_s
                 + word);

    // Empty fields leave the bare labels; markers inside fields stay as typed.
    info.dev_id = u"QV%2"_s;
    info.dev_name = u"%4"_s;
    info.dev_model = u"%%1"_s;
    info.dev_lockers = 0;
    info.dev_location.clear();
    info.dev_address = u"%1"_s;
    info.dev_description.clear();
    QCOMPARE(activation::deviceInformationText(info),
             u"Device ID: QV%2\nName: %4\nModel: %%1\nLockers: 0\nLocation: \nAddress: %1\n"
             "Description: \nStatus: "_s
                 + word);
}

void UiTest::devicePageShowsStoredDevice()
{
    TestHome home;
    const QString picture =
        QStringLiteral("<img src=\"front-door-photograph-of-the-cabinet.png\" width=\"1\">");
    QVERIFY(storeDevice(home, u"'QV8D2024003', '<b>Lobby</b>', 'Dorne', 8, '%4', '', '"_s + picture
                                  + u"', 1"_s));
    MainWindow w;
    QVERIFY(shown(w));

    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Device is active!"_s, u"Media data not set"_s}));
    auto *information = w.findChild<QLabel *>(u"label_device_information"_s);
    QCOMPARE(information->text(), u"Device ID: QV8D2024003\nName: <b>Lobby</b>\nModel: Dorne\n"
                                  "Lockers: 8\nLocation: %4\nAddress: \nDescription: "_s
                                      + picture + u"\nStatus: Active"_s);
    QCOMPARE(information->textFormat(), Qt::PlainText);
    QVERIFY(literalShortfall(information, u"Description: "_s + picture) <= 0);
    QVERIFY(w.findChild<QPushButton *>(u"delete_device_pushButton"_s)->isVisible());
    QVERIFY(!w.findChild<QPushButton *>(u"delete_device_pushButton_again"_s)->isVisible());
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Normal));
}

// Each press shows its own effect once; a handler run twice would leave a
// second toast line or a different message.
void UiTest::buttonsRunTheirHandlersOnce()
{
    TestHome home;
    QVERIFY(storeDevice(home, u"'QV8D2024003', '', '', 0, '', '', '', 0"_s));
    MainWindow w;
    QVERIFY(shown(w));
    auto *stack = w.findChild<QStackedWidget *>(u"stackedWidget"_s);
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Device inactive!"));

    w.findChild<QLineEdit *>(u"add_device_edit"_s)->setText(u"1234"_s);
    click(w, "add_device_pushButton");
    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u"Device inactive!"_s, u"Id bad format inserted!"_s}));

    click(w, "manual_pushButton");
    QCOMPARE(stack->currentWidget()->objectName(), u"pageManual"_s);

    QTest::keyClicks(w.findChild<QLineEdit *>(u"deviceName"_s), u"Lobby"_s);
    click(w, "active_device_pushButton");
    QCOMPARE(stack->currentWidget()->objectName(), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w), QStringList({u"Device inactive!"_s, u"Id bad format inserted!"_s,
                                           u"Locker db create! OK"_s, u"Lockers insert! OK"_s}));

    click(w, "media_device_pushButton");
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Lockers insert! OK"_s, u"Insert media data ok"_s}));

    auto *slider = w.findChild<QSlider *>(u"sound_level"_s);
    slider->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Loud));
    slider->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Muted));

    auto *remove = w.findChild<QPushButton *>(u"delete_device_pushButton"_s);
    auto *confirm = w.findChild<QPushButton *>(u"delete_device_pushButton_again"_s);
    QVERIFY(remove->isVisible() && !confirm->isVisible());
    click(w, "delete_device_pushButton");
    QVERIFY(!remove->isVisible() && confirm->isVisible());
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Insert media data ok"));

    click(w, "delete_device_pushButton_again");
    QCOMPARE(stack->currentWidget()->objectName(), u"pageAny"_s);
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({u"Insert media data ok"_s, u"All data deleted! restart app"_s}));
}

void UiTest::deletePairDeletesOnlyOnConfirmation()
{
    TestHome home;
    QVERIFY(storeDevice(home, u"'QV8B2024001', 'Brisa one', 'Brisa', 8, 'Hall A', '', '', 1"_s));
    QVERIFY(execSql(home.mediaStore(), QString(store::media::CreateSql)));
    QVERIFY(execSql(home.mediaStore(),
                    u"INSERT INTO media (id, dev_id, path_public_enable, "
                    "path_private_enable, path_local_enable, "
                    "sound_enable_level) VALUES (1, 'QV8B2024001', 1, 0, 1, 0)"_s));
    auto w = std::make_unique<MainWindow>();
    QVERIFY(shown(*w));
    QCOMPARE(toastLabels(w.get()).mid(2),
             QStringList({u"Device is active!"_s, u"Media data read ok"_s}));
    auto *stack = w->findChild<QStackedWidget *>(u"stackedWidget"_s);
    auto *remove = w->findChild<QPushButton *>(u"delete_device_pushButton"_s);
    auto *confirm = w->findChild<QPushButton *>(u"delete_device_pushButton_again"_s);

    const QByteArray mainBefore = fileBytes(home.mainStore());
    const QByteArray mediaBefore = fileBytes(home.mediaStore());
    QVERIFY(!mainBefore.isEmpty() && !mediaBefore.isEmpty());
    QTest::mouseClick(remove, Qt::LeftButton);
    QVERIFY(!remove->isVisible());
    QVERIFY(confirm->isVisible());
    QCOMPARE(fileBytes(home.mainStore()), mainBefore);
    QCOMPARE(fileBytes(home.mediaStore()), mediaBefore);
    QCOMPARE(stack->currentWidget()->objectName(), u"pageDevice"_s);
    QCOMPARE(toastLabels(w.get()).last(), QStringLiteral("Media data read ok"));

    QTest::mouseClick(confirm, Qt::LeftButton);
    QVERIFY(!QFile::exists(home.mainStore()));
    QVERIFY(!QFile::exists(home.mediaStore()));
    QVERIFY(QDir(home.root()).exists());
    QCOMPARE(toastLabels(w.get()).last(), QStringLiteral("All data deleted! restart app"));
    QCOMPARE(stack->currentWidget()->objectName(), u"pageAny"_s);

    // The next start finds an empty store.
    w.reset();
    MainWindow next;
    QCOMPARE(toastLabels(&next).last(), FirstRunToast);
    QCOMPARE(page(next), u"pageAddDevice"_s);
    QVERIFY(QFile::exists(home.mainStore()));
}

void UiTest::deleteThatFailsIsReported()
{
    TestHome home;
    QVERIFY(storeDevice(home, u"'QV8B2024001', 'Brisa one', 'Brisa', 8, '', '', '', 1"_s));
    // A folder in place of the Media store cannot be removed as a file.
    QVERIFY(QDir().mkpath(home.mediaStore()));
    QFile keep(home.mediaStore() + u"/keep"_s);
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();

    LogCapture log;
    MainWindow w;
    QVERIFY(shown(w));
    QVERIFY(log.contains(u"Media DB open error:"_s));
    QCOMPARE(page(w), u"pageDevice"_s);

    click(w, "delete_device_pushButton");
    click(w, "delete_device_pushButton_again");
    QCOMPARE(toastLabels(&w).last(),
             QStringLiteral("Data could not be deleted! Close other programs and try again"));
    QVERIFY(!toastLabels(&w).contains(u"All data deleted! restart app"_s));
    QVERIFY(!QFile::exists(home.mainStore()));
    QVERIFY(QFileInfo(home.mediaStore()).isDir());
    QCOMPARE(page(w), u"pageAny"_s);
}

void UiTest::screenshots()
{
    const QString folder = QCoreApplication::applicationDirPath() + u"/screenshots/"_s;
    QVERIFY(QDir().mkpath(folder));
    const auto save = [&](MainWindow &w, const QString &name) {
        const QString file = folder + name;
        QVERIFY(w.grab().save(file));
        const QImage saved(file);
        QCOMPARE(saved.size(), QSize(600, 600));
        // More than a blank fill: the toast, the frames and the texts differ in colour.
        QSet<QRgb> colours;
        for (int y = 0; y < saved.height(); y += 7)
            for (int x = 0; x < saved.width(); x += 7)
                colours.insert(saved.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(name));
    };
    {
        TestHome home;
        MainWindow w;
        QVERIFY(shown(w));
        QCOMPARE(page(w), u"pageAddDevice"_s);
        save(w, u"add-device.png"_s);
    }
    {
        TestHome home;
        QVERIFY(storeDevice(home, u"'QV16F2024005', 'Fjor cabinet', 'Fjor', 16, 'Hall B', "
                                  "'12 Quay Street', 'Front entrance', 1"_s));
        MainWindow w;
        QVERIFY(shown(w));
        QCOMPARE(page(w), u"pageDevice"_s);
        save(w, u"device.png"_s);
    }
}

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
