// The store layer on its own: the table functions, statements and units of
// store/ on a real SQLite file in a temporary home, through a connection of
// the test's own and without a window. What reached the file is read back
// through yet another connection.

#include "support/testsupport.h"

#include "store/log.h"
#include "store/records.h"
#include "store/transaction.h"

#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

const QString ConnectionName = u"tst_store"_s;
const store::Transaction::Labels Labels{"Begin error:", "Commit error:"};

using Write = std::function<store::Result(const QSqlDatabase &)>;
enum class UnitEnd { Commit, Rollback, Scope };

// The log line of a failed write: its label, then the store's own text.
QString failureLine(const QString &label, const QString &error)
{
    return label + u" \""_s + error + u'"';
}

void end(store::Transaction &unit, UnitEnd how)
{
    if (how == UnitEnd::Commit)
        QVERIFY(unit.commit());
    else if (how == UnitEnd::Rollback)
        unit.rollback();
}

// Another program in the middle of reading the store: until it is done, no
// writer can commit.
struct Reader
{
    explicit Reader(const QString &file) : db(QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s))
    {
        db.setDatabaseName(file);
        QSqlQuery query(db);
        reading = db.open() && query.exec(u"BEGIN"_s)
                  && query.exec(u"SELECT * FROM sqlite_master"_s) && query.next();
    }
    ~Reader()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"reader"_s);
    }
    QSqlDatabase db;
    bool reading = false;
};

} // namespace

Q_DECLARE_METATYPE(Write)
Q_DECLARE_METATYPE(UnitEnd)

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void deviceInfoRead_data();
    void deviceInfoRead();
    void deviceInfoWrites();
    void writeFailuresCarryStoreText_data();
    void writeFailuresCarryStoreText();
    void statementBindsTexts();
    void deviceSettings();
    void lockerSetCheck_data();
    void lockerSetCheck();
    void lockerNumbersAsStored();
    void lockerSetReplace_data();
    void lockerSetReplace();
    void lockerSetReplaceFailure_data();
    void lockerSetReplaceFailure();
    void media();
    void transactionNesting_data();
    void transactionNesting();
    void logLineAsDebugStream_data();
    void logLineAsDebugStream();

private:
    StoreSeed seed() const { return StoreSeed(*m_home); }
    QStringList stored(const QString &select) const { return rows(m_home->mainStore(), select); }
    bool exec(const QString &sql) { return QSqlQuery(m_db).exec(sql); }

    std::unique_ptr<TestHome> m_home;
    QSqlDatabase m_db;
};

// Every table lives in one file here; the store functions do not care which.
void tst_Store::init()
{
    m_home = std::make_unique<TestHome>();
    QVERIFY(QDir().mkpath(m_home->root()));
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, ConnectionName);
    m_db.setDatabaseName(m_home->mainStore());
    m_db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=100"_s);
    QVERIFY(m_db.open());
    for (const auto &create :
         {store::deviceInfo::create, store::deviceSetting::create, store::lockers::create,
          store::process::create, store::media::create})
        QVERIFY(create(m_db).done);
}

void tst_Store::cleanup()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(ConnectionName);
    m_home.reset();
}

void tst_Store::deviceInfoRead_data()
{
    QTest::addColumn<QStringList>("rows"); // (id, dev_id, dev_name, dev_lockers, dev_status)
    QTest::addColumn<QString>("logLine");  // empty: no row is found

    const QString line = QStringLiteral(
        "DevID: \"%1\" | Name: \"%2\" | Model: \"QV8\" | Lockers: %3 | Location: \" Hall \" | "
        "Address: \"Main street 12\" | Description: \"Near the gate\" | Status: %4");
    const QString unknownId = line.arg(u"UNKNOWNID"_s, u"Brisa"_s, u"8"_s, u"1"_s);
    QTest::newRow("blank ID") << QStringList{u"1, '   ', 'Brisa', 8, 1"_s} << unknownId;
    QTest::newRow("empty ID") << QStringList{u"1, '', 'Brisa', 8, 1"_s} << unknownId;
    QTest::newRow("missing ID") << QStringList{u"1, NULL, 'Brisa', 8, 1"_s} << unknownId;
    QTest::newRow("only the ID is trimmed")
        << QStringList{u"1, '\tQV8B2024001  ', ' Brisa ', 8, 1"_s}
        << line.arg(SampleSerial, u" Brisa "_s, u"8"_s, u"1"_s);
    QTest::newRow("quotes escaped")
        << QStringList{u"1, 'QV8B2024001', 'Brisa \"North\"', 8, 1"_s}
        << line.arg(SampleSerial, u"Brisa \\\"North\\\""_s, u"8"_s, u"1"_s);
    QTest::newRow("other ids come first")
        << QStringList{u"2, 'QV8B2024002', 'Two', 16, 1"_s, u"0, 'QV8B2024000', 'Zero', 7, 1"_s,
                       u"1, 'QV8B2024001', 'Brisa', 8, 0"_s}
        << line.arg(SampleSerial, u"Brisa"_s, u"8"_s, u"0"_s);
    QTest::newRow("first of two id-1 rows")
        << QStringList{u"1, 'QV8B2024001', 'Brisa', 8, 2"_s, u"1, 'QV8B2024009', 'Late', 16, 1"_s}
        << line.arg(SampleSerial, u"Brisa"_s, u"8"_s, u"2"_s);
    QTest::newRow("numbers that are not numbers")
        << QStringList{u"1, 'QV8B2024001', 'Brisa', 'many', 'on'"_s}
        << line.arg(SampleSerial, u"Brisa"_s, u"0"_s, u"0"_s);
    QTest::newRow("no id-1 row") << QStringList{u"2, 'QV8B2024002', 'Two', 16, 1"_s} << QString();
}

void tst_Store::deviceInfoRead()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, logLine);
    for (const QString &values : rows)
        QVERIFY(
            seed()
                .mainSql(
                    u"INSERT INTO device_info (id, dev_id, dev_name, dev_lockers, "
                    "dev_status, dev_model, dev_location, dev_address, dev_description) "
                    "VALUES (%1, 'QV8', ' Hall ', 'Main street 12', 'Near the gate')"_s.arg(values))
                .ok());

    LogCapture log;
    const std::optional<DeviceInfo> info = store::deviceInfo::read(m_db);
    QCOMPARE(info.has_value(), !logLine.isEmpty());
    QVERIFY(store::deviceInfo::exists(m_db) == std::optional<bool>(info.has_value()));
    if (info)
        store::deviceInfo::log(*info);
    QCOMPARE(log.lines(), logLine.isEmpty() ? QStringList() : QStringList{logLine});
}

// Inserts do not guard against a second id-1 row; updates change every one.
void tst_Store::deviceInfoWrites()
{
    const QString select = u"SELECT * FROM device_info ORDER BY row"_s;
    QVERIFY(store::deviceInfo::insert(m_db, SampleSerial));
    QVERIFY(store::deviceInfo::insert(m_db, u"QV7C2024002"_s));
    QCOMPARE(stored(select),
             QStringList({u"1|1|QV8B2024001|||0||||0"_s, u"2|1|QV7C2024002|||0||||0"_s}));
    QCOMPARE(store::deviceInfo::read(m_db)->dev_id, SampleSerial);

    QVERIFY(store::deviceInfo::update(m_db, {u"Brisa"_s, u"QV8"_s, 16, u"Hall \"A\""_s,
                                             u"Main street 12"_s, u"Near the gate"_s, 1}));
    QVERIFY(store::deviceInfo::updateId(m_db, u"QV16F2024005"_s, 0));
    const QString updated =
        u"|1|QV16F2024005|Brisa|QV8|16|Hall \"A\"|Main street 12|Near the gate|0"_s;
    QCOMPARE(stored(select), QStringList({u"1"_s + updated, u"2"_s + updated}));
}

void tst_Store::writeFailuresCarryStoreText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("label");
    QTest::addColumn<Write>("write");

    QTest::newRow("device insert")
        << u"device_info"_s << u"Insert error:"_s
        << Write([](auto &db) { return store::deviceInfo::insert(db, SampleSerial); });
    QTest::newRow("device ID update")
        << u"device_info"_s << u"Update error:"_s
        << Write([](auto &db) { return store::deviceInfo::updateId(db, SampleSerial, 0); });
    QTest::newRow("device update")
        << u"device_info"_s << u"Update error:"_s
        << Write([](auto &db) { return store::deviceInfo::update(db, {}); });
    QTest::newRow("settings defaults")
        << u"device_setting"_s << u"Insert error:"_s << Write(store::deviceSetting::insertDefaults);
    QTest::newRow("timer system") << u"device_setting"_s << u"Update device_setting error:"_s
                                  << Write([](auto &db) {
                                         return store::deviceSetting::updateTimerSystem(db, {});
                                     });
}

// A statement the store refuses to prepare is not run: the failure carries
// the store's own text (run anyway, it would be a parameter count mismatch).
void tst_Store::writeFailuresCarryStoreText()
{
    QFETCH(QString, table);
    QFETCH(QString, label);
    QFETCH(Write, write);
    QVERIFY(exec(u"DROP TABLE "_s + table));

    LogCapture log;
    const store::Result result = write(m_db);
    QVERIFY(!result.done);
    QVERIFY2(result.error.startsWith(u"no such table: "_s + table), qPrintable(result.error));
    QCOMPARE(log.lines(), QStringList{failureLine(label, result.error)});
}

// One prepared statement runs as often as needed; an absent text is stored as
// the empty text, never as NULL.
void tst_Store::statementBindsTexts()
{
    store::Statement insert(m_db, u"INSERT INTO process (operation, description) VALUES (?, ?)"_s);
    QVERIFY(insert.run({1, u"first"_s}));
    QVERIFY(insert.run({2, QString()}));
    QCOMPARE(stored(u"SELECT operation, quote(description) FROM process ORDER BY row"_s),
             QStringList({u"1|'first'"_s, u"2|''"_s}));
}

// Defaults, the masked password, the first of two id-1 rows, non-numbers as 0.
void tst_Store::deviceSettings()
{
    QVERIFY(store::deviceSetting::insertDefaults(m_db));
    QVERIFY(store::deviceSetting::insertDefaults(m_db));
    const QString defaults =
        u"|1|08:30|16:00|24:60|24:60|13:00|21:30|24:60|24:60|Quorvin|47193025|||1|0|"_s;
    QCOMPARE(stored(u"SELECT * FROM device_setting ORDER BY row"_s),
             QStringList({u"1"_s + defaults, u"2"_s + defaults}));

    LogCapture log;
    const std::optional<DeviceSetting> setting = store::deviceSetting::read(m_db);
    QVERIFY(setting);
    QCOMPARE(setting->wifi_pass, u"47193025"_s); // masked only in the log
    store::deviceSetting::log(*setting);
    QCOMPARE(log.lines(),
             QStringList{u"dev_timer1on: \"08:30\" | dev_timer2on: \"16:00\" | dev_timer3on: "
                         "\"24:60\" | dev_timer4on: \"24:60\" | dev_timer1off: \"13:00\" | "
                         "dev_timer2off: \"21:30\" | dev_timer3off: \"24:60\" | dev_timer4off: "
                         "\"24:60\" | dev_wifi_ssid: \"Quorvin\" | dev_wifi_pass: \"********\" | "
                         "dev_cam1_ip: \"\" | dev_cam2_ip: \"\" | cam1_enabled: 1 | "
                         "cam2_enabled: 0 | dev_timer_system: \"\""_s});

    QVERIFY(store::deviceSetting::updateTimerSystem(m_db, u"07:00-19:00"_s));
    QVERIFY(exec(u"UPDATE device_setting SET wifi_ssid='First', cam1enable='yes' WHERE row=1"_s));
    QCOMPARE(store::deviceSetting::read(m_db)->wifi_ssid, u"First"_s);
    QCOMPARE(store::deviceSetting::read(m_db)->cam1enable, 0);
    QCOMPARE(store::deviceSetting::read(m_db)->dev_timer_system, u"07:00-19:00"_s);

    QVERIFY(exec(u"UPDATE device_setting SET id=2"_s));
    QVERIFY(!store::deviceSetting::read(m_db));
}

void tst_Store::lockerSetCheck_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("stored"); // locker_id of each row, in row order
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QList<int>>("handed");

    QTest::newRow("all eight") << 8 << QList<int>{8, 1, 2, 3, 4, 5, 6, 7} << true
                               << QList<int>{8, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("seven of eight")
        << 8 << QList<int>{1, 2, 3, 4, 5, 6, 7} << false << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("out of range rows skipped")
        << 8 << QList<int>{0, 1, 2, 3, 4, -3, 5, 6, 7, 8, 9, 100} << true
        << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("out of range only") << 3 << QList<int>{0, -1, 4} << false << QList<int>{};
    QTest::newRow("duplicate fills no gap")
        << 3 << QList<int>{1, 1, 2} << false << QList<int>{1, 1, 2};
    QTest::newRow("no lockers") << 0 << QList<int>{1, 2} << false << QList<int>{};
    QTest::newRow("over the limit") << 1025 << QList<int>{1, 2} << false << QList<int>{};
}

// Each row of the set is handed on, and logged here as the window logs it.
void tst_Store::lockerSetCheck()
{
    QFETCH(int, count);
    QFETCH(QList<int>, stored);
    QFETCH(bool, complete);
    QFETCH(QList<int>, handed);
    for (int id : stored)
        QVERIFY(seed()
                    .mainSql(u"INSERT INTO lockers (locker_id, locker_mobile, locker_icon) "
                             "VALUES (%1, '091200000%1', %1)"_s.arg(id))
                    .ok());

    LogCapture log;
    QCOMPARE(store::lockers::readSet(m_db, count, store::lockers::log), complete);
    QStringList expected;
    for (int id : handed)
        expected.append(u"locker_id: %1 | locker_mobile: \"********0%1\" | locker_password: \"\" | "
                        "locker_icon: %1 | locker_nfc: \"\" | locker_finger: 0 | "
                        "locker_timestart: \"\" | locker_timechange: \"\" | locker_startmode: "
                        "\"\" | locker_endmode: \"\" | locker_status: 0"_s.arg(id));
    QCOMPARE(log.lines(), expected);
}

// Numbers are read as the toolkit's variant conversion reads what is stored:
// 64-bit integers cut to 32 bits, texts only when they are numbers, reals.
void tst_Store::lockerNumbersAsStored()
{
    QVERIFY(seed()
                .mainSql(u"INSERT INTO lockers (locker_id, locker_icon, locker_finger, "
                         "locker_status) VALUES (1, 3000000000, '3000000000', 2.5)"_s)
                .ok());
    Locker read;
    QVERIFY(store::lockers::readSet(m_db, 1, [&read](const Locker &l) { read = l; }));
    QCOMPARE(read.locker_id, 1);
    QCOMPARE(read.locker_icon, QVariant(Q_INT64_C(3000000000)).toInt());
    QCOMPARE(read.locker_finger, QVariant(u"3000000000"_s).toInt());
    QCOMPARE(read.locker_status, QVariant(2.5).toInt());
}

void tst_Store::lockerSetReplace_data()
{
    QTest::addColumn<int>("before"); // lockers 1 to before, each with a mobile number
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("logged");

    QTest::newRow("empty table") << 0 << 8 << true << 0 << QStringList();
    QTest::newRow("complete set") << 8 << 8 << true << 8 << QStringList();
    QTest::newRow("count grew") << 8 << 16 << true << 8 << QStringList();
    QTest::newRow("count shrank") << 16 << 8 << true << 16 << QStringList();
    QTest::newRow("largest count") << 8 << 1024 << true << 8 << QStringList();
    QTest::newRow("no lockers keeps the rows") << 8 << 0 << true << 0 << QStringList();
    QTest::newRow("one too many") << 8 << 1025 << false << 0
                                  << QStringList{u"Locker count out of range: 1025"_s};
}

void tst_Store::lockerSetReplace()
{
    QFETCH(int, before);
    QFETCH(int, count);
    QFETCH(bool, done);
    QFETCH(int, removed);
    QFETCH(QStringList, logged);
    QVERIFY(seed().lockers(before).ok());
    const QStringList previous = storedLockers(*m_home);

    LogCapture log;
    int replaced = -1;
    QCOMPARE(store::lockers::replaceSet(m_db, count, &replaced).done, done);
    QCOMPARE(replaced, removed);
    QCOMPARE(log.lines(), logged);
    QCOMPARE(storedLockers(*m_home), done && count > 0 ? newLockerSet(count) : previous);
}

void tst_Store::lockerSetReplaceFailure_data()
{
    // A statement run first; "reading": another program reads the store;
    // "closed": the connection is closed.
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("error"); // the start of the store's text

    QTest::newRow("insert refused")
        << u"CREATE TRIGGER obstacle BEFORE INSERT ON lockers WHEN NEW.locker_id = 5 "
           "BEGIN SELECT RAISE(ABORT, 'locker 5 refused'); END"_s
        << u"Insert locker error:"_s << u"locker 5 refused"_s;
    QTest::newRow("delete refused") << u"CREATE TRIGGER obstacle BEFORE DELETE ON lockers "
                                       "BEGIN SELECT RAISE(ABORT, 'delete refused'); END"_s
                                    << u"Delete lockers error:"_s << u"delete refused"_s;
    QTest::newRow("commit refused")
        << u"reading"_s << u"Commit lockers error:"_s << u"database is locked"_s;
    // A closed connection gives no text of its own.
    QTest::newRow("begin refused") << u"closed"_s << u"Insert locker error:"_s << QString();
}

// A replacement that fails at any point leaves the previous set exactly as it
// was, and no unit open: once the obstacle is gone the set is replaced.
void tst_Store::lockerSetReplaceFailure()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, label);
    QFETCH(QString, error);
    QVERIFY(seed().lockers(8).ok());
    const QStringList previous = storedLockers(*m_home);
    {
        std::optional<Reader> reader;
        if (obstacle == u"reading"_s)
            QVERIFY(reader.emplace(m_home->mainStore()).reading);
        else if (obstacle == u"closed"_s)
            m_db.close();
        else
            QVERIFY(exec(obstacle));
        LogCapture log;
        int removed = -1;
        const store::Result result = store::lockers::replaceSet(m_db, 8, &removed);
        QVERIFY(!result.done);
        QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
        QCOMPARE(removed, 0);
        QCOMPARE(linesStartingWith(log, label), QStringList{failureLine(label, result.error)});
    }
    QCOMPARE(storedLockers(*m_home), previous);

    QVERIFY(m_db.isOpen() || m_db.open());
    QVERIFY(exec(u"DROP TRIGGER IF EXISTS obstacle"_s));
    QVERIFY(store::lockers::replaceSet(m_db, 8));
    QCOMPARE(storedLockers(*m_home), newLockerSet(8));
}

// The row with id 1 beside a row of another id: read trimmed, written in place.
void tst_Store::media()
{
    QVERIFY(seed().mainSql(u"INSERT INTO media VALUES (NULL, 2, 'OTHER', 0, 0, 1, 10)"_s).ok());
    QVERIFY(store::media::exists(m_db) == std::optional<bool>(false));
    QVERIFY(!store::media::read(m_db));
    QVERIFY(store::media::insert(m_db, {u"  QV8B2024001 "_s, 1, 1, 0, 50}));
    QVERIFY(store::media::exists(m_db) == std::optional<bool>(true));

    LogCapture log;
    store::media::log(*store::media::read(m_db));
    QCOMPARE(log.lines(),
             QStringList{u"path_public_enable: 1 | path_private_enable: 1 | path_local_enable: 0 | "
                         "soundEnableLevel: 50 | dev_id: \"QV8B2024001\""_s});

    QVERIFY(store::media::update(m_db, {SampleSerial, 0, 1, 1, 150}));
    const QString select = store::media::SelectSql + u" ORDER BY row"_s;
    QCOMPARE(stored(select), QStringList({u"2|OTHER|0|0|1|10"_s, u"1|QV8B2024001|0|1|1|150"_s}));

    // A store without the table holds no row; creating it is allowed again.
    QVERIFY(exec(u"DROP TABLE media"_s));
    QVERIFY(store::media::exists(m_db) == std::optional<bool>(false));
    QVERIFY(store::media::create(m_db));
    QVERIFY(store::media::create(m_db));
}

void tst_Store::transactionNesting_data()
{
    QTest::addColumn<UnitEnd>("inner");
    QTest::addColumn<UnitEnd>("outer");
    QTest::addColumn<QStringList>("onDisk");

    QTest::newRow("both commit") << UnitEnd::Commit << UnitEnd::Commit
                                 << QStringList{u"outer"_s, u"inner"_s};
    QTest::newRow("inner rolled back")
        << UnitEnd::Rollback << UnitEnd::Commit << QStringList{u"outer"_s};
    QTest::newRow("inner left open")
        << UnitEnd::Scope << UnitEnd::Commit << QStringList{u"outer"_s};
    QTest::newRow("outer rolled back") << UnitEnd::Commit << UnitEnd::Rollback << QStringList();
    QTest::newRow("outer left open") << UnitEnd::Commit << UnitEnd::Scope << QStringList();
}

// An inner unit becomes part of the outer one; only the outermost commit
// reaches the file, and a unit that goes out of scope is rolled back.
void tst_Store::transactionNesting()
{
    QFETCH(UnitEnd, inner);
    QFETCH(UnitEnd, outer);
    QFETCH(QStringList, onDisk);
    const QString select = u"SELECT description FROM process ORDER BY row"_s;
    const QString insert = u"INSERT INTO process (description) VALUES (?)"_s;
    {
        store::Transaction outerUnit(m_db, "outer", Labels);
        QVERIFY(outerUnit.isActive());
        QVERIFY(store::run(m_db, insert, {u"outer"_s}));
        {
            store::Transaction innerUnit(m_db, "inner", Labels);
            QVERIFY(innerUnit.isActive());
            QVERIFY(store::run(m_db, insert, {u"inner"_s}));
            end(innerUnit, inner);
        }
        QCOMPARE(stored(select), QStringList());
        end(outerUnit, outer);
    }
    QCOMPARE(stored(select), onDisk);

    // No unit is left open on the connection.
    store::Transaction next(m_db, "next", Labels);
    QVERIFY(store::run(m_db, insert, {u"next"_s}));
    QVERIFY(next.commit());
    QCOMPARE(stored(select), onDisk + QStringList{u"next"_s});
}

void tst_Store::logLineAsDebugStream_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << u"Riverside Galleria - North Entrance"_s;
    QTest::newRow("empty") << u""_s;
    QTest::newRow("null") << QString();
    QTest::newRow("quote") << u"say \"hi\""_s;
    QTest::newRow("backslash") << u"C:\\QUORVIN"_s;
    QTest::newRow("control characters") << u"tab\there\nnew line\u0001"_s;
    QTest::newRow("delete character") << u"rubout\u007f"_s;
    QTest::newRow("unit separator") << u"field\u001fnext"_s;
    // After a hex escape the stream breaks the string when a hex digit follows.
    QTest::newRow("hex digit after escape") << u"\u0001abc\u0002 9"_s;
    QTest::newRow("non-ASCII") << u"Kaffee für Zoë, 中文"_s;
    QTest::newRow("surrogate pair") << QString::fromUcs4(U"locker \U0001F512");
    QTest::newRow("lone surrogate") << u"lone "_s + QChar(0xD800) + u" high"_s;
    QTest::newRow("blanks around") << u"  QV8B2024001 "_s;
}

// The builder must give each line exactly the text the debug stream gives,
// whichever path an item takes.
void tst_Store::logLineAsDebugStream()
{
    QFETCH(QString, text);
    LogCapture log;
    store::logLine() << "Name:" << text << "| Lockers:" << -16 << u"plain"_s << "Müller"
                     << qint64(1) << 0 << text;
    QMessageLogger().debug() << "Name:" << text << "| Lockers:" << -16 << u"plain"_s << "Müller"
                             << qint64(1) << 0 << text;
    QCOMPARE(log.lines().size(), 2);
    QCOMPARE(log.lines().at(0), log.lines().at(1));
}

QTEST_MAIN(tst_Store)
#include "tst_store.moc"
