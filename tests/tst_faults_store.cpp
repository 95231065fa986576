// The stores through the real window. What only the window shows of them:
// the media button (insert, update, a restart), the slider and the records its
// reads fill, the toasts of a locker set rebuild. And faults in the stores and
// the data root: a data root that cannot be made, store files that are no
// database or are cut short, tables with other columns, a Media store that
// vanishes, refuses a write or is locked, a Main store locked by another
// program while the window writes, and store files that cannot be deleted.
// Every fault case checks the toast, that the stored data is what it was
// wherever an operation failed, that the window still answers, and that
// nothing appears outside the data root.

#include "store/connection.h"
#include "store/deviceinfo.h"
#include "store/paths.h"
#include "store/records.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSlider>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <optional>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

constexpr int ReplyWaitMs = 10000;
const QString OtherSerial = u"QV16F2024005"_s;
const QString NotSaved = u"Media data not saved!"_s;
const QString Created = u"Locker db create! OK"_s;

// How the Main store is made unusable: its data root cannot be made, or its
// file is no readable database.
enum class Damage { RootIsFile, HomeBelowFile, RandomBytes, Zeros, CutInHalf, PagesOverwritten };
// The step of the operator (or of the server) that meets a locked Main store.
enum class Step { Reply, Entry, Manual };

QStringList mediaRows(const TestHome &home)
{
    return rows(home.mediaStore(), store::media::SelectSql);
}

QSlider *slider(MainWindow &w)
{
    return widget<QSlider>(w, "sound_level");
}

// The media switches and the level the widgets show: public, private, local,
// level.
QList<int> shownMedia(MainWindow &w)
{
    return {boxChecked(w, "media1"), boxChecked(w, "media2"), boxChecked(w, "media3"),
            slider(w)->value()};
}

void chooseMedia(MainWindow &w, const QList<int> &choice)
{
    int i = 0;
    for (const char *box : {"media1", "media2", "media3"})
        widget<QCheckBox>(w, box)->setChecked(choice.at(i++) != 0);
    slider(w)->setValue(choice.at(3));
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// The damaged bytes of a store file whose sound bytes are real.
QByteArray damaged(Damage damage, const QByteArray &real)
{
    if (damage == Damage::RandomBytes)
        return randomBytes(48 * 1024, 7);
    if (damage == Damage::Zeros)
        return QByteArray(32768, '\0');
    if (damage == Damage::CutInHalf)
        return real.left(real.size() / 2);
    return real.left(100) + randomBytes(real.size() - 100, 11);
}

// Notes the fault of the current row, which its name describes.
void triedRow()
{
    tried(QString::fromUtf8(QTest::currentDataTag()));
}

// Every table the Main and Media stores hold, row by row, and a hash of each
// file's bytes.
QStringList stored(const TestHome &home)
{
    QStringList lines;
    for (const QString &file : {home.mainStore(), home.mediaStore()}) {
        lines.append(u"bytes %1"_s.arg(qHash(fileBytes(file))));
        for (const QString &name :
             rows(file, u"SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"_s)) {
            lines.append(u"table "_s + name);
            lines += rows(file, u"SELECT * FROM \""_s + name + u"\" ORDER BY rowid"_s);
        }
    }
    return lines;
}

// Whatever was written lies under the data root, and the window still
// answers.
void expectContained(MainWindow &w, const QStringList &listing, const TestHome &home)
{
    QCOMPARE(entriesOutside(treeListing(home.home()), u"QUORVIN/"_s),
             entriesOutside(listing, u"QUORVIN/"_s));
    expectResponsive(w);
}

// Starts the server with one answer per entry of held, each an active record of
// that many lockers; a held answer waits for release().
bool serveActive(ScriptedHttpServer &server, int lockers, const QList<bool> &held = {false})
{
    const QByteArray record =
        u"{\"dev_id\":\"QV8B2024001\",\"dev_name\":\"From Server\",\"dev_model\":\"Fjor\","
        "\"dev_lockers\":%1,\"dev_location\":\"Hall 9\",\"dev_address\":\"Side St 2\","
        "\"dev_description\":\"Back room\",\"dev_status\":1,\"dev_timer_system\":\"07:00-19:00\"}"_s
            .arg(lockers)
            .toUtf8();
    for (bool hold : held)
        server.addAnswer(answer(ScriptedHttpServer::response(200, record), hold));
    return server.start();
}

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(QString *)

class TstFaultsStore : public WindowTest
{
    Q_OBJECT

private slots:
    void readKeepsRecordWithoutRow_data();
    void readKeepsRecordWithoutRow();
    void mediaSaveInsertsThenUpdates();
    void mediaReadSetsSliderWithoutSignal();
    void lockerRebuild_data();
    void lockerRebuild();
    void mainStoreUnusable_data();
    void mainStoreUnusable();
    void mediaSaveRefused_data();
    void mediaSaveRefused();
    void foreignMainTables_data();
    void foreignMainTables();
    void foreignSettingsTable();
    void mediaStoreGone_data();
    void mediaStoreGone();
    void mainStoreLocked_data();
    void mainStoreLocked();
    void mainStoreLockedBriefly();
    void deleteBlocked();
    void mainStoreGone();
    void cleanupTestCase();
};

void TstFaultsStore::readKeepsRecordWithoutRow_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("logPrefix"); // of every line a successful read logs
    QTest::addColumn<QString *>("field");   // of the record the slot fills
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("table");

    QTest::newRow("device") << QByteArray("deviceInfoReadTable") << u"DevID:"_s
                            << &DeviceInfoRecord.dev_id << SampleSerial << u"device_info"_s;
    QTest::newRow("settings") << QByteArray("deviceSettingReadTable") << u"dev_timer1on:"_s
                              << &DeviceSettingRecord.wifi_ssid << u"Quorvin"_s
                              << u"device_setting"_s;
    QTest::newRow("lockers") << QByteArray("lockersReadTable") << u"locker_id:"_s
                             << &LockerRecord.locker_mobile << u"0912000008"_s << u"lockers"_s;
    QTest::newRow("media") << QByteArray("mediaPathReadTable") << u"path_public_enable:"_s
                           << &MediaRecord.dev_id << SampleSerial << u"media"_s;
}

// A read fills the record and logs it; a read that finds nothing keeps the
// record as it was and logs nothing.
void TstFaultsStore::readKeepsRecordWithoutRow()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, logPrefix);
    QFETCH(QString *, field);
    QFETCH(QString, value);
    QFETCH(QString, table);
    QVERIFY(seedDevice(home(), SampleSerial, 1));
    MainWindow &w = window();
    {
        LogCapture log;
        QCOMPARE(callInt(&w, slot.constData()), 1);
        QCOMPARE(*field, value);
        QVERIFY(!log.lines().isEmpty());
        QCOMPARE(linesStartingWith(log, logPrefix), log.lines());
    }
    const QString remove = u"DELETE FROM "_s + table;
    QVERIFY((table == u"media"_s ? seed().mediaSql(remove) : seed().mainSql(remove)).ok());
    LogCapture log;
    QCOMPARE(callInt(&w, slot.constData()), 0);
    QCOMPARE(*field, value);
    QCOMPARE(log.lines(), QStringList());
}

// The first save inserts the row, a later one updates it, and a restart shows
// what was saved.
void TstFaultsStore::mediaSaveInsertsThenUpdates()
{
    QVERIFY(seed().tables().device(SampleSerial, 1).settings().lockers(8).ok());
    MainWindow &w = window();
    chooseMedia(w, {1, 1, 0, 50});
    clearToast(w);
    click(w, "media_device_pushButton");
    QCOMPARE(toastLabels(&w), (QStringList{u""_s, u""_s, u""_s, u"Insert media data ok"_s}));
    QCOMPARE(mediaRows(home()), QStringList{u"1|QV8B2024001|1|1|0|50"_s});
    QCOMPARE(widget<QLabel>(w, "labeldevpath")->text(), SampleSerial);

    chooseMedia(w, {0, 1, 1, 0});
    click(w, "media_device_pushButton");
    QCOMPARE(lastToast(w), u"Update media data ok"_s);
    QCOMPARE(mediaRows(home()), QStringList{u"1|QV8B2024001|0|1|1|0"_s});

    closeWindow();
    QCOMPARE(lastToast(window()), u"Media data read ok"_s);
    QCOMPARE(shownMedia(window()), (QList<int>{0, 1, 1, 0}));
    QCOMPARE(widget<QLabel>(window(), "labeldevpath")->text(), SampleSerial);
    QVERIFY(soundIconIs(window(), gui::SoundPicture::Muted));
}

void TstFaultsStore::mediaReadSetsSliderWithoutSignal()
{
    MainWindow &w = window();
    QVERIFY(seed().media(u"'QV8B2024001', 0, 1, 1, 150"_s).ok());
    QSignalSpy spy(slider(w), &QSlider::valueChanged);
    QCOMPARE(slider(w)->value(), 50);

    QCOMPARE(callInt(&w, "mediaPathReadTable"), 1);
    // The read sets the level alone (at most 99); the boxes, as the form made
    // them, and the label are left to its callers.
    QCOMPARE(shownMedia(w), (QList<int>{1, 1, 0, 99}));
    QVERIFY(soundIconIs(w, gui::SoundPicture::Loud));
    QCOMPARE(spy.count(), 0);
    QVERIFY(!slider(w)->signalsBlocked());
    QCOMPARE(MediaRecord.sound_enable_level, 150);
    QVERIFY(widget<QLabel>(w, "labeldevpath")->text().isEmpty());

    // A slider that was blocked before stays blocked.
    slider(w)->blockSignals(true);
    QVERIFY(seed().mediaSql(u"UPDATE media SET sound_enable_level=0"_s).ok());
    QCOMPARE(callInt(&w, "mediaPathReadTable"), 1);
    QVERIFY(slider(w)->signalsBlocked());
    QCOMPARE(slider(w)->value(), 0);
    QVERIFY(soundIconIs(w, gui::SoundPicture::Muted));
}

void TstFaultsStore::lockerRebuild_data()
{
    QTest::addColumn<int>("before"); // lockers 1 to before, each with a mobile number
    QTest::addColumn<int>("count");  // the device's locker count
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("result"); // 1: the set is rebuilt, else it is as it was
    QTest::addColumn<QStringList>("toasts");

    const QString inserted = u"Lockers insert! OK"_s;
    const QStringList fresh{u""_s, u""_s, Created, inserted};
    const QStringList cleared{u""_s, u"All Locker cleared!"_s, Created, inserted};
    QTest::newRow("empty table") << 0 << 8 << QString() << 1 << fresh;
    QTest::newRow("complete set") << 8 << 8 << QString() << 1 << cleared;
    QTest::newRow("count grew") << 8 << 16 << QString() << 1 << cleared;
    QTest::newRow("no lockers") << 0 << 0 << QString() << 0 << fresh;
    // Made by the rebuild, so the set can only be read once it is there.
    QTest::newRow("table missing") << 0 << 8 << u"DROP TABLE lockers"_s << 1 << fresh;
    // Refused before anything is read, shown or written.
    QTest::newRow("one too many") << 8 << 1025 << QString() << 0 << QStringList(4, QString());
    // Nothing was cleared: the rebuild was taken back whole.
    QTest::newRow("insert refused")
        << 8 << 8
        << u"CREATE TRIGGER refuse BEFORE INSERT ON lockers WHEN NEW.locker_id = 5 BEGIN "
           "SELECT RAISE(ABORT, 'locker 5 refused'); END"_s
        << 0 << QStringList{u""_s, u""_s, u""_s, Created};
}

void TstFaultsStore::lockerRebuild()
{
    QFETCH(int, before);
    QFETCH(int, count);
    QFETCH(QString, obstacle);
    QFETCH(int, result);
    QFETCH(QStringList, toasts);
    QVERIFY(seed().tables().device(SampleSerial, 1, count).settings().lockers(before).ok());
    QVERIFY(obstacle.isEmpty() || seed().mainSql(obstacle).ok());
    // What a refused rebuild must leave; a missing table has no rows to read.
    const QStringList previous = result == 1 ? QStringList() : storedLockers(home());
    clearToast(window());

    QCOMPARE(callInt(&window(), "createDatabase"), result);
    QCOMPARE(toastLabels(&window()), toasts);
    QCOMPARE(storedLockers(home()), result == 1 ? newLockerSet(count) : previous);
}

void TstFaultsStore::mainStoreUnusable_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QStringList>("logged"); // the store's reasons
    QTest::addColumn<QString>("startToast");
    QTest::addColumn<QString>("entryToast"); // after a serial is entered

    const QString openError = u"Main Database Open Error!"_s;
    const QString unreachable = u"Main DB unreachable!"_s;
    const QStringList noRoot{u"Main DB open error:"_s, u"Select error:"_s, u"Update error:"_s};
    const QString select = u"Select error:"_s;
    const QStringList notDatabase{select, u"file is not a database"_s};
    const QStringList malformed{select, u"database disk image is malformed"_s};
    QTest::newRow("data root is a regular file")
        << Damage::RootIsFile << noRoot << openError << unreachable;
    QTest::newRow("home folder lies below a regular file")
        << Damage::HomeBelowFile << noRoot << openError << unreachable;
    QTest::newRow("Main store of random bytes")
        << Damage::RandomBytes << notDatabase << unreachable << unreachable;
    QTest::newRow("Main store of zero bytes")
        << Damage::Zeros << notDatabase << unreachable << unreachable;
    QTest::newRow("Main store cut to half its size")
        << Damage::CutInHalf << malformed << unreachable << unreachable;
    QTest::newRow("Main store with its header kept and its pages overwritten")
        << Damage::PagesOverwritten << malformed << unreachable << unreachable;
}

// A Main store that cannot be opened, or is no readable database: the
// operator is told at the start, the add button refuses the serial (or, with
// the manual activation, stays disabled), no control writes to the broken file
// or asks the server, and a restart finds everything as it was. The media settings live in the
// other store, which works wherever the data root does.
void TstFaultsStore::mainStoreUnusable()
{
    QFETCH(Damage, damage);
    QFETCH(QStringList, logged);
    QFETCH(QString, startToast);
    QFETCH(QString, entryToast);
    triedRow();
    ScriptedHttpServer server;
    QVERIFY(server.start());
    const bool noRoot = damage == Damage::RootIsFile || damage == Damage::HomeBelowFile;
    const bool fromRealStore = damage == Damage::CutInHalf || damage == Damage::PagesOverwritten;
    QVERIFY(
        noRoot
        || (fromRealStore ? seedDevice(home(), SampleSerial, 1) : QDir().mkpath(home().root())));
    const QString broken =
        !noRoot ? home().mainStore()
                : home().home() + (damage == Damage::RootIsFile ? u"/QUORVIN"_s : u"/blocker"_s);
    const QByteArray bytes =
        noRoot ? QByteArray("not a folder\n") : damaged(damage, fileBytes(broken));
    QVERIFY(writeFile(broken, bytes));
    if (damage == Damage::HomeBelowFile)
        store::setDataRoot(broken + u"/inner/QUORVIN/"_s); // the fixture puts the root back
    const bool hadMedia = QFile::exists(home().mediaStore());
    const QStringList listing = treeListing(home().home());

    for (int run = 1; run <= 2; ++run) {
        closeWindow();
        LogCapture log;
        MainWindow &w = window();
        QCOMPARE(toastLabels(&w), (QStringList{u""_s, u""_s, u""_s, startToast}));
        QCOMPARE(page(w), u"pageAddDevice"_s);
        QCOMPARE(widget<QPushButton>(w, "add_device_pushButton")->isEnabled(), noRoot);
        submitSerial(w, SampleSerial);
        QCOMPARE(lastToast(w), entryToast);
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), noRoot ? u"pageManual"_s : u"pageAddDevice"_s);
        for (const QString &reason : logged)
            QVERIFY2(log.contains(reason), qPrintable(reason));
        widget<QPushButton>(w, "media_device_pushButton")->click(); // hidden, yet reachable
        QCOMPARE(lastToast(w), noRoot                  ? u"Media DB unreachable!"_s
                               : run == 1 && !hadMedia ? u"Insert media data ok"_s
                                                       : u"Update media data ok"_s);
        QVERIFY2(fileBytes(broken) == bytes, "the broken store was written");
        QCoreApplication::processEvents();
        QCOMPARE(server.requestCount(), 0);
        expectContained(w, listing, home());
        clearToast(w);
    }
}

void TstFaultsStore::mediaSaveRefused_data()
{
    QTest::addColumn<QByteArray>("file");      // written as the Media store, when given
    QTest::addColumn<QStringList>("mediaSql"); // run on the Media store
    QTest::addColumn<int>("lockMs"); // held by another program from the press: 0 not, -1 throughout
    QTest::addColumn<QString>("startToast");
    QTest::addColumn<QString>("savedToast");
    QTest::addColumn<QList<int>>("shown"); // public, private, local, level after the save

    const QString notSet = u"Media data not set"_s;
    const QString readOk = u"Media data read ok"_s;
    const QString refuse =
        u"CREATE TRIGGER refuse BEFORE %1 ON media BEGIN SELECT RAISE(ABORT, 'no'); END"_s;
    const QString unreachable = u"Media DB unreachable!"_s;
    QTest::newRow("Media store of random bytes") << randomBytes(20000, 3) << QStringList() << 0
                                                 << notSet << unreachable << QList<int>{0, 0, 0, 0};
    QTest::newRow("media with other columns")
        << QByteArray()
        << QStringList{u"DROP TABLE media"_s, u"CREATE TABLE media (z int)"_s,
                       u"INSERT INTO media VALUES (9)"_s}
        << 0 << notSet << unreachable << QList<int>{0, 0, 0, 0};
    QTest::newRow("Media store refuses the update")
        << QByteArray() << QStringList{refuse.arg(u"UPDATE"_s)} << 0 << readOk << NotSaved
        << QList<int>{1, 0, 1, 30};
    QTest::newRow("Media store locked by another connection")
        << QByteArray() << QStringList() << -1 << readOk << unreachable << QList<int>{1, 0, 1, 30};
    // Let go between the question whether the row exists and the write.
    QTest::newRow("Media store locked a little past the busy wait")
        << QByteArray() << QStringList() << ShortBusyMs * 3 / 2 << readOk << unreachable
        << QList<int>{1, 0, 1, 30};
}

// A Media store that cannot take the save: the device page still comes up,
// the save is reported as not done, the widgets show what the store (or the
// record) holds instead of the refused choice, and the file is left alone. A
// lock that is gone lets the next save through.
void TstFaultsStore::mediaSaveRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, mediaSql);
    QFETCH(int, lockMs);
    QFETCH(QString, startToast);
    QFETCH(QString, savedToast);
    QFETCH(QList<int>, shown);
    const bool locked = lockMs != 0;
    triedRow();
    QVERIFY(seedDevice(home(), SampleSerial, 1));
    QVERIFY(file.isEmpty() || writeFile(home().mediaStore(), file));
    for (const QString &sql : mediaSql)
        QVERIFY(seed().mediaSql(sql).ok());
    const QStringList before = stored(home());
    const QStringList listing = treeListing(home().home());

    MainWindow &w = window();
    QCOMPARE(toastLabels(&w).mid(2), (QStringList{u"Device is active!"_s, startToast}));
    QCOMPARE(page(w), u"pageDevice"_s);
    chooseMedia(w, {0, 1, 0, 75});
    clearToast(w);
    {
        std::optional<StoreLock> lock;
        if (locked) {
            QVERIFY(shortenBusyTimeout(store::MediaConnectionName));
            QVERIFY(lock.emplace(home().mediaStore(), lockMs).isLocked());
        }
        click(w, "media_device_pushButton");
    }
    QCOMPARE(toastLabels(&w), (QStringList{u""_s, u""_s, u""_s, savedToast}));
    QCOMPARE(shownMedia(w), shown);
    QCOMPARE(stored(home()), before);
    if (locked) {
        chooseMedia(w, {0, 1, 0, 75});
        click(w, "media_device_pushButton");
        QCOMPARE(lastToast(w), u"Update media data ok"_s);
        QCOMPARE(mediaRows(home()), QStringList{u"1|QV8B2024001|0|1|0|75"_s});
    }
    expectContained(w, listing, home());
}

void TstFaultsStore::foreignMainTables_data()
{
    QTest::addColumn<QStringList>("foreign");      // made before everything else
    QTest::addColumn<bool>("registered");          // an inactive device without lockers is stored
    QTest::addColumn<QStringList>("entryToasts");  // the newest toasts after the entry
    QTest::addColumn<QString>("logged");           // the store's own reason
    QTest::addColumn<QStringList>("manualToasts"); // all four after activating by hand
    QTest::addColumn<QString>("serial");           // entered; another than the stored one
                                                   // is looked up only once it is stored

    const QStringList deviceInfo{u"CREATE TABLE device_info (id int, foo text)"_s};
    const QStringList lockersRefused{Created, u"Lockers db Error!"_s};
    const QString unreachable = u"Main DB unreachable!"_s;
    const QStringList manualRefused{u""_s, u""_s, u""_s, unreachable};
    QTest::newRow("device_info with other columns, empty")
        << deviceInfo << false << QStringList{u"ID Save, Try connect server!"_s, unreachable}
        << u"Insert error: \"table device_info has no column named dev_id"_s << manualRefused
        << SampleSerial;
    QTest::newRow("lockers with other columns")
        << QStringList{u"CREATE TABLE lockers (x int)"_s, u"INSERT INTO lockers VALUES (5), (6)"_s}
        << true << QStringList{u"Try connect server!"_s} + lockersRefused
        << u"Delete lockers error: \"no such column: row"_s
        << QStringList{u""_s, u""_s} + lockersRefused << SampleSerial;
    QTest::newRow("lockers with a row column and no locker columns")
        << QStringList{u"CREATE TABLE lockers (row INTEGER PRIMARY KEY, x int)"_s,
                       u"INSERT INTO lockers (x) VALUES (5), (6)"_s}
        << true << QStringList{u"Try connect server!"_s} + lockersRefused
        << u"Insert locker error: \"table lockers has no column named locker_id"_s
        << QStringList{u""_s, u""_s} + lockersRefused << SampleSerial;
    const QStringList refusingUpdates{store::deviceInfo::CreateSql,
                                      u"CREATE TRIGGER refuse BEFORE UPDATE ON device_info "
                                      "BEGIN SELECT RAISE(ABORT, 'update refused'); END"_s};
    QTest::newRow("device_info refusing updates")
        << refusingUpdates << true << QStringList{u"Try connect server!"_s, unreachable}
        << u"Update error: \"update refused"_s << manualRefused << SampleSerial;
    QTest::newRow("device_info refusing a new serial")
        << refusingUpdates << true << QStringList{u"ID Update, Try connect server!"_s, unreachable}
        << u"Update error: \"update refused"_s << manualRefused << OtherSerial;
}

// Tables that exist with columns or triggers of their own are used as they are: each
// statement that needs the missing columns fails through its failure path,
// and the rows in them stay as they were. An activation that cannot build its
// lockers is taken back whole, from the reply as from the manual page.
void TstFaultsStore::foreignMainTables()
{
    QFETCH(QStringList, foreign);
    QFETCH(bool, registered);
    QFETCH(QStringList, entryToasts);
    QFETCH(QString, logged);
    QFETCH(QStringList, manualToasts);
    QFETCH(QString, serial);
    triedRow();
    for (const QString &sql : foreign)
        QVERIFY(seed().mainSql(sql).ok());
    QVERIFY(!registered || seedDevice(home(), SampleSerial, 0, false));
    ScriptedHttpServer server;
    QVERIFY(serveActive(server, 8));
    const QStringList listing = treeListing(home().home());
    LogCapture log;
    MainWindow &w = window();
    QCOMPARE(lastToast(w), registered ? u"Device inactive!"_s : FirstRunToast);

    const QStringList before = stored(home());
    if (registered && serial == SampleSerial) {
        QVERIFY(submitAndWait(w, SampleSerial));
    } else {
        submitSerial(w, serial);
        QVERIFY(networkManagerOf(&w)->findChildren<QNetworkReply *>().isEmpty()); // no lookup
    }
    QCOMPARE(toastLabels(&w).mid(4 - entryToasts.size()), entryToasts);
    QVERIFY2(log.contains(logged), qPrintable(log.lines().join(u'\n')));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    clearToast(w);
    click(w, "manual_pushButton");
    click(w, "active_device_pushButton");
    QCOMPARE(toastLabels(&w), manualToasts);
    QCOMPARE(page(w), u"pageManual"_s);
    QCOMPARE(stored(home()), before);
    QVERIFY(!QDir(home().root()).exists(SampleSerial));
    expectContained(w, listing, home());
}

// A settings table with other columns is not the device: the activation goes
// on without the settings, which stay as they were.
void TstFaultsStore::foreignSettingsTable()
{
    tried(u"device_setting with other columns"_s);
    QVERIFY(seed()
                .mainSql(u"CREATE TABLE device_setting (y int)"_s)
                .mainSql(u"INSERT INTO device_setting VALUES (7)"_s)
                .ok());
    ScriptedHttpServer server;
    QVERIFY(serveActive(server, 8));
    const QStringList listing = treeListing(home().home());
    LogCapture log;
    MainWindow &w = window();
    QCOMPARE(lastToast(w), FirstRunToast);

    QVERIFY(submitAndWait(w, SampleSerial, [&] {
        QVERIFY(log.contains(u"Insert error: \"table device_setting has no column named id"_s));
    }));
    QVERIFY(log.contains(u"Update device_setting error: \"no such column: dev_timer_system"_s));
    QCOMPARE(lastToast(w), u"Everything is OK"_s);
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(rows(home().mainStore(), u"SELECT * FROM device_setting"_s), QStringList{u"7"_s});
    QCOMPARE(storedLockers(home()), newLockerSet(8));
    expectContained(w, listing, home());
}

void TstFaultsStore::mediaStoreGone_data()
{
    QTest::addColumn<bool>("rootReplaced"); // else only the Media store is deleted
    QTest::newRow("Media store deleted while the window runs") << false;
    QTest::newRow("data root replaced by a file while the window runs") << true;
}

// The Media store disappears under the running window. Saving the media
// settings makes the store anew and writes them there, or says the store
// cannot be reached; it never reports a save that did not reach the disk.
void TstFaultsStore::mediaStoreGone()
{
    QFETCH(bool, rootReplaced);
    triedRow();
    QVERIFY(seedDevice(home(), SampleSerial, 1));
    MainWindow &w = window();
    QCOMPARE(lastToast(w), u"Media data read ok"_s);
    chooseMedia(w, {1, 1, 1, 20});
    const QString moved = home().home() + u"/QUORVIN.moved"_s;
    const auto movedBytes = [&] {
        return fileBytes(moved + u"/Zelvatto.sql"_s) + fileBytes(moved + u"/Media.sql"_s);
    };
    if (rootReplaced) {
        QVERIFY(QDir().rename(home().root(), moved));
        QVERIFY(writeFile(home().root().chopped(1), "not a folder\n"));
    } else {
        if (!OpenFilesCanBeDeleted)
            QSKIP(OpenFileKept);
        QVERIFY(QFile::remove(home().mediaStore()));
    }
    const QStringList listing = treeListing(home().home());
    const QByteArray movedBefore = movedBytes();

    click(w, "media_device_pushButton");
    if (rootReplaced) {
        QCOMPARE(lastToast(w), u"Media DB unreachable!"_s);
        QVERIFY(movedBytes() == movedBefore);
        QCOMPARE(fileBytes(home().root().chopped(1)), QByteArray("not a folder\n"));
    } else {
        QCOMPARE(lastToast(w), u"Insert media data ok"_s);
        QCOMPARE(mediaRows(home()), QStringList{u"1|QV8B2024001|1|1|1|20"_s});
    }
    expectContained(w, listing, home());
}

void TstFaultsStore::mainStoreLocked_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("lockedToast");
    QTest::addColumn<QString>("device"); // once the lock is gone: id|model|lockers|status

    QTest::newRow("Main store locked while a registration reply arrives")
        << Step::Reply << u"Update error: \"database is locked"_s << u"Main DB unreachable!"_s
        << u"QV8B2024001|Fjor|16|1"_s;
    QTest::newRow("Main store locked while a new serial is entered")
        << Step::Entry << u"Select error: \"database is locked"_s << u"Main DB unreachable!"_s
        << u"QV16F2024005|Fjor|16|1"_s;
    QTest::newRow("Main store locked during manual activation")
        << Step::Manual << u"Update error: \"database is locked"_s << u"Main DB unreachable!"_s
        << u"QV8B2024001|Dorne|8|1"_s;
}

// Another program holds the Main store locked while the window writes to it:
// nothing is half-written, the page stays, and once the lock is gone the same
// step succeeds.
void TstFaultsStore::mainStoreLocked()
{
    QFETCH(Step, step);
    QFETCH(QString, logged);
    QFETCH(QString, lockedToast);
    QFETCH(QString, device);
    triedRow();
    // The reply case holds its first answer until the store is locked; every
    // case gets a plain answer for the step after the lock is gone.
    ScriptedHttpServer server;
    QVERIFY(serveActive(server, 16,
                        step == Step::Reply ? QList<bool>{true, false} : QList<bool>{false}));
    QVERIFY(seedDevice(home(), SampleSerial, 0));
    LogCapture log;
    MainWindow &w = window();
    QVERIFY(shortenBusyTimeout(store::MainConnectionName));
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);
    const QStringList listing = treeListing(home().home());
    const bool manual = step == Step::Manual;
    const auto takeStep = [&] {
        if (manual)
            click(w, "active_device_pushButton");
        else
            submitSerial(w, step == Step::Entry ? OtherSerial : SampleSerial);
    };
    if (step == Step::Reply) {
        takeStep();
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, ReplyWaitMs);
    }
    if (manual)
        click(w, "manual_pushButton");
    const QStringList before = stored(home());
    {
        StoreLock lock(home().mainStore());
        QVERIFY(lock.isLocked());
        if (step == Step::Reply)
            QVERIFY(server.release(0) && spy.wait(ReplyWaitMs));
        else
            takeStep();
        QVERIFY(log.contains(logged));
        QCOMPARE(lastToast(w), lockedToast);
        QCOMPARE(page(w), manual ? u"pageManual"_s : u"pageAddDevice"_s);
        QCOMPARE(server.requestCount(), step == Step::Reply ? 1 : 0);
    }
    QCOMPARE(stored(home()), before);

    // Without the lock the same step goes through.
    takeStep();
    QVERIFY(manual || spy.wait(ReplyWaitMs));
    QCOMPARE(lastToast(w), manual ? u"Lockers insert! OK"_s : u"Everything is OK"_s);
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(rows(home().mainStore(),
                  u"SELECT dev_id, dev_model, dev_lockers, dev_status FROM device_info"_s),
             QStringList{device});
    QCOMPARE(storedLockers(home()), newLockerSet(device.section(u'|', 2, 2).toInt()));
    expectContained(w, listing, home());
}

// A lock that another program holds only briefly, so that one statement of a
// press meets it and the next does not: the press must still never add a
// second device row.
void TstFaultsStore::mainStoreLockedBriefly()
{
    tried(u"Main store locked briefly while a new serial is entered"_s);
    QVERIFY(seedDevice(home(), SampleSerial, 0));
    ScriptedHttpServer server;
    QVERIFY(server.start());
    MainWindow &w = window();
    QVERIFY(shortenBusyTimeout(store::MainConnectionName));
    const QStringList listing = treeListing(home().home());

    {
        // Held past the first statement's busy wait, released within the second's.
        StoreLock lock(home().mainStore(), ShortBusyMs * 3 / 2);
        QVERIFY(lock.isLocked());
        submitSerial(w, OtherSerial);
    }
    QCOMPARE(rows(home().mainStore(), u"SELECT (SELECT COUNT(*) FROM device_info WHERE id=1), "
                                      "(SELECT COUNT(*) FROM device_setting WHERE id=1)"_s),
             QStringList{u"1|1"_s});
    expectContained(w, listing, home());
}

// Deleting all data while one store file cannot be removed: the operator is
// told the data could not be deleted, and the window ends on the empty page.
void TstFaultsStore::deleteBlocked()
{
    tried(u"Media store path is a folder, so the file cannot be removed"_s);
    QVERIFY(seedDevice(home(), SampleSerial, 1));
    QVERIFY(QFile::remove(home().mediaStore()));
    QVERIFY(QDir().mkpath(home().mediaStore()));
    QVERIFY(writeFile(home().mediaStore() + u"/inside.txt"_s, "kept\n"));
    const QStringList listing = treeListing(home().home());

    LogCapture log;
    MainWindow &w = window();
    QVERIFY(log.contains(u"Media DB open error:"_s));
    QCOMPARE(toastLabels(&w).mid(2),
             (QStringList{u"Device is active!"_s, u"Media data not set"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    click(w, "media_device_pushButton");
    QCOMPARE(lastToast(w), u"Media DB unreachable!"_s);

    click(w, "delete_device_pushButton");
    waitPastDoubleClick();
    click(w, "delete_device_pushButton_again");
    QCOMPARE(lastToast(w), u"Data could not be deleted! Close other programs and try again"_s);
    QCOMPARE(page(w), u"pageAny"_s);
    QVERIFY(!QFile::exists(home().mainStore()));
    QCOMPARE(fileBytes(home().mediaStore() + u"/inside.txt"_s), QByteArray("kept\n"));
    expectContained(w, listing, home());
}

// The Main store file is removed under the running window: the store refuses
// the writes of a registration reply, the window claims no success, and no
// half store appears in its place.
void TstFaultsStore::mainStoreGone()
{
    tried(u"Main store deleted while the window runs"_s);
    if (!OpenFilesCanBeDeleted)
        QSKIP(OpenFileKept);
    ScriptedHttpServer server;
    QVERIFY(serveActive(server, 16));
    QVERIFY(seedDevice(home(), SampleSerial, 0));
    LogCapture log;
    MainWindow &w = window();
    QVERIFY(QFile::remove(home().mainStore()));
    const QStringList listing = treeListing(home().home());

    QVERIFY(submitAndWait(w, SampleSerial));
    QVERIFY(log.contains(u"Update error: \"attempt to write a readonly database"_s));
    QCOMPARE(lastToast(w), u"Main DB unreachable!"_s);
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(treeListing(home().home()), listing);
    expectResponsive(w);
}

void TstFaultsStore::cleanupTestCase()
{
    reportFaultsTried();
}

QTEST_MAIN(TstFaultsStore)
#include "tst_faults_store.moc"
