// Store operations of the window, run through its slots on real store files
// and checked against what the files hold afterwards.

#include "support/testsupport.h"

#include "store/records.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

const QString Serial = QStringLiteral("QV8B2024001");

// deviceInfoUpdateTable with fixed texts, the given locker count and status 1.
bool updateDevice(MainWindow &w, int lockers)
{
    bool result = false;
    if (!QMetaObject::invokeMethod(
            &w, "deviceInfoUpdateTable", Qt::DirectConnection, Q_RETURN_ARG(bool, result),
            Q_ARG(QString, QStringLiteral("Brisa")), Q_ARG(QString, QStringLiteral("QV8")),
            Q_ARG(int, lockers), Q_ARG(QString, QStringLiteral("Hall \"A\"")),
            Q_ARG(QString, QStringLiteral("Main street 12")),
            Q_ARG(QString, QStringLiteral("Near the gate")), Q_ARG(int, 1)))
        qFatal("cannot invoke deviceInfoUpdateTable");
    return result;
}

// Stores the locker count (and status 1) in the device row and loads it.
bool setLockerCount(MainWindow &w, int count)
{
    return updateDevice(w, count) && callInt(&w, "deviceInfoReadTable") == 1
           && DeviceInfoRecord.dev_lockers == count;
}

QList<QVariantList> lockerRows(const TestHome &home)
{
    return queryRows(home.mainStore(),
                     QStringLiteral("SELECT locker_id, locker_mobile, locker_password, "
                                    "locker_icon, locker_nfc, locker_finger, locker_timestart, "
                                    "locker_timechange, locker_startmode, locker_endmode, "
                                    "locker_status FROM lockers ORDER BY row"));
}

QList<QVariantList> blankLockers(int count)
{
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({i, u""_s, u""_s, 0, u""_s, 0, u""_s, u""_s, u""_s, u""_s, 0});
    return rows;
}

QList<QVariantList> mediaRows(const TestHome &home)
{
    return queryRows(
        home.mediaStore(),
        QStringLiteral("SELECT id, dev_id, path_public_enable, path_private_enable, "
                       "path_local_enable, sound_enable_level FROM media ORDER BY row"));
}

void pressMediaSave(MainWindow &w)
{
    click(w, "media_device_pushButton");
}

QSlider *slider(MainWindow &w)
{
    return widget<QSlider>(w, "sound_level");
}

} // namespace

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void deviceInfoRead_data();
    void deviceInfoRead();
    void deviceInfoUpdatesThenRead();
    void deviceInfoWriteFailuresAreLogged();
    void deviceSettingDefaultsWithMaskedPassword();
    void deviceSettingReadFallbacks();
    void lockersRebuild_data();
    void lockersRebuild();
    void lockersReadCheck_data();
    void lockersReadCheck();
    void lockerCountLimits_data();
    void lockerCountLimits();
    void lockerWriteFailureKeepsPreviousSet_data();
    void lockerWriteFailureKeepsPreviousSet();
    void lockersDeleteTable();
    void mediaInsertThenUpdate();
    void mediaInsertBesideOtherRow();
    void mediaReadSetsSliderWithoutSignal();
    void mediaSaveFailure_data();
    void mediaSaveFailure();
    void mediaSurvivesRestart();
};

void tst_Store::deviceInfoRead_data()
{
    QTest::addColumn<QStringList>("rows"); // (id, dev_id, dev_name, dev_lockers, dev_status)
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("logLine");

    const QString line = QStringLiteral(
        "DevID: \"%1\" | Name: \"%2\" | Model: \"QV8\" | Lockers: %3 | Location: \" Hall \" | "
        "Address: \"Main street 12\" | Description: \"Near the gate\" | Status: %4");
    QTest::newRow("blank ID") << QStringList{u"1, '   ', 'Brisa', 8, 1"_s} << 1
                              << line.arg(u"UNKNOWNID"_s, u"Brisa"_s, u"8"_s, u"1"_s);
    QTest::newRow("empty ID") << QStringList{u"1, '', 'Brisa', 8, 1"_s} << 1
                              << line.arg(u"UNKNOWNID"_s, u"Brisa"_s, u"8"_s, u"1"_s);
    QTest::newRow("missing ID") << QStringList{u"1, NULL, 'Brisa', 8, 1"_s} << 1
                                << line.arg(u"UNKNOWNID"_s, u"Brisa"_s, u"8"_s, u"1"_s);
    QTest::newRow("only the ID is trimmed")
        << QStringList{u"1, '\tQV8B2024001  ', ' Brisa ', 8, 1"_s} << 1
        << line.arg(Serial, u" Brisa "_s, u"8"_s, u"1"_s);
    QTest::newRow("quotes escaped")
        << QStringList{u"1, 'QV8B2024001', 'Brisa \"North\"', 8, 1"_s} << 1
        << line.arg(Serial, u"Brisa \\\"North\\\""_s, u"8"_s, u"1"_s);
    QTest::newRow("other ids come first")
        << QStringList{u"2, 'QV8B2024002', 'Two', 16, 1"_s, u"0, 'QV8B2024000', 'Zero', 7, 1"_s,
                       u"1, 'QV8B2024001', 'Brisa', 8, 0"_s}
        << 1 << line.arg(Serial, u"Brisa"_s, u"8"_s, u"0"_s);
    QTest::newRow("first of two id-1 rows")
        << QStringList{u"1, 'QV8B2024001', 'Brisa', 8, 2"_s, u"1, 'QV8B2024009', 'Late', 16, 1"_s}
        << 1 << line.arg(Serial, u"Brisa"_s, u"8"_s, u"2"_s);
    QTest::newRow("numbers that are not numbers")
        << QStringList{u"1, 'QV8B2024001', 'Brisa', 'many', 'on'"_s} << 1
        << line.arg(Serial, u"Brisa"_s, u"0"_s, u"0"_s);
    QTest::newRow("no id-1 row") << QStringList{u"2, 'QV8B2024002', 'Two', 16, 1"_s} << 0
                                 << QString();
}

void tst_Store::deviceInfoRead()
{
    QFETCH(QStringList, rows);
    QFETCH(int, result);
    QFETCH(QString, logLine);

    TestHome home;
    MainWindow w;
    for (const QString &values : rows)
        QVERIFY(execSql(home.mainStore(),
                        QStringLiteral("INSERT INTO device_info (id, dev_id, dev_name, "
                                       "dev_lockers, dev_status, dev_model, dev_location, "
                                       "dev_address, dev_description) VALUES (%1, 'QV8', "
                                       "' Hall ', 'Main street 12', 'Near the gate')")
                            .arg(values)));

    LogCapture log;
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), result);
    const QStringList logged = linesStartingWith(log, QStringLiteral("DevID:"));
    if (logLine.isEmpty()) {
        QCOMPARE(logged, QStringList());
        QVERIFY(DeviceInfoRecord.dev_id.isEmpty()); // the record keeps its start values
        QCOMPARE(DeviceInfoRecord.dev_status, 0);
    } else {
        QCOMPARE(logged, QStringList{logLine});
        QCOMPARE(logLine.section(u' ', 1, 1), u'"' + DeviceInfoRecord.dev_id + u'"');
        QCOMPARE(DeviceInfoRecord.dev_location, QStringLiteral(" Hall "));
    }
}

void tst_Store::deviceInfoUpdatesThenRead()
{
    TestHome home;
    MainWindow w;
    // The add itself does not guard against a second id-1 row.
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QVERIFY(callBool(&w, "deviceInfoAddTable", QStringLiteral("QV7C2024002")));
    const QString rowsSql = QStringLiteral("SELECT id, dev_id, dev_name, dev_model, dev_lockers, "
                                           "dev_location, dev_address, dev_description, "
                                           "dev_status FROM device_info ORDER BY row");
    QCOMPARE(queryRows(home.mainStore(), rowsSql),
             QList<QVariantList>({{1, Serial, u""_s, u""_s, 0, u""_s, u""_s, u""_s, 0},
                                  {1, u"QV7C2024002"_s, u""_s, u""_s, 0, u""_s, u""_s, u""_s, 0}}));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    QCOMPARE(DeviceInfoRecord.dev_id, Serial);

    QVERIFY(updateDevice(w, 16));
    QCOMPARE(DeviceInfoRecord.dev_status, 0); // only a read refreshes the record
    LogCapture log;
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    QCOMPARE(log.lines().filter(u"DevID:"_s),
             QStringList{u"DevID: \"QV8B2024001\" | Name: \"Brisa\" | Model: \"QV8\" | Lockers: 16 "
                         "| Location: \"Hall \\\"A\\\"\" | Address: \"Main street 12\" | "
                         "Description: \"Near the gate\" | Status: 1"_s});
    QCOMPARE(DeviceInfoRecord.dev_lockers, 16);
    QCOMPARE(DeviceInfoRecord.dev_status, 1);

    QVERIFY(callBool(&w, "deviceInfoUpdateIDTable", QStringLiteral("QV16F2024005"), 0));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    QCOMPARE(DeviceInfoRecord.dev_id, QStringLiteral("QV16F2024005"));
    QCOMPARE(DeviceInfoRecord.dev_status, 0);
    // Both id-1 rows are changed by the updates.
    const QVariantList updated{1,  u"QV16F2024005"_s, u"Brisa"_s,          u"QV8"_s,
                               16, u"Hall \"A\""_s,   u"Main street 12"_s, u"Near the gate"_s,
                               0};
    QCOMPARE(queryRows(home.mainStore(), rowsSql), QList<QVariantList>({updated, updated}));
}

void tst_Store::deviceInfoWriteFailuresAreLogged()
{
    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    QVERIFY(execSql(home.mainStore(), QStringLiteral("DROP TABLE device_info")));

    LogCapture log;
    QVERIFY(!updateDevice(w, 8));
    QVERIFY(!callBool(&w, "deviceInfoUpdateIDTable", QStringLiteral("QV7C2024002"), 0));
    QVERIFY(!callBool(&w, "deviceInfoAddTable", QStringLiteral("QV7C2024002")));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 0);

    // Each failure is one line: the label, then the store's own error text.
    const QStringList updateErrors = linesStartingWith(log, QStringLiteral("Update error: \""));
    const QStringList insertErrors = linesStartingWith(log, QStringLiteral("Insert error: \""));
    QCOMPARE(updateErrors.size(), 2);
    QCOMPARE(insertErrors.size(), 1);
    for (const QString &line : updateErrors + insertErrors)
        QVERIFY2(line.contains(u"no such table: device_info"_s), qPrintable(line));
    QCOMPARE(DeviceInfoRecord.dev_id, Serial);
}

void tst_Store::deviceSettingDefaultsWithMaskedPassword()
{
    TestHome home;
    MainWindow w;
    LogCapture log;
    QVERIFY(callBool(&w, "deviceSettingAddTable"));
    QCOMPARE(queryRows(home.mainStore(), u"SELECT * FROM device_setting"_s),
             QList<QVariantList>({{1, 1, u"08:30"_s, u"16:00"_s, u"24:60"_s, u"24:60"_s, u"13:00"_s,
                                   u"21:30"_s, u"24:60"_s, u"24:60"_s, u"Quorvin"_s, u"47193025"_s,
                                   u""_s, u""_s, 1, 0, u""_s}}));

    QCOMPARE(callInt(&w, "deviceSettingReadTable"), 1);
    QCOMPARE(DeviceSettingRecord.wifi_pass, QStringLiteral("47193025")); // masked only in the log
    QCOMPARE(linesStartingWith(log, QStringLiteral("dev_timer1on:")),
             QStringList{u"dev_timer1on: \"08:30\" | dev_timer2on: \"16:00\" | dev_timer3on: "
                         "\"24:60\" | dev_timer4on: \"24:60\" | dev_timer1off: \"13:00\" | "
                         "dev_timer2off: \"21:30\" | dev_timer3off: \"24:60\" | dev_timer4off: "
                         "\"24:60\" | dev_wifi_ssid: \"Quorvin\" | dev_wifi_pass: \"********\" | "
                         "dev_cam1_ip: \"\" | dev_cam2_ip: \"\" | cam1_enabled: 1 | "
                         "cam2_enabled: 0 | dev_timer_system: \"\""_s});
    QVERIFY(!log.contains(QStringLiteral("47193025")));
}

void tst_Store::deviceSettingReadFallbacks()
{
    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceSettingAddTable"));
    QVERIFY(callBool(&w, "deviceSettingAddTable"));
    QVERIFY(execSql(home.mainStore(), u"UPDATE device_setting SET wifi_ssid='First', "
                                      "cam1enable='yes' WHERE row=1"_s));
    QCOMPARE(callInt(&w, "deviceSettingReadTable"), 1);
    QCOMPARE(DeviceSettingRecord.wifi_ssid, QStringLiteral("First"));
    QCOMPARE(DeviceSettingRecord.cam1enable, 0);

    // Without an id-1 row the read fails and the record keeps what it held.
    QVERIFY(execSql(home.mainStore(), u"DELETE FROM device_setting"_s));
    QCOMPARE(callInt(&w, "deviceSettingReadTable"), 0);
    QVERIFY(
        execSql(home.mainStore(), u"INSERT INTO device_setting (id, wifi_ssid) VALUES (2, 'X')"_s));
    QCOMPARE(callInt(&w, "deviceSettingReadTable"), 0);
    QCOMPARE(DeviceSettingRecord.wifi_ssid, QStringLiteral("First"));
    QCOMPARE(DeviceSettingRecord.timer1On, QStringLiteral("08:30"));
}

void tst_Store::lockersRebuild_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("empty table") << 0 << 8 << false;
    QTest::newRow("complete set") << 8 << 8 << true;
    QTest::newRow("count grew") << 8 << 16 << true;
    QTest::newRow("count shrank") << 16 << 8 << true;
}

void tst_Store::lockersRebuild()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, cleared);

    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    if (before > 0) {
        QVERIFY(setLockerCount(w, before));
        QCOMPARE(callInt(&w, "createDatabase"), 1);
        QVERIFY(execSql(home.mainStore(), u"UPDATE lockers SET locker_mobile='09120000000', "
                                          "locker_status=3 WHERE locker_id=3"_s));
    }
    QVERIFY(setLockerCount(w, after));
    clearToast(w);

    LogCapture log;
    QCOMPARE(callInt(&w, "createDatabase"), 1);
    const QStringList expectedToast =
        cleared ? QStringList{u""_s, u"All Locker cleared!"_s, u"Locker db create! OK"_s,
                              u"Lockers insert! OK"_s}
                : QStringList{u""_s, u""_s, u"Locker db create! OK"_s, u"Lockers insert! OK"_s};
    QCOMPARE(toastLabels(&w), expectedToast);
    QCOMPARE(lockerRows(home), blankLockers(after));
    const QStringList logged = linesStartingWith(log, QStringLiteral("locker_id:"));
    QVERIFY(logged.contains(
        u"locker_id: 1 | locker_mobile: \"\" | locker_password: \"\" | locker_icon: 0 | "
        "locker_nfc: \"\" | locker_finger: 0 | locker_timestart: \"\" | locker_timechange: \"\" | "
        "locker_startmode: \"\" | locker_endmode: \"\" | locker_status: 0"_s));
    QCOMPARE(LockerRecord.locker_id, after);
}

void tst_Store::lockersReadCheck_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("stored"); // locker_id of each row, in row order
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<int>>("logged");

    QTest::newRow("all eight") << 8 << QList<int>{8, 1, 2, 3, 4, 5, 6, 7} << 1
                               << QList<int>{8, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("seven of eight")
        << 8 << QList<int>{1, 2, 3, 4, 5, 6, 7} << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("out of range rows ignored")
        << 8 << QList<int>{0, 1, 2, 3, 4, -3, 5, 6, 7, 8, 9, 100} << 1
        << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("out of range only") << 3 << QList<int>{0, -1, 4} << 0 << QList<int>{};
    QTest::newRow("duplicate fills no gap") << 3 << QList<int>{1, 1, 2} << 0 << QList<int>{1, 1, 2};
    QTest::newRow("no lockers") << 0 << QList<int>{1, 2} << 0 << QList<int>{};
}

void tst_Store::lockersReadCheck()
{
    QFETCH(int, count);
    QFETCH(QList<int>, stored);
    QFETCH(int, result);
    QFETCH(QList<int>, logged);

    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QVERIFY(setLockerCount(w, count));
    for (int id : stored)
        QVERIFY(execSql(home.mainStore(),
                        QStringLiteral("INSERT INTO lockers (locker_id, locker_mobile, "
                                       "locker_icon) VALUES (%1, 'mobile %1', %1)")
                            .arg(id)));

    LogCapture log;
    QCOMPARE(callInt(&w, "lockersReadTable"), result);
    QList<int> loggedIds;
    for (const QString &line : linesStartingWith(log, QStringLiteral("locker_id:")))
        loggedIds.append(line.section(u' ', 1, 1).toInt());
    QCOMPARE(loggedIds, logged);
    if (!logged.isEmpty()) { // the record holds the last row accepted
        QCOMPARE(LockerRecord.locker_id, logged.last());
        QCOMPARE(LockerRecord.locker_mobile, QStringLiteral("mobile %1").arg(logged.last()));
        QCOMPARE(LockerRecord.locker_icon, logged.last());
    }
}

void tst_Store::lockerCountLimits_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("rowsAfter");

    // Each case starts from a complete set of 8 except "no lockers".
    QTest::newRow("no lockers") << 0 << 0 << 0;
    QTest::newRow("largest count") << 1024 << 1 << 1024;
    QTest::newRow("one too many") << 1025 << 0 << 8;
    QTest::newRow("server sends 5000") << 5000 << 0 << 8;
}

void tst_Store::lockerCountLimits()
{
    QFETCH(int, count);
    QFETCH(int, result);
    QFETCH(int, rowsAfter);

    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    if (count > 0) {
        QVERIFY(setLockerCount(w, 8));
        QCOMPARE(callInt(&w, "createDatabase"), 1);
    }
    QVERIFY(setLockerCount(w, count));
    clearToast(w);

    LogCapture log;
    QCOMPARE(callInt(&w, "createDatabase"), result);
    QCOMPARE(lockerRows(home), blankLockers(rowsAfter));
    if (count <= 1024) {
        QCOMPARE(toastLabels(&w),
                 QStringList({u""_s, count > 0 ? u"All Locker cleared!"_s : u""_s,
                              u"Locker db create! OK"_s, u"Lockers insert! OK"_s}));
        QCOMPARE(linesStartingWith(log, u"Locker count out of range:"_s), QStringList());
    } else {
        // Refused before anything is read, shown or written.
        QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u""_s}));
        QCOMPARE(log.lines(),
                 QStringList{QStringLiteral("Locker count out of range: %1").arg(count)});
        QCOMPARE(callInt(&w, "lockersReadTable"), 0);
        QVERIFY(!callBool(&w, "lockerInsertTable"));
        QCOMPARE(lockerRows(home), blankLockers(8));
    }
}

void tst_Store::lockerWriteFailureKeepsPreviousSet_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("errorLabel");
    QTest::addColumn<QString>("errorText");

    QTest::newRow("locker 5 refused")
        << "CREATE TRIGGER fail5 BEFORE INSERT ON lockers WHEN NEW.locker_id = 5 "
           "BEGIN SELECT RAISE(ABORT, 'locker 5 refused'); END"
        << "Insert locker error:"
        << "locker 5 refused";
    QTest::newRow("delete refused") << "CREATE TRIGGER keep BEFORE DELETE ON lockers "
                                       "BEGIN SELECT RAISE(ABORT, 'delete refused'); END"
                                    << "Delete lockers error:"
                                    << "delete refused";
}

void tst_Store::lockerWriteFailureKeepsPreviousSet()
{
    QFETCH(QString, trigger);
    QFETCH(QString, errorLabel);
    QFETCH(QString, errorText);

    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QVERIFY(setLockerCount(w, 8));
    QCOMPARE(callInt(&w, "createDatabase"), 1);
    QVERIFY(execSql(home.mainStore(), u"UPDATE lockers SET locker_mobile='09120000000', "
                                      "locker_status=3 WHERE locker_id=3"_s));
    const QString everything = QStringLiteral("SELECT * FROM lockers ORDER BY row");
    const QList<QVariantList> previous = queryRows(home.mainStore(), everything);
    QVERIFY(execSql(home.mainStore(), trigger));
    clearToast(w);

    LogCapture log;
    QCOMPARE(callInt(&w, "createDatabase"), 0);
    const QStringList errors = linesStartingWith(log, errorLabel);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.at(0).contains(errorText), qPrintable(errors.at(0)));
    // Nothing was cleared: the rebuild was taken back whole.
    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u""_s, u"Locker db create! OK"_s}));
    QCOMPARE(queryRows(home.mainStore(), everything), previous);

    // No transaction is left open: once the obstacle is gone the set is rebuilt.
    QVERIFY(execSql(home.mainStore(), u"DROP TRIGGER "_s + trigger.section(u' ', 2, 2)));
    QCOMPARE(callInt(&w, "createDatabase"), 1);
    QCOMPARE(lockerRows(home), blankLockers(8));
}

void tst_Store::lockersDeleteTable()
{
    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "LockersDeleteTable")); // empty table
    QVERIFY(execSql(home.mainStore(), u"INSERT INTO lockers (locker_id) VALUES (1), (2), (2)"_s));
    QVERIFY(callBool(&w, "LockersDeleteTable"));
    QCOMPARE(lockerRows(home), QList<QVariantList>());
    QVERIFY(execSql(home.mainStore(), u"DROP TABLE lockers"_s));
    QVERIFY(!callBool(&w, "LockersDeleteTable"));
}

void tst_Store::mediaInsertThenUpdate()
{
    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    clearToast(w);

    LogCapture log;
    pressMediaSave(w);
    QCOMPARE(mediaRows(home), QList<QVariantList>({{1, Serial, 1, 1, 0, 50}}));
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"Insert media data ok"_s}));
    QCOMPARE(widget<QLabel>(w, "labeldevpath")->text(), Serial);
    QVERIFY(boxChecked(w, "media1"));
    QVERIFY(boxChecked(w, "media2"));
    QVERIFY(!boxChecked(w, "media3"));
    QCOMPARE(slider(w)->value(), 50);
    QCOMPARE(linesStartingWith(log, u"path_public_enable:"_s),
             QStringList{u"path_public_enable: 1 | path_private_enable: 1 | path_local_enable: 0 | "
                         "soundEnableLevel: 50 | dev_id: \"QV8B2024001\""_s});

    widget<QCheckBox>(w, "media1")->setChecked(false);
    slider(w)->setValue(20);
    pressMediaSave(w);
    QCOMPARE(mediaRows(home), QList<QVariantList>({{1, Serial, 0, 1, 0, 20}}));
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Update media data ok"));
    QVERIFY(!boxChecked(w, "media1"));
    QVERIFY(boxChecked(w, "media2"));
    QCOMPARE(slider(w)->value(), 20);
}

void tst_Store::mediaInsertBesideOtherRow()
{
    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", QStringLiteral("   ")));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    QVERIFY(execSql(home.mediaStore(), QString(store::media::CreateSql)));
    QVERIFY(
        execSql(home.mediaStore(), u"INSERT INTO media VALUES (NULL, 2, 'OTHER', 0, 0, 1, 10)"_s));

    pressMediaSave(w);
    QCOMPARE(mediaRows(home),
             QList<QVariantList>({{2, u"OTHER"_s, 0, 0, 1, 10}, {1, u"UNKNOWNID"_s, 1, 1, 0, 50}}));
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Insert media data ok"));
    QCOMPARE(widget<QLabel>(w, "labeldevpath")->text(), QStringLiteral("UNKNOWNID"));
}

void tst_Store::mediaReadSetsSliderWithoutSignal()
{
    TestHome home;
    MainWindow w;
    QVERIFY(execSql(home.mediaStore(), QString(store::media::CreateSql)));
    QVERIFY(execSql(home.mediaStore(),
                    u"INSERT INTO media VALUES (NULL, 1, '  QV8B2024001 ', 0, 1, 1, 150)"_s));
    QSignalSpy spy(slider(w), &QSlider::valueChanged);
    QCOMPARE(slider(w)->value(), 50);

    QCOMPARE(callInt(&w, "mediaPathReadTable"), 1);
    QCOMPARE(slider(w)->value(), 99);
    QVERIFY(soundIconIs(w, gui::SoundPicture::Loud));
    QCOMPARE(spy.count(), 0);
    QVERIFY(!slider(w)->signalsBlocked());
    QCOMPARE(MediaRecord.dev_id, Serial);
    QCOMPARE(MediaRecord.sound_enable_level, 150);
    // The read leaves the boxes and the label to its callers.
    QVERIFY(boxChecked(w, "media1"));
    QVERIFY(!boxChecked(w, "media3"));
    QVERIFY(widget<QLabel>(w, "labeldevpath")->text().isEmpty());

    // A slider that was blocked before stays blocked.
    slider(w)->blockSignals(true);
    QVERIFY(execSql(home.mediaStore(), u"UPDATE media SET sound_enable_level=0"_s));
    QCOMPARE(callInt(&w, "mediaPathReadTable"), 1);
    QVERIFY(slider(w)->signalsBlocked());
    QCOMPARE(slider(w)->value(), 0);
    QVERIFY(soundIconIs(w, gui::SoundPicture::Muted));
}

void tst_Store::mediaSaveFailure_data()
{
    QTest::addColumn<bool>("savedBefore");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QList<QVariantList>>("rows");
    QTest::addColumn<bool>("media1");
    QTest::addColumn<int>("level");

    // After the refusal the widgets show what the store (or the record) holds.
    QTest::newRow("update refused")
        << true
        << "CREATE TRIGGER refuse BEFORE UPDATE ON media BEGIN SELECT RAISE(ABORT, 'no'); END"
        << QList<QVariantList>{{1, Serial, 1, 1, 0, 50}} << true << 50;
    QTest::newRow("insert refused")
        << false
        << "CREATE TRIGGER refuse BEFORE INSERT ON media BEGIN SELECT RAISE(ABORT, 'no'); END"
        << QList<QVariantList>{} << false << 0;
}

void tst_Store::mediaSaveFailure()
{
    QFETCH(bool, savedBefore);
    QFETCH(QString, trigger);
    QFETCH(QList<QVariantList>, rows);
    QFETCH(bool, media1);
    QFETCH(int, level);

    TestHome home;
    MainWindow w;
    QVERIFY(callBool(&w, "deviceInfoAddTable", Serial));
    QCOMPARE(callInt(&w, "deviceInfoReadTable"), 1);
    if (savedBefore)
        pressMediaSave(w);
    else
        QVERIFY(execSql(home.mediaStore(), QString(store::media::CreateSql)));
    QVERIFY(execSql(home.mediaStore(), trigger));
    widget<QCheckBox>(w, "media1")->setChecked(!media1);
    slider(w)->setValue(20);
    clearToast(w);

    pressMediaSave(w);
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"Media data not saved!"_s}));
    QCOMPARE(mediaRows(home), rows);
    QCOMPARE(boxChecked(w, "media1"), media1);
    QCOMPARE(slider(w)->value(), level);
}

void tst_Store::mediaSurvivesRestart()
{
    TestHome home;
    auto first = std::make_unique<MainWindow>();
    QVERIFY(callBool(first.get(), "deviceInfoAddTable", Serial));
    QVERIFY(setLockerCount(*first, 8)); // status 1: the next start shows the device page
    widget<QCheckBox>(*first, "media1")->setChecked(false);
    widget<QCheckBox>(*first, "media3")->setChecked(true);
    slider(*first)->setValue(0);
    pressMediaSave(*first);
    QCOMPARE(toastLabels(first.get()).last(), QStringLiteral("Insert media data ok"));
    first.reset();

    MainWindow second;
    QCOMPARE(toastLabels(&second).mid(2),
             QStringList({u"Device is active!"_s, u"Media data read ok"_s}));
    QCOMPARE(page(second), u"pageDevice"_s);
    QCOMPARE(widget<QLabel>(second, "labeldevpath")->text(), Serial);
    QVERIFY(!boxChecked(second, "media1"));
    QVERIFY(boxChecked(second, "media2"));
    QVERIFY(boxChecked(second, "media3"));
    QCOMPARE(slider(second)->value(), 0);
    QVERIFY(soundIconIs(second, gui::SoundPicture::Muted));
}

QTEST_MAIN(tst_Store)
#include "tst_store.moc"
