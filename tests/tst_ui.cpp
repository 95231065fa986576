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

using namespace testing;

namespace {

const QString FirstRunToast = QStringLiteral("Database Created! Insert printed serial number!");

QImage soundIcon(MainWindow &w)
{
    return pixels(w.findChild<QLabel *>("labelsoundicon")->pixmap().toImage());
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
                   "INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, "
                   "dev_location, dev_address, dev_description, dev_status) VALUES (1, "
                       + values + ")");
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
    const ToastLines full{"one", "two", "three", "four"};
    const auto lines = [](const ToastLines &t) {
        return QStringList{t.toastLine1, t.toastLine2, t.toastLine3, t.toastLine4};
    };
    QCOMPARE(lines(gui::pushToastMessage(full, "five", 0)),
             QStringList({"two", "three", "four", "five"}));
    QCOMPARE(lines(gui::pushToastMessage(full, "", 0)), QStringList({"two", "three", "four", ""}));
    for (int clear : {1, -1, 2, INT_MIN})
        QCOMPARE(lines(gui::pushToastMessage(full, "fresh", clear)),
                 QStringList({"", "", "", "fresh"}));
    QCOMPARE(lines(gui::pushToastMessage(ToastLines(), "first", 0)),
             QStringList({"", "", "", "first"}));
}

void UiTest::toastInWindow()
{
    TestHome home;
    QCOMPARE(Toast.toastLine1 + Toast.toastLine2 + Toast.toastLine3 + Toast.toastLine4, QString());
    MainWindow w;
    QCOMPARE(toastLabels(&w), QStringList({"", "", "", FirstRunToast}));

    for (const char *message : {"m1", "m2", "m3", "m4", "m5"})
        callToast(&w, message, 0);
    QCOMPARE(toastLabels(&w), QStringList({"m2", "m3", "m4", "m5"}));

    callToast(&w, "cleared", 1);
    QCOMPARE(toastLabels(&w), QStringList({"", "", "", "cleared"}));
    callToast(&w, "again", 0);
    callToast(&w, "negative clear", -4);
    QCOMPARE(toastLabels(&w), QStringList({"", "", "", "negative clear"}));

    callToast(&w, "a", 0);
    callToast(&w, "", 0);
    QCOMPARE(toastLabels(&w), QStringList({"", "negative clear", "a", ""}));
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

    auto *line3 = w.findChild<QLabel *>("labelToast3");
    auto *line4 = w.findChild<QLabel *>("labelToast4");
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
    auto *slider = w.findChild<QSlider *>("sound_level");
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
    info.dev_id = "QV16F2024005";
    info.dev_name = "Fjor cabinet";
    info.dev_model = "Fjor";
    info.dev_lockers = 16;
    info.dev_location = "Hall B";
    info.dev_address = "12 Quay Street";
    info.dev_description = "Front entrance";
    info.dev_status = status;
    QCOMPARE(activation::deviceInformationText(info),
             "Device ID: QV16F2024005\nName: Fjor cabinet\nModel: Fjor\nLockers: 16\n"
             "Location: Hall B\nAddress: 12 Quay Street\nDescription: Front entrance\nStatus: "
                 + word);

    // Empty fields leave the bare labels; markers inside fields stay as typed.
    info.dev_id = "QV%2";
    info.dev_name = "%4";
    info.dev_model = "%%1";
    info.dev_lockers = 0;
    info.dev_location.clear();
    info.dev_address = "%1";
    info.dev_description.clear();
    QCOMPARE(activation::deviceInformationText(info),
             "Device ID: QV%2\nName: %4\nModel: %%1\nLockers: 0\nLocation: \nAddress: %1\n"
             "Description: \nStatus: "
                 + word);
}

void UiTest::devicePageShowsStoredDevice()
{
    TestHome home;
    const QString picture =
        QStringLiteral("<img src=\"front-door-photograph-of-the-cabinet.png\" width=\"1\">");
    QVERIFY(storeDevice(home, "'QV8D2024003', '<b>Lobby</b>', 'Dorne', 8, '%4', '', '" + picture
                                  + "', 1"));
    MainWindow w;
    QVERIFY(shown(w));

    QCOMPARE(page(w), 1);
    QCOMPARE(toastLabels(&w).mid(2), QStringList({"Device is active!", "Media data not set"}));
    auto *information = w.findChild<QLabel *>("label_device_information");
    QCOMPARE(information->text(), "Device ID: QV8D2024003\nName: <b>Lobby</b>\nModel: Dorne\n"
                                  "Lockers: 8\nLocation: %4\nAddress: \nDescription: "
                                      + picture + "\nStatus: Active");
    QCOMPARE(information->textFormat(), Qt::PlainText);
    QVERIFY(literalShortfall(information, "Description: " + picture) <= 0);
    QVERIFY(w.findChild<QPushButton *>("delete_device_pushButton")->isVisible());
    QVERIFY(!w.findChild<QPushButton *>("delete_device_pushButton_again")->isVisible());
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Normal));
}

// Each press shows its own effect once; a handler run twice would leave a
// second toast line or a different message.
void UiTest::buttonsRunTheirHandlersOnce()
{
    TestHome home;
    QVERIFY(storeDevice(home, "'QV8D2024003', '', '', 0, '', '', '', 0"));
    MainWindow w;
    QVERIFY(shown(w));
    auto *stack = w.findChild<QStackedWidget *>("stackedWidget");
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Device inactive!"));

    w.findChild<QLineEdit *>("add_device_edit")->setText("1234");
    click(w, "add_device_pushButton");
    QCOMPARE(toastLabels(&w), QStringList({"", "", "Device inactive!", "Id bad format inserted!"}));

    click(w, "manual_pushButton");
    QCOMPARE(stack->currentIndex(), 3);

    QTest::keyClicks(w.findChild<QLineEdit *>("deviceName"), "Lobby");
    click(w, "active_device_pushButton");
    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(toastLabels(&w), QStringList({"Device inactive!", "Id bad format inserted!",
                                           "Locker db create! OK", "Lockers insert! OK"}));

    click(w, "media_device_pushButton");
    QCOMPARE(toastLabels(&w).mid(2), QStringList({"Lockers insert! OK", "Insert media data ok"}));

    auto *slider = w.findChild<QSlider *>("sound_level");
    slider->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Loud));
    slider->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(soundIcon(w), soundPicture(gui::SoundPicture::Muted));

    auto *remove = w.findChild<QPushButton *>("delete_device_pushButton");
    auto *confirm = w.findChild<QPushButton *>("delete_device_pushButton_again");
    QVERIFY(remove->isVisible() && !confirm->isVisible());
    click(w, "delete_device_pushButton");
    QVERIFY(!remove->isVisible() && confirm->isVisible());
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Insert media data ok"));

    click(w, "delete_device_pushButton_again");
    QCOMPARE(stack->currentIndex(), 2);
    QCOMPARE(toastLabels(&w).mid(2),
             QStringList({"Insert media data ok", "All data deleted! restart app"}));
}

void UiTest::deletePairDeletesOnlyOnConfirmation()
{
    TestHome home;
    QVERIFY(storeDevice(home, "'QV8B2024001', 'Brisa one', 'Brisa', 8, 'Hall A', '', '', 1"));
    QVERIFY(execSql(home.mediaStore(), QString(store::media::CreateSql)));
    QVERIFY(execSql(home.mediaStore(),
                    "INSERT INTO media (id, dev_id, path_public_enable, "
                    "path_private_enable, path_local_enable, "
                    "sound_enable_level) VALUES (1, 'QV8B2024001', 1, 0, 1, 0)"));
    auto w = std::make_unique<MainWindow>();
    QVERIFY(shown(*w));
    QCOMPARE(toastLabels(w.get()).mid(2), QStringList({"Device is active!", "Media data read ok"}));
    auto *stack = w->findChild<QStackedWidget *>("stackedWidget");
    auto *remove = w->findChild<QPushButton *>("delete_device_pushButton");
    auto *confirm = w->findChild<QPushButton *>("delete_device_pushButton_again");

    const QByteArray mainBefore = fileBytes(home.mainStore());
    const QByteArray mediaBefore = fileBytes(home.mediaStore());
    QVERIFY(!mainBefore.isEmpty() && !mediaBefore.isEmpty());
    QTest::mouseClick(remove, Qt::LeftButton);
    QVERIFY(!remove->isVisible());
    QVERIFY(confirm->isVisible());
    QCOMPARE(fileBytes(home.mainStore()), mainBefore);
    QCOMPARE(fileBytes(home.mediaStore()), mediaBefore);
    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(toastLabels(w.get()).last(), QStringLiteral("Media data read ok"));

    QTest::mouseClick(confirm, Qt::LeftButton);
    QVERIFY(!QFile::exists(home.mainStore()));
    QVERIFY(!QFile::exists(home.mediaStore()));
    QVERIFY(QDir(home.root()).exists());
    QCOMPARE(toastLabels(w.get()).last(), QStringLiteral("All data deleted! restart app"));
    QCOMPARE(stack->currentIndex(), 2);

    // The next start finds an empty store.
    w.reset();
    MainWindow next;
    QCOMPARE(toastLabels(&next).last(), FirstRunToast);
    QCOMPARE(page(next), 0);
    QVERIFY(QFile::exists(home.mainStore()));
}

void UiTest::deleteThatFailsIsReported()
{
    TestHome home;
    QVERIFY(storeDevice(home, "'QV8B2024001', 'Brisa one', 'Brisa', 8, '', '', '', 1"));
    // A folder in place of the Media store cannot be removed as a file.
    QVERIFY(QDir().mkpath(home.mediaStore()));
    QFile keep(home.mediaStore() + "/keep");
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();

    LogCapture log;
    MainWindow w;
    QVERIFY(shown(w));
    QVERIFY(log.contains("Media DB open error:"));
    QCOMPARE(page(w), 1);

    click(w, "delete_device_pushButton");
    click(w, "delete_device_pushButton_again");
    QCOMPARE(toastLabels(&w).last(),
             QStringLiteral("Data could not be deleted! Close other programs and try again"));
    QVERIFY(!toastLabels(&w).contains("All data deleted! restart app"));
    QVERIFY(!QFile::exists(home.mainStore()));
    QVERIFY(QFileInfo(home.mediaStore()).isDir());
    QCOMPARE(page(w), 2);
}

void UiTest::screenshots()
{
    const QString folder = QCoreApplication::applicationDirPath() + "/screenshots/";
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
        QCOMPARE(page(w), 0);
        save(w, "add-device.png");
    }
    {
        TestHome home;
        QVERIFY(storeDevice(home, "'QV16F2024005', 'Fjor cabinet', 'Fjor', 16, 'Hall B', "
                                  "'12 Quay Street', 'Front entrance', 1"));
        MainWindow w;
        QVERIFY(shown(w));
        QCOMPARE(page(w), 1);
        save(w, "device.png");
    }
}

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
