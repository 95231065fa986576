// Faults on the way to and from the device directory server: no server, a
// server that never answers, error statuses, bodies cut short, bodies of
// several megabytes, broken text and JSON, and answers that arrive in another
// order than their requests. Every case runs the real window on a fresh store
// or on one that an earlier run left behind, and checks that the operator is
// told what happened, that stored data is lost nowhere, and that nothing is
// written outside the data root.

#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

constexpr int ReplyWaitMs = 10000;
constexpr int EightMegabytes = 8 * 1024 * 1024;

const QString Serial = QStringLiteral("QV8B2024001");
const QString NetworkToast = QStringLiteral("Network Error or Server Unreachable");
const QString UnreadableToast = QStringLiteral("Server reply could not be read!");
const QString ResentToast = QStringLiteral("Try connect server!");
const QString SavedToast = QStringLiteral("ID Save, Try connect server!");

// Lines longer than this reach the test output cut short; the capture keeps
// them whole. Bodies of several megabytes are logged by the window.
class ClippedOutput
{
public:
    ClippedOutput() { previous() = qInstallMessageHandler(clip); }
    ~ClippedOutput() { qInstallMessageHandler(previous()); }

private:
    static QtMessageHandler &previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void clip(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        constexpr int Shown = 300;
        if (message.size() <= Shown)
            previous()(type, context, message);
        else
            previous()(type, context,
                       message.left(Shown)
                           + QStringLiteral("... (%1 characters)").arg(message.size()));
    }
};

QJsonObject record(const QString &name, int lockers, int status)
{
    return QJsonObject{{u"dev_id"_s, Serial},
                       {u"dev_name"_s, name},
                       {u"dev_model"_s, u"Dorne"_s},
                       {u"dev_lockers"_s, lockers},
                       {u"dev_location"_s, u"Location "_s + name},
                       {u"dev_address"_s, u"Address "_s + name},
                       {u"dev_description"_s, u"Description "_s + name},
                       {u"dev_status"_s, status},
                       {u"dev_timer_system"_s, u"07:00-19:00"_s}};
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// What the stores and the home folder hold at one moment.
struct Stored
{
    QByteArray mainBytes;
    QByteArray mediaBytes;
    QStringList devices;
    QStringList settings;
    QStringList lockers;
    QStringList media;
    QStringList tree;
};

Stored stored(const TestHome &home)
{
    Stored s;
    s.mainBytes = fileBytes(home.mainStore());
    s.mediaBytes = fileBytes(home.mediaStore());
    s.devices = rows(home.mainStore(), u"SELECT * FROM device_info ORDER BY row"_s);
    s.settings = rows(home.mainStore(), u"SELECT * FROM device_setting ORDER BY row"_s);
    s.lockers = rows(home.mainStore(), u"SELECT * FROM lockers ORDER BY row"_s);
    s.media = rows(home.mediaStore(), u"SELECT * FROM media ORDER BY row"_s);
    s.tree = treeListing(home.home());
    return s;
}

// Nothing was written: the same rows, the same bytes, the same files.
void expectUnchanged(const Stored &before, const Stored &after)
{
    QCOMPARE(after.devices, before.devices);
    QCOMPARE(after.settings, before.settings);
    QCOMPARE(after.lockers, before.lockers);
    QCOMPARE(after.media, before.media);
    QVERIFY(after.mainBytes == before.mainBytes);
    QVERIFY(after.mediaBytes == before.mediaBytes);
    QCOMPARE(after.tree, before.tree);
}

// Whatever was written lies under the data root.
void expectNothingOutsideRoot(const Stored &before, const Stored &after)
{
    QCOMPARE(entriesOutside(after.tree, u"QUORVIN/"_s), entriesOutside(before.tree, u"QUORVIN/"_s));
}

// What an earlier run left behind: the serial registered, a record the server
// sent with status 2 (disabled), the lockers of an earlier activation, each
// with a mobile number, and saved media settings.
bool seedDisabledDevice(const TestHome &home)
{
    return seedDevice(home, Serial, 2);
}

// The window still paints, reacts to its button and shows a new toast.
void expectResponsive(MainWindow &w)
{
    const QImage picture = w.grab().toImage();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), w.size() * picture.devicePixelRatio());
    if (page(w) == u"pageAddDevice") {
        submitSerial(w, QStringLiteral("short"));
        QCOMPARE(lastToast(w), QStringLiteral("Id bad format inserted!"));
    }
    callToast(&w, QStringLiteral("still answering"), 0);
    QCOMPARE(lastToast(w), QStringLiteral("still answering"));
}

// Each locker 1..count has exactly one row, and there are no others.
void expectLockerSet(const TestHome &home, int count)
{
    QStringList expected;
    for (int id = 1; id <= count; ++id)
        expected.append(QStringLiteral("%1|1").arg(id));
    QCOMPARE(
        rows(home.mainStore(),
             u"SELECT locker_id, COUNT(*) FROM lockers GROUP BY locker_id ORDER BY locker_id"_s),
        expected);
    QCOMPARE(rows(home.mainStore(), u"SELECT COUNT(*) FROM lockers"_s),
             QStringList{QString::number(count)});
}

struct FaultServer
{
    std::unique_ptr<DirectoryServer> reference;
    std::unique_ptr<ScriptedHttpServer> scripted;
    std::unique_ptr<ServerUrlOverride> closed;
    QTemporaryDir dir;
};

bool startReference(FaultServer &server, const QJsonObject &entry)
{
    server.reference = std::make_unique<DirectoryServer>();
    return startServer(*server.reference, server.dir, QJsonArray{entry});
}

bool startScripted(FaultServer &server, const QList<ScriptedHttpServer::Answer> &answers)
{
    server.scripted = std::make_unique<ScriptedHttpServer>();
    for (const ScriptedHttpServer::Answer &answer : answers)
        server.scripted->addAnswer(answer);
    return server.scripted->start();
}

} // namespace

class TstFaultsServer : public QObject
{
    Q_OBJECT

private slots:
    void networkFailures_data();
    void networkFailures();
    void largeBodies_data();
    void largeBodies();
    void unreadableRecords_data();
    void unreadableRecords();
    void oddBytes_data();
    void oddBytes();
    void wrongTypes_data();
    void wrongTypes();
    void repliesOutOfOrder_data();
    void repliesOutOfOrder();
    void cleanupTestCase();
};

void TstFaultsServer::networkFailures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("fresh");
    const QStringList faults{u"not listening"_s,
                             u"accepts and never answers"_s,
                             u"reference server answers after the time-out"_s,
                             u"HTTP 404 carrying an active record"_s,
                             u"HTTP 500 carrying an active record"_s,
                             u"Content-Length beyond a complete active record"_s,
                             u"connection closed halfway through the body"_s,
                             u"connection closed before any answer"_s,
                             u"chunked body cut off after its first chunk"_s,
                             u"answer that is not HTTP"_s};
    for (const QString &fault : faults) {
        QTest::addRow("%s, first registration", qPrintable(fault)) << fault << true;
        QTest::addRow("%s, stored device", qPrintable(fault)) << fault << false;
    }
}

// A lookup that fails on the way tells the operator so and leaves the store as
// the press left it, byte for byte: an active record inside a failed answer is
// not applied.
void TstFaultsServer::networkFailures()
{
    QFETCH(QString, fault);
    QFETCH(bool, fresh);
    tried(fault);

    const QByteArray active = json(record(u"Never Stored"_s, 16, 1));
    FaultServer server;
    std::unique_ptr<LookupTimeoutOverride> timeout;
    if (fault == u"not listening"_s) {
        server.closed = std::make_unique<ServerUrlOverride>(closedServerUrl());
    } else if (fault == u"accepts and never answers"_s) {
        timeout = std::make_unique<LookupTimeoutOverride>(700);
        ScriptedHttpServer::Answer silent;
        silent.silent = true;
        QVERIFY(startScripted(server, {silent}));
    } else if (fault == u"reference server answers after the time-out"_s) {
        timeout = std::make_unique<LookupTimeoutOverride>(700);
        QJsonObject entry = record(u"Never Stored"_s, 16, 1);
        entry.insert(u"delay_ms"_s, 3000);
        QVERIFY(startReference(server, entry));
    } else if (fault.startsWith(u"HTTP "_s)) {
        QJsonObject entry = record(u"Never Stored"_s, 16, 1);
        entry.insert(u"http_status"_s, fault.mid(5, 3).toInt());
        QVERIFY(startReference(server, entry));
    } else if (fault == u"Content-Length beyond a complete active record"_s) {
        QByteArray bytes = ScriptedHttpServer::response(200, active);
        bytes.replace("Content-Length: " + QByteArray::number(active.size()),
                      "Content-Length: " + QByteArray::number(active.size() * 2));
        QVERIFY(startScripted(server, {answer(bytes)}));
    } else if (fault == u"connection closed halfway through the body"_s) {
        const QByteArray full = ScriptedHttpServer::response(200, active);
        QVERIFY(startScripted(server, {answer(full.left(full.size() - active.size() / 2))}));
    } else if (fault == u"connection closed before any answer"_s) {
        // The client sends such a request again on new connections a few
        // times; every attempt meets the same fault.
        QVERIFY(startScripted(server, QList<ScriptedHttpServer::Answer>(8, answer(QByteArray()))));
    } else if (fault == u"chunked body cut off after its first chunk"_s) {
        const QByteArray half = active.left(active.size() / 2);
        QVERIFY(startScripted(
            server, {answer("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                            "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                            + QByteArray::number(half.size(), 16) + "\r\n" + half + "\r\n")}));
    } else if (fault == u"answer that is not HTTP"_s) {
        QVERIFY(startScripted(server, QList<ScriptedHttpServer::Answer>(
                                          8, answer("SSH-2.0-OpenSSH_9.2\r\n" + active))));
    } else {
        QFAIL("unknown fault");
    }

    TestHome home;
    if (!fresh)
        QVERIFY(seedDisabledDevice(home));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    QCOMPARE(lastToast(w), fresh ? SavedToast : ResentToast);
    QCOMPARE(spy.count(), 0);
    const Stored before = stored(home);
    QCOMPARE(before.devices.size(), 1);

    QVERIFY(spy.wait(ReplyWaitMs));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(lastToast(w), NetworkToast);
    QCOMPARE(page(w), u"pageAddDevice"_s);
    expectUnchanged(before, stored(home));
    QVERIFY(!log.contains(u"Never Stored"_s));
    expectResponsive(w);
}

void TstFaultsServer::largeBodies_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("toast");
    QTest::addColumn<bool>("activates");

    // Words of mixed scripts, so the text needs real layout work.
    QString words;
    const QString word = QStringLiteral("Schließfach 储物柜 قفل ");
    while (words.size() < EightMegabytes)
        words += word;
    const QByteArray plain = words.toUtf8().left(EightMegabytes);

    QJsonObject huge = record(u"Huge"_s, 16, 1);
    huge.insert(u"dev_description"_s, words);
    QTest::newRow("8 MB active record")
        << "8 MB active record" << json(huge) << "Everything is OK" << true;
    QTest::newRow("8 MB text without markers")
        << "8 MB text without markers" << plain << "Server reply could not be read!" << false;
    const QByteArray info = plain + " GetInfo";
    QTest::newRow("8 MB text ending in GetInfo")
        << "8 MB text ending in GetInfo" << info << u"Error: "_s + QString::fromUtf8(info).left(500)
        << false;
    QJsonObject hidden = record(u"Huge"_s, 16, 1);
    hidden.insert(u"dev_description"_s, words + u"ServerError"_s);
    QTest::newRow("8 MB active record hiding ServerError")
        << "8 MB active record hiding ServerError" << json(hidden)
        << "Server error or bad connection!" << false;
}

// Bodies of several megabytes are read, classified and, when they are a
// record, stored whole; the window stays usable.
void TstFaultsServer::largeBodies()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, body);
    QFETCH(QString, toast);
    QFETCH(bool, activates);
    tried(fault);

    FaultServer server;
    QVERIFY(startScripted(server, {answer(ScriptedHttpServer::response(200, body))}));
    TestHome home;
    QVERIFY(seedDisabledDevice(home));
    ClippedOutput clipped;
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    QCOMPARE(lastToast(w), ResentToast);
    const Stored before = stored(home);
    QVERIFY(spy.wait(ReplyWaitMs));

    QCOMPARE(lastToast(w), toast);
    // The body reached the log whole, as one line.
    bool logged = false;
    for (const QString &line : log.lines())
        logged = logged || line.size() >= body.size() / 2;
    QVERIFY(logged);

    const Stored after = stored(home);
    if (activates) {
        const QJsonObject sent = QJsonDocument::fromJson(body).object();
        const QList<QVariantList> row = queryRows(
            home.mainStore(), u"SELECT dev_name, dev_description, dev_status FROM device_info"_s);
        QCOMPARE(row.size(), 1);
        QCOMPARE(row.at(0).at(0).toString(), sent.value(u"dev_name"_s).toString());
        QVERIFY(row.at(0).at(1).toString() == sent.value(u"dev_description"_s).toString());
        QCOMPARE(row.at(0).at(2).toInt(), 1);
        expectLockerSet(home, 16);
        QCOMPARE(page(w), u"pageDevice"_s);
        QVERIFY(widget<QLabel>(w, "label_device_information")->text().size() > EightMegabytes);
        expectNothingOutsideRoot(before, after);
    } else {
        QCOMPARE(page(w), u"pageAddDevice"_s);
        expectUnchanged(before, after);
    }
    expectResponsive(w);
}

void TstFaultsServer::unreadableRecords_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("reference"); // served by the reference server

    const int depth = 100000;
    QTest::newRow("100000 levels of [ around dev_id")
        << "100000 levels of [ around dev_id"
        << QByteArray(depth, '[') + "\"dev_id\"" + QByteArray(depth, ']') << true;
    QByteArray objects;
    for (int i = 0; i < depth; ++i)
        objects += "{\"a\":";
    objects += "{\"dev_id\":1,\"dev_status\":1}" + QByteArray(depth, '}');
    QTest::newRow("100000 levels of objects around a record")
        << "100000 levels of objects around a record" << objects << false;
    QTest::newRow("unclosed nesting after dev_id")
        << "unclosed nesting after dev_id"
        << "{\"dev_id\":" + QByteArray(depth, '[') << true;
    const QByteArray active = json(record(u"Never Stored"_s, 16, 1));
    QTest::newRow("array holding an active record") << "array holding an active record"
                                                    << "[" + active + "]" << true;
    QTest::newRow("active record followed by garbage")
        << "active record followed by garbage" << active + "\n<html>oops</html>" << true;
    QTest::newRow("active record cut short")
        << "active record cut short" << active.left(active.size() - 20) << true;
    QTest::newRow("JSON string dev_id") << "JSON string dev_id" << QByteArray("\"dev_id\"") << true;
    QTest::newRow("key without value") << "key without value" << QByteArray("{\"dev_id\"}") << true;
}

// A body that mentions dev_id but is no JSON object is refused whole: the
// operator is told, nothing is written.
void TstFaultsServer::unreadableRecords()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, body);
    QFETCH(bool, reference);
    tried(fault);

    FaultServer server;
    if (reference) {
        QJsonObject entry{{u"dev_id"_s, Serial}, {u"raw_body"_s, QString::fromUtf8(body)}};
        QVERIFY(startReference(server, entry));
    } else {
        QVERIFY(startScripted(server, {answer(ScriptedHttpServer::response(200, body))}));
    }
    TestHome home;
    QVERIFY(seedDisabledDevice(home));
    ClippedOutput clipped;
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    const Stored before = stored(home);
    QVERIFY(spy.wait(ReplyWaitMs));

    QCOMPARE(lastToast(w), UnreadableToast);
    QCOMPARE(page(w), u"pageAddDevice"_s);
    expectUnchanged(before, stored(home));
    QVERIFY(!log.contains(u"Update device_setting"_s));
    expectResponsive(w);
}

void TstFaultsServer::oddBytes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("body");

    // A stray continuation byte, a lead byte without its continuation, an
    // overlong slash, an encoded surrogate, a five-byte form and 0xFF.
    QTest::newRow("invalid UTF-8 in every text of an active record")
        << "invalid UTF-8 in every text of an active record"
        << QByteArray("{\"dev_id\":\"QV8B2024001\",\"dev_name\":\"Bad\x80Name\","
                      "\"dev_model\":\"Dorne\xc3\",\"dev_lockers\":8,"
                      "\"dev_location\":\"Hall \xc0\xaf 3\",\"dev_address\":\"\xed\xa0\x80 St\","
                      "\"dev_description\":\"\xf8\x88\x80\x80\x80 door\",\"dev_status\":1,"
                      "\"dev_timer_system\":\"07:00\xff\"}");
    QTest::newRow("invalid UTF-8 in an error report")
        << "invalid UTF-8 in an error report" << QByteArray("GetInfo: no device \xff\xfe\xc3");
    // Raw control characters inside the strings, which JSON wants escaped.
    QByteArray controls = json(record(u"Plain"_s, 8, 1));
    controls.replace("Plain", QByteArray("Tab\tNul\0Esc\x1b\rEnd", 16));
    QTest::newRow("raw control characters inside an active record")
        << "raw control characters (NUL, TAB, ESC, CR) inside an active record" << controls;
}

// Bytes that are not UTF-8 arrive as U+FFFD: the record is stored as valid
// text, shown, and the window goes on. Raw control characters are kept as
// they were sent.
void TstFaultsServer::oddBytes()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, body);
    tried(fault);

    FaultServer server;
    QVERIFY(startScripted(server, {answer(ScriptedHttpServer::response(200, body))}));
    TestHome home;
    QVERIFY(seedDisabledDevice(home));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    const Stored before = stored(home);
    QVERIFY(spy.wait(ReplyWaitMs));

    const QChar replacement(0xFFFD);
    if (body.startsWith("GetInfo")) {
        QVERIFY(lastToast(w).startsWith(u"Error: GetInfo: no device "_s));
        QVERIFY(lastToast(w).contains(replacement));
        expectUnchanged(before, stored(home));
        expectResponsive(w);
        return;
    }

    QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
    QCOMPARE(page(w), u"pageDevice"_s);
    expectLockerSet(home, 8);
    if (body.contains('\0')) {
        const QByteArray name("Tab\tNul\0Esc\x1b\rEnd", 16);
        const QList<QVariantList> row =
            queryRows(home.mainStore(), u"SELECT dev_name, hex(dev_name) FROM device_info"_s);
        QCOMPARE(row.size(), 1);
        QCOMPARE(row.at(0).at(0).toString(), QString::fromUtf8(name));
        QCOMPARE(row.at(0).at(1).toByteArray(), name.toHex().toUpper());
        QVERIFY(widget<QLabel>(w, "label_device_information")
                    ->text()
                    .contains(u"Name: "_s + QString::fromUtf8(name) + u"\n"_s));
        expectNothingOutsideRoot(before, stored(home));
        expectResponsive(w);
        return;
    }
    const QStringList columns{u"dev_name"_s, u"dev_model"_s, u"dev_location"_s, u"dev_address"_s,
                              u"dev_description"_s};
    const QStringList kept{u"Bad"_s, u"Dorne"_s, u"Hall"_s, u"St"_s, u"door"_s};
    for (int i = 0; i < columns.size(); ++i) {
        const QList<QVariantList> row =
            queryRows(home.mainStore(), u"SELECT "_s + columns.at(i) + u", hex("_s + columns.at(i)
                                            + u") FROM device_info"_s);
        QCOMPARE(row.size(), 1);
        const QString text = row.at(0).at(0).toString();
        QVERIFY2(text.contains(replacement) && text.contains(kept.at(i)), qPrintable(text));
        // The stored bytes are valid UTF-8.
        QStringDecoder decode(QStringDecoder::Utf8);
        const QString decoded = decode(QByteArray::fromHex(row.at(0).at(1).toByteArray()));
        QVERIFY(!decode.hasError());
        QCOMPARE(decoded, text);
    }
    const QString timer =
        rows(home.mainStore(), u"SELECT dev_timer_system FROM device_setting"_s).value(0);
    QCOMPARE(timer, QStringLiteral("07:00") + replacement);
    QVERIFY(widget<QLabel>(w, "label_device_information")->text().contains(replacement));
    expectNothingOutsideRoot(before, stored(home));
    expectResponsive(w);
}

void TstFaultsServer::wrongTypes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QJsonValue>("textValue");
    QTest::addColumn<QJsonValue>("numberValue");

    const QJsonValue array = QJsonArray{1, u"Brisa"_s, QJsonArray{}};
    const QJsonValue object = QJsonObject{{u"value"_s, 1}, {u"dev_status"_s, 1}};
    QTest::newRow("arrays") << "arrays in every key" << array << array;
    QTest::newRow("objects") << "objects in every key" << object << object;
    QTest::newRow("true") << "true in every key" << QJsonValue(true) << QJsonValue(true);
    QTest::newRow("false") << "false in every key" << QJsonValue(false) << QJsonValue(false);
    QTest::newRow("null") << "null in every key" << QJsonValue(QJsonValue::Null)
                          << QJsonValue(QJsonValue::Null);
    QTest::newRow("swapped") << "numbers for texts, words for numbers" << QJsonValue(42)
                             << QJsonValue(u"one"_s);
    QTest::newRow("out of range") << "numbers beyond any integer" << QJsonValue(-1e300)
                                  << QJsonValue(1e300);
    QTest::newRow("digits split by a blank")
        << "digit strings split by a blank" << QJsonValue(QJsonArray{u"Brisa"_s})
        << QJsonValue(u"1 2"_s);
}

// Every key of the wrong type gives its fallback: the record is written with
// empty texts and zeros, status 0 keeps the page, the lockers stay.
void TstFaultsServer::wrongTypes()
{
    QFETCH(QString, fault);
    QFETCH(QJsonValue, textValue);
    QFETCH(QJsonValue, numberValue);
    tried(fault);

    QJsonObject body{{u"dev_id"_s, Serial}};
    for (const char *key : {"dev_name", "dev_model", "dev_location", "dev_address",
                            "dev_description", "dev_timer_system"})
        body.insert(QLatin1String(key), textValue);
    for (const char *key : {"dev_lockers", "dev_status"})
        body.insert(QLatin1String(key), numberValue);

    FaultServer server;
    QJsonObject entry{{u"dev_id"_s, Serial}, {u"raw_body"_s, QString::fromUtf8(json(body))}};
    QVERIFY(startReference(server, entry));
    TestHome home;
    QVERIFY(seedDisabledDevice(home));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    const Stored before = stored(home);
    QVERIFY(spy.wait(ReplyWaitMs));

    QCOMPARE(lastToast(w), ResentToast); // status 0: nothing to report
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QVERIFY(log.contains(u"Update device_setting OK!"_s));
    const Stored after = stored(home);
    QCOMPARE(rows(home.mainStore(),
                  u"SELECT id, dev_id, dev_name, dev_model, dev_lockers, dev_location, "
                  "dev_address, dev_description, dev_status FROM device_info"_s),
             QStringList{u"1|"_s + Serial + u"|||0||||0"_s});
    QCOMPARE(rows(home.mainStore(), u"SELECT dev_timer_system FROM device_setting"_s),
             QStringList{QString()});
    QCOMPARE(after.lockers, before.lockers);
    QCOMPARE(after.media, before.media);
    QVERIFY(after.mediaBytes == before.mediaBytes);
    QCOMPARE(after.tree, before.tree);
    expectResponsive(w);
}

void TstFaultsServer::repliesOutOfOrder_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("secondSerial"); // empty: the same serial twice
    QTest::addColumn<QByteArray>("firstAnswer"); // to the first request, sent last
    QTest::addColumn<QByteArray>("secondAnswer"); // to the second request, sent first
    QTest::addColumn<QString>("finalName");
    QTest::addColumn<int>("finalLockers");

    QTest::newRow("disabled answer overtakes an active one")
        << "disabled answer overtakes an active one" << QString() << json(record(u"First"_s, 16, 1))
        << json(record(u"Second"_s, 7, 2)) << "First" << 16;
    QTest::newRow("active answers in reverse, count grows")
        << "two active answers in reverse order, locker count grows" << QString()
        << json(record(u"First"_s, 16, 1)) << json(record(u"Second"_s, 7, 1)) << "First" << 16;
    QTest::newRow("active answers in reverse, count shrinks")
        << "two active answers in reverse order, locker count shrinks" << QString()
        << json(record(u"First"_s, 7, 1)) << json(record(u"Second"_s, 16, 1)) << "First" << 7;
    QTest::newRow("answer for a replaced serial arrives last")
        << "answer for a replaced serial arrives last"
        << "QV16F2024005" << json(record(u"Stale"_s, 16, 1)) << json(record(u"Current"_s, 8, 1))
        << "Current" << 8;
}

// Two lookups in flight whose answers come back the other way round: each is
// handled whole in the order it arrives, the store ends as the last applied
// answer left it, with one device row and one locker row per locker.
void TstFaultsServer::repliesOutOfOrder()
{
    QFETCH(QString, fault);
    QFETCH(QString, secondSerial);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(QByteArray, secondAnswer);
    QFETCH(QString, finalName);
    QFETCH(int, finalLockers);
    tried(fault);

    ScriptedHttpServer server;
    ScriptedHttpServer::Answer held;
    held.hold = true;
    server.addAnswer(held);
    server.addAnswer(held);
    QVERIFY(server.start());
    TestHome home;
    QVERIFY(seedDisabledDevice(home));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, Serial);
    submitSerial(w, secondSerial.isEmpty() ? Serial : secondSerial);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 2, ReplyWaitMs);
    const Stored before = stored(home);

    // Which connection carries which request is the client's choice; the
    // answer goes by the ID asked for and by the order the clicks were made.
    int firstRequest = 0;
    int secondRequest = 1;
    if (!secondSerial.isEmpty() && server.requests().at(0).contains("Id=" + secondSerial.toUtf8()))
        std::swap(firstRequest, secondRequest);
    QVERIFY(server.respond(secondRequest, ScriptedHttpServer::response(200, secondAnswer)));
    QVERIFY(spy.wait(ReplyWaitMs));
    QVERIFY(server.respond(firstRequest, ScriptedHttpServer::response(200, firstAnswer)));
    if (spy.count() < 2)
        QVERIFY(spy.wait(ReplyWaitMs));
    QCOMPARE(spy.count(), 2);

    const QString firstName =
        QJsonDocument::fromJson(firstAnswer).object().value(u"dev_name"_s).toString();
    const QString secondName =
        QJsonDocument::fromJson(secondAnswer).object().value(u"dev_name"_s).toString();
    int firstLogged = -1;
    int secondLogged = -1;
    const QStringList lines = log.lines();
    for (int i = 0; i < lines.size(); ++i) {
        if (firstLogged < 0 && lines.at(i).contains(u"\\\"dev_name\\\":\\\""_s + firstName))
            firstLogged = i;
        if (secondLogged < 0 && lines.at(i).contains(u"\\\"dev_name\\\":\\\""_s + secondName))
            secondLogged = i;
    }
    if (!secondSerial.isEmpty()) {
        // The stale answer is set aside before its body is even read.
        QVERIFY(log.indexOf(u"Reply ignored, it was sent for another device ID: \""_s + Serial
                            + u"\""_s)
                >= 0);
        QCOMPARE(firstLogged, -1);
        QVERIFY(secondLogged >= 0);
    } else {
        QVERIFY(secondLogged >= 0);
        QVERIFY(firstLogged > secondLogged);
    }

    const QJsonObject last =
        QJsonDocument::fromJson(finalName == firstName ? firstAnswer : secondAnswer).object();
    const QString serial = secondSerial.isEmpty() ? Serial : secondSerial;
    QCOMPARE(rows(home.mainStore(),
                  u"SELECT id, dev_id, dev_name, dev_lockers, dev_description, dev_status "
                  "FROM device_info"_s),
             QStringList{QStringLiteral("1|%1|%2|%3|Description %2|1")
                             .arg(serial, finalName)
                             .arg(last.value(u"dev_lockers"_s).toInt())});
    QCOMPARE(rows(home.mainStore(), u"SELECT id, dev_timer_system FROM device_setting"_s),
             QStringList{u"1|07:00-19:00"_s});
    expectLockerSet(home, finalLockers);
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
    QVERIFY(
        widget<QLabel>(w, "label_device_information")->text().contains(u"Name: "_s + finalName));
    QDir root(home.root());
    QVERIFY(root.exists(serial));
    if (!secondSerial.isEmpty())
        QVERIFY(!root.exists(Serial));
    expectNothingOutsideRoot(before, stored(home));
    expectResponsive(w);
}

void TstFaultsServer::cleanupTestCase()
{
    reportFaultsTried();
}

QTEST_MAIN(TstFaultsServer)
#include "tst_faults_server.moc"
