// Registration end to end: the operator types a serial into the real window,
// the reference directory server answers over loopback, and the tests look at
// the toast, the page, the SQLite files and the data root on disk.

#include "store/devicesetting.h"
#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

const QStringList ActivatedToasts{SavedToast, u"Locker db create! OK"_s, u"Lockers insert! OK"_s,
                                  u"Everything is OK"_s};

// The texts of a catalogue entry, derived from its ID.
QStringList fields(const QString &id, int lockers)
{
    return sampleFields(id, u"Name "_s + id, lockers);
}

QJsonObject device(const QString &id, int lockers, int status)
{
    return deviceEntry(fields(id, lockers), status);
}

QString serialOnlyRow(const QString &id)
{
    return QStringLiteral("1|%1|||0||||0").arg(id);
}

QStringList settingRows(const TestHome &home)
{
    return rows(home.mainStore(), store::deviceSetting::SelectSql + u" ORDER BY row"_s);
}

QStringList defaultSettingRows(const QString &timerSystem)
{
    return {u"1|08:30|16:00|24:60|24:60|13:00|21:30|24:60|24:60|Quorvin|47193025|||1|0|"_s
            + timerSystem};
}

// The folders under the home folder at any depth: the data root, its product
// folder and the device folders made, and nothing that escaped the data root.
QStringList folders(const TestHome &home)
{
    QStringList listing = treeListing(home.home());
    listing.removeIf([](const QString &entry) { return !entry.endsWith(u'/'); });
    return listing;
}

QStringList expectedFolders(const QStringList &deviceFolders = {})
{
    QStringList expected{u"QUORVIN/"_s, u"QUORVIN/Zelvatto/"_s};
    for (const QString &folder : deviceFolders)
        expected.append(u"QUORVIN/"_s + folder + u'/');
    expected.sort();
    return expected;
}

// An entry activated whole, with its timer text, and its folder made when its
// ID can name one.
void expectActivated(const TestHome &home, MainWindow &w, const QString &serial,
                     bool folderMade = true)
{
    expectActiveDevice(home, w, fields(serial, 8));
    QCOMPARE(settingRows(home), defaultSettingRows(u"07:00-19:00"_s));
    QCOMPARE(folders(home), expectedFolders(folderMade ? QStringList{serial} : QStringList()));
}

} // namespace

class TstRegistration : public WindowTest
{
    Q_OBJECT

private slots:
    void registration_data();
    void registration();
    void anotherSerialAfterNoActivation_data();
    void anotherSerialAfterNoActivation();
    void manualActivation_data();
    void manualActivation();
};

// The server finding these serials proves that the ID reached it intact; a
// device folder is made only for a serial that is one plain folder name.
void TstRegistration::registration_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<bool>("folderMade");

    const auto row = [](const char *name, const QString &serial, bool folderMade) {
        QTest::newRow(name) << serial << device(serial, 8, 1) << folderMade;
    };
    row("plain serial", u"QV16F2024005"_s, true);
    row("URL delimiters", u"AB&Id=X#1+%2"_s, true);
    row("percent escapes stay literal", u"QV%41%2F0001"_s, true);
    row("inner spaces", u"QV 16 F 2024"_s, true);
    row("climbing out of the data root", u"QV/../../evil01"_s, false);
    row("backslashes", uR"(QV\..\..\evil02)"_s, false);
    row("drive colon", u"C:QVEVIL0003"_s, false);
    // A noncharacter cannot cross a URL unchanged: the server sees one U+FFFD
    // per byte. Its answer is still the answer to this serial.
    const QString altered = u"QV"_s + QString::fromUcs4(U"\U000FFFFF") + u"000001"_s;
    QJsonObject entry = device(altered, 8, 1);
    entry.insert(u"dev_id"_s, u"QV\uFFFD\uFFFD\uFFFD\uFFFD000001"_s);
    QTest::newRow("serial the URL alters") << altered << entry << true;
}

void TstRegistration::registration()
{
    QFETCH(QString, serial);
    QFETCH(QJsonObject, entry);
    QFETCH(bool, folderMade);

    DirectoryServer server;
    QVERIFY(server.serve({entry}));
    LogCapture log;
    MainWindow &w = window();
    QCOMPARE(page(w), u"pageAddDevice"_s);

    // The serial and the default settings are stored before the answer comes.
    QStringList pending;
    QVERIFY(submitAndWait(w, serial, [&] {
        pending = QStringList{lastToast(w)} + storedDevices(home()) + settingRows(home());
    }));
    QCOMPARE(pending,
             (QStringList{SavedToast, serialOnlyRow(serial)} + defaultSettingRows(QString())));
    QCOMPARE(toastLabels(&w), ActivatedToasts);
    expectActivated(home(), w, serial, folderMade);
    const QString notMade = QStringLiteral("Device folder not made: \"%1\"")
                                .arg(QString(serial).replace(u"\\"_s, u"\\\\"_s));
    QCOMPARE(log.contains(notMade), !folderMade);
}

// An answer that activates nothing (a disabled cabinet; a locker count no
// cabinet has, whose activation is rolled back whole) leaves the store fit
// for the next serial, which replaces it in the same row.
void TstRegistration::anotherSerialAfterNoActivation_data()
{
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<QStringList>("toasts");
    QTest::addColumn<QString>("storedRow");
    QTest::addColumn<QString>("timerSystem");
    QTest::addColumn<QString>("logged");

    const QString first = u"QVFIRST00001"_s;
    QTest::newRow("disabled cabinet")
        << device(first, 8, 2) << QStringList{{}, FirstRunToast, SavedToast, u"Device inactive!"_s}
        << storedDeviceRow(fields(first, 8), 2) << u"07:00-19:00"_s
        << u"Update device_setting OK!"_s;
    QTest::newRow("locker count above limit")
        << device(first, 5000, 1)
        << QStringList{{}, FirstRunToast, SavedToast, u"Lockers db Error!"_s}
        << serialOnlyRow(first) << QString() << u"Locker count out of range: 5000"_s;
}

void TstRegistration::anotherSerialAfterNoActivation()
{
    QFETCH(QJsonObject, entry);
    QFETCH(QStringList, toasts);
    QFETCH(QString, storedRow);
    QFETCH(QString, timerSystem);
    QFETCH(QString, logged);

    const QString next = u"QVNEXT000002"_s;
    DirectoryServer server;
    QVERIFY(server.serve({entry, device(next, 8, 1)}));
    LogCapture log;
    MainWindow &w = window();

    QVERIFY(submitAndWait(w, entry.value(u"dev_id"_s).toString()));
    QCOMPARE(toastLabels(&w), toasts);
    QVERIFY(log.indexOf(logged) >= 0);
    QCOMPARE(storedDevices(home()), QStringList{storedRow});
    QCOMPARE(settingRows(home()), defaultSettingRows(timerSystem));
    QVERIFY(storedLockers(home()).isEmpty());
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(folders(home()), expectedFolders());

    QString pressToast;
    QStringList pending;
    QVERIFY(submitAndWait(w, next, [&] {
        pressToast = lastToast(w);
        pending = rows(home().mainStore(), u"SELECT id, dev_id, dev_status FROM device_info"_s);
    }));
    QCOMPARE(pressToast, u"ID Update, Try connect server!"_s);
    QCOMPARE(pending, QStringList{u"1|QVNEXT000002|0"_s});
    QCOMPARE(lastToast(w), u"Everything is OK"_s);
    expectActivated(home(), w, next);
}

void TstRegistration::manualActivation_data()
{
    QTest::addColumn<bool>("serialStored");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("lockers");

    QTest::newRow("Colm") << true << u"R2K07"_s << u"Colm"_s << 7;
    QTest::newRow("Fjor") << true << u"S3K16"_s << u"Fjor"_s << 16;
    QTest::newRow("no device row") << false << u"R2K07"_s << u"Colm"_s << 7;
}

void TstRegistration::manualActivation()
{
    QFETCH(bool, serialStored);
    QFETCH(QString, button);
    QFETCH(QString, model);
    QFETCH(int, lockers);

    ServerUrlOverride noServer;
    MainWindow &w = window();
    const QString serial = u"QVMANUAL0001"_s;
    if (serialStored)
        QVERIFY(submitAndWait(w, serial));
    const QStringList toastsBefore = toastLabels(&w);

    click(w, "manual_pushButton");
    QCOMPARE(page(w), u"pageManual"_s);
    auto *radio = widget<QRadioButton>(w, button.toLatin1().constData());
    QTest::mouseClick(radio, Qt::LeftButton);
    QVERIFY(radio->isChecked());
    QTest::keyClicks(widget<QLineEdit>(w, "deviceName"), u" Hall B "_s);
    click(w, "active_device_pushButton");

    if (!serialStored) {
        QCOMPARE(page(w), u"pageManual"_s);
        QCOMPARE(toastLabels(&w), toastsBefore);
        QVERIFY(storedDevices(home()).isEmpty());
        QVERIFY(storedLockers(home()).isEmpty());
        QCOMPARE(folders(home()), expectedFolders());
        return;
    }
    const QStringList shown{serial, u" Hall B "_s, model, QString::number(lockers), {}, {}, {}};
    expectActiveDevice(home(), w, shown);
    // Location, address and description are stored as empty texts, not NULL.
    QCOMPARE(rows(home().mainStore(),
                  u"SELECT dev_location IS NULL OR dev_address IS NULL OR dev_description IS NULL,"
                  " typeof(dev_location) FROM device_info"_s),
             QStringList{u"0|text"_s});
    QCOMPARE(folders(home()), expectedFolders({serial}));
    // Only the locker rebuild reports; the manual path has no toast of its own.
    QCOMPARE(toastLabels(&w), (QStringList{toastsBefore.at(2), toastsBefore.at(3),
                                           u"Locker db create! OK"_s, u"Lockers insert! OK"_s}));
}

QTEST_MAIN(TstRegistration)
#include "tst_registration.moc"
