// Faults on the way to and from the device directory server: no server, a
// server that never answers, error statuses, bodies cut short, bodies of
// several megabytes, broken text and JSON, keys of the wrong type, and answers
// that arrive in another order than their requests. Every case runs the real
// window on a fresh store or on one that an earlier run left behind, and checks
// that the operator is told what happened, that stored data is lost nowhere,
// and that nothing is written outside the data root.

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

const QString NetworkToast = u"Network Error or Server Unreachable"_s;
const QString UnreadableToast = u"Server reply could not be read!"_s;
const QString ServerErrorToast = u"Server error or bad connection!"_s;
const QString ResentToast = u"Try connect server!"_s;

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

// The texts of a record the tests send, derived from its name.
QStringList recordFields(const QString &name, int lockers)
{
    return sampleFields(SampleSerial, name, lockers);
}

QJsonObject record(const QString &name, int lockers, int status)
{
    return deviceEntry(recordFields(name, lockers), status);
}

QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    object.insert(key, value);
    return object;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Words of mixed scripts, so the text needs real layout work.
QString eightMegabytesOfWords()
{
    QString words;
    while (words.size() < EightMegabytes)
        words += u"Schließfach 储物柜 قفل "_s;
    return words;
}

// The line the window logs for a reply body: the text, quoted.
QString loggedBody(const QByteArray &body)
{
    QString line;
    QDebug(&line) << QString::fromUtf8(body);
    return line.trimmed();
}

// How the server meets the lookup. With neither an entry nor answers nothing
// listens.
struct Script
{
    QJsonObject entry;                         // the reference server's one catalogue entry
    QStringList arguments;                     // and further arguments for it
    QList<ScriptedHttpServer::Answer> answers; // the scripted server's answers
    QByteArray body;                           // the body it sends, when the case knows it whole
    int timeoutMs = 0;                         // the lookup time-out; 0 keeps the default
};

Script reference(const QJsonObject &entry, const QStringList &arguments = {}, int timeoutMs = 0)
{
    return Script{entry, arguments, {}, {}, timeoutMs};
}

// The reference server sends this body for the serial, as it is.
Script rawBody(const QByteArray &body)
{
    return Script{
        {{u"dev_id"_s, SampleSerial}, {u"raw_body"_s, QString::fromUtf8(body)}}, {}, {}, body, 0};
}

Script scripted(const QList<ScriptedHttpServer::Answer> &answers, int timeoutMs = 0)
{
    return Script{{}, {}, answers, {}, timeoutMs};
}

// A complete answer with status 200 and this body.
Script scripted(const QByteArray &body)
{
    return Script{{}, {}, {answer(ScriptedHttpServer::response(200, body))}, body, 0};
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

// The device row and the timer text hold these texts (as recordFields gives
// them), stored as valid UTF-8 whatever bytes they came in.
void expectStoredDevice(const TestHome &home, const QStringList &fields, int status,
                        const QString &timerSystem)
{
    const QString main = home.mainStore();
    QVERIFY(storedDevices(home) == QStringList{storedDeviceRow(fields, status)});
    QCOMPARE(rows(main, u"SELECT dev_timer_system FROM device_setting"_s),
             QStringList{timerSystem});
    const QByteArray textBytes = QByteArray::fromHex(
        rows(main, u"SELECT hex(dev_name || dev_model || dev_location || dev_address || "
                   "dev_description) FROM device_info"_s)
            .value(0)
            .toLatin1());
    QStringDecoder decode(QStringDecoder::Utf8);
    QVERIFY(QString(decode(textBytes))
            == fields[1] + fields[2] + fields[4] + fields[5] + fields[6]);
    QVERIFY(!decode.hasError());
}

// The device of these texts is active, and its folder added to the files
// there were.
void expectActivated(const TestHome &home, MainWindow &w, const QStringList &fields,
                     const QStringList &treeBefore)
{
    QCOMPARE(lastToast(w), u"Everything is OK"_s);
    expectActiveDevice(home, w, fields);
    QStringList tree = treeBefore;
    tree.append(u"QUORVIN/"_s + fields[0] + u'/');
    tree.sort();
    QCOMPARE(treeListing(home.home()), tree);
}

// One lookup: the server of its case, the log it writes, and what the press
// alone did.
struct Lookup
{
    std::unique_ptr<DirectoryServer> reference;
    std::unique_ptr<ScriptedHttpServer> scripted;
    std::unique_ptr<ServerUrlOverride> closed;
    std::unique_ptr<LookupTimeoutOverride> timeout;
    ClippedOutput clipped;
    LogCapture log;
    QString pressToast;
    Stored before;
};

bool startServer(Lookup &lookup, const Script &script)
{
    lookup.timeout = std::make_unique<LookupTimeoutOverride>(script.timeoutMs);
    if (!script.entry.isEmpty()) {
        lookup.reference = std::make_unique<DirectoryServer>();
        return lookup.reference->serve({script.entry}, script.arguments);
    }
    if (!script.answers.isEmpty()) {
        lookup.scripted = std::make_unique<ScriptedHttpServer>();
        for (const ScriptedHttpServer::Answer &answer : script.answers)
            lookup.scripted->addAnswer(answer);
        return lookup.scripted->start();
    }
    lookup.closed = std::make_unique<ServerUrlOverride>();
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Script)

namespace {

// A row of failedLookupsWriteNothing, run on a fresh store and on a stored
// device, or on a stored device only.
void bothStores(const char *name, const Script &script, const QString &toast)
{
    QTest::addRow("%s, first registration", name) << script << true << toast;
    QTest::addRow("%s, stored device", name) << script << false << toast;
}

void storedDevice(const char *name, const Script &script, const QString &toast)
{
    QTest::newRow(name) << script << false << toast;
}

// Transfers that fail, each carrying an active record that must not be
// applied. The client tries a connection closed before any answer, or one not
// speaking HTTP, again a few times.
void addFailedTransfers()
{
    const QByteArray active = json(record(u"Never Stored"_s, 16, 1));
    const QByteArray full = ScriptedHttpServer::response(200, active);
    const QByteArray half = active.left(active.size() / 2);
    ScriptedHttpServer::Answer silent;
    silent.silent = true;
    QByteArray longer = full;
    longer.replace("Content-Length: " + QByteArray::number(active.size()),
                   "Content-Length: " + QByteArray::number(active.size() * 2));
    // The chunk is cut inside itself: a close right after a whole chunk is
    // taken for the end of the body by the client on some runs.
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                               "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                               + QByteArray::number(active.size(), 16) + "\r\n" + half;
    const QJsonObject entry = record(u"Never Stored"_s, 16, 1);
    const QList<ScriptedHttpServer::Answer> closed(8, answer({}));
    const QList<ScriptedHttpServer::Answer> notHttp(8, answer("SSH-2.0-OpenSSH_9.2\r\n" + active));

    bothStores("not listening", Script(), NetworkToast);
    bothStores("accepts and never answers", scripted({silent}, 700), NetworkToast);
    bothStores("reference server answers after the time-out",
               reference(with(entry, u"delay_ms"_s, 3000), {}, 700), NetworkToast);
    bothStores("HTTP 404 carrying an active record", reference(with(entry, u"http_status"_s, 404)),
               NetworkToast);
    bothStores("HTTP 500 carrying an active record", reference(with(entry, u"http_status"_s, 500)),
               NetworkToast);
    bothStores("Content-Length beyond a complete active record", scripted({answer(longer)}),
               NetworkToast);
    bothStores("connection closed halfway through the body",
               scripted({answer(full.left(full.size() - half.size()))}), NetworkToast);
    bothStores("connection closed before any answer", scripted(closed), NetworkToast);
    bothStores("chunked body cut off inside its first chunk", scripted({answer(chunked)}),
               NetworkToast);
    bothStores("answer that is not HTTP", scripted(notHttp), NetworkToast);
}

// Answers that report an error, carry no record, or mention dev_id but are no
// JSON object; bodies of several megabytes are read and classified whole.
void addRefusedAnswers()
{
    const QJsonObject active = record(u"Never Stored"_s, 16, 1);
    bothStores("unknown serial", reference(with(active, u"dev_id"_s, u"QVOTHER00001"_s)),
               uR"(Error: GetInfo: no device with ID "QV8B2024001")"_s);
    bothStores("wrong access value", reference(active, {u"--access"_s, u"Other"_s}),
               ServerErrorToast);
    bothStores(
        "ServerError inside a record",
        rawBody(R"({"dev_id":"QV8B2024001","dev_status":1,"dev_description":"ServerError"})"),
        ServerErrorToast);
    const QByteArray inName = R"({"dev_id":"QV8B2024001","dev_status":1,"dev_name":"GetInfo"})";
    bothStores("GetInfo inside a record", rawBody(inName),
               u"Error: "_s + QString::fromUtf8(inName));
    bothStores("no marker", rawBody("OK"), UnreadableToast);
    storedDevice("invalid UTF-8 in an error report", scripted("GetInfo: no device \xff\xfe\xc3"),
                 u"Error: GetInfo: no device \uFFFD\uFFFD\uFFFD"_s);

    const int depth = 100000;
    QByteArray objects;
    for (int i = 0; i < depth; ++i)
        objects += "{\"a\":";
    const QList<std::pair<const char *, Script>> unreadable{
        {"100000 levels of [ around dev_id",
         rawBody(QByteArray(depth, '[') + "\"dev_id\"" + QByteArray(depth, ']'))},
        {"100000 levels of objects around a record",
         scripted(objects + "{\"dev_id\":1,\"dev_status\":1}" + QByteArray(depth, '}'))},
        {"unclosed nesting after dev_id", rawBody("{\"dev_id\":" + QByteArray(depth, '['))},
        {"array holding an active record", rawBody("[" + json(active) + "]")},
        {"active record followed by garbage", rawBody(json(active) + "\n<html>oops</html>")},
        {"active record cut short", rawBody(json(active).chopped(20))},
        {"JSON string dev_id", rawBody("\"dev_id\"")},
        {"key without value", rawBody("{\"dev_id\"}")},
    };
    for (const auto &[name, script] : unreadable)
        storedDevice(name, script, UnreadableToast);

    const QString words = eightMegabytesOfWords();
    const QByteArray plain = words.toUtf8().left(EightMegabytes);
    storedDevice("8 MB text without markers", scripted(plain), UnreadableToast);
    storedDevice("8 MB text ending in GetInfo", scripted(plain + " GetInfo"),
                 u"Error: "_s + QString::fromUtf8(plain).left(500));
    storedDevice("8 MB active record hiding ServerError",
                 scripted(json(with(active, u"dev_description"_s, words + u"ServerError"_s))),
                 ServerErrorToast);
}

// Sends each answer (request index, body) in turn, once the window has handled
// the one before, and gives the bodies the window logged, in that order.
QList<QByteArray> answerInTurn(ScriptedHttpServer &server,
                               const QList<std::pair<int, QByteArray>> &order,
                               const QSignalSpy &replies, const LogCapture &log)
{
    for (const auto &[request, body] : order) {
        const qsizetype handled = replies.count();
        if (!server.respond(request, ScriptedHttpServer::response(200, body))
            || !QTest::qWaitFor([&] { return replies.count() > handled; }, ReplyWaitMs))
            return {};
    }
    QList<QByteArray> logged;
    for (const QString &line : log.lines())
        for (const auto &[request, body] : order)
            if (line == loggedBody(body))
                logged.append(body);
    return logged;
}

// Records whose every key has the wrong type: each gives its fallback, empty
// texts and zeros.
void addWrongTypes()
{
    const QStringList fallbacks{SampleSerial, {}, {}, u"0"_s, {}, {}, {}};
    const auto row = [&](const char *name, const QJsonValue &text, const QJsonValue &number) {
        QJsonObject sent{{u"dev_id"_s, SampleSerial}};
        for (const char *key : {"dev_name", "dev_model", "dev_location", "dev_address",
                                "dev_description", "dev_timer_system"})
            sent.insert(QLatin1String(key), text);
        for (const char *key : {"dev_lockers", "dev_status"})
            sent.insert(QLatin1String(key), number);
        QTest::newRow(name) << json(sent) << fallbacks << 0 << QString();
    };
    const QJsonValue array = QJsonArray{1, u"Brisa"_s, QJsonArray{}};
    const QJsonValue object = QJsonObject{{u"value"_s, 1}, {u"dev_status"_s, 1}};
    row("arrays in every key", array, array);
    row("objects in every key", object, object);
    row("true in every key", true, true);
    row("false in every key", false, false);
    row("null in every key", QJsonValue::Null, QJsonValue::Null);
    row("numbers for texts, words for numbers", 42, u"one"_s);
    row("numbers beyond any integer", -1e300, 1e300);
    row("digit strings split by a blank", QJsonArray{u"Brisa"_s}, u"1 2"_s);
}

} // namespace

class TstFaultsServer : public WindowTest
{
    Q_OBJECT

private slots:
    void failedLookupsWriteNothing_data();
    void failedLookupsWriteNothing();
    void answersStoredAsSent_data();
    void answersStoredAsSent();
    void twoLookupsInFlight_data();
    void twoLookupsInFlight();

private:
    bool lookUp(Lookup &lookup, const Script &script, bool fresh);
};

// Starts the case's server, seeds the stored device (status 2, with lockers
// and media settings) unless the registration is the first, then types the
// serial, presses add and waits until the window has handled the reply.
bool TstFaultsServer::lookUp(Lookup &lookup, const Script &script, bool fresh)
{
    if (!startServer(lookup, script) || (!fresh && !seedDevice(home(), SampleSerial, 2)))
        return false;
    MainWindow &w = window();
    return submitAndWait(w, SampleSerial, [&] {
        lookup.pressToast = lastToast(w);
        lookup.before = stored(home());
    });
}

void TstFaultsServer::failedLookupsWriteNothing_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<QString>("toast");
    addFailedTransfers();
    addRefusedAnswers();
}

// A lookup that fails, or whose answer reports an error or cannot be read,
// tells the operator so and leaves the stores as the press left them, byte for
// byte: an active record inside a failed answer is not applied.
void TstFaultsServer::failedLookupsWriteNothing()
{
    QFETCH(Script, script);
    QFETCH(bool, fresh);
    QFETCH(QString, toast);

    Lookup lookup;
    QVERIFY(lookUp(lookup, script, fresh));
    QCOMPARE(lookup.pressToast, fresh ? SavedToast : ResentToast);
    QCOMPARE(lookup.before.devices.size(), 1);
    QCOMPARE(lastToast(window()), toast);
    QCOMPARE(page(window()), u"pageAddDevice"_s);
    expectUnchanged(lookup.before, stored(home()));
    QVERIFY(!lookup.log.contains(u"Update device_setting"_s));
    // A body that arrived is logged whole, as one line; one whose transfer
    // failed is not read at all.
    if (!script.body.isEmpty())
        QVERIFY(lookup.log.indexOf(loggedBody(script.body)) >= 0);
    if (toast == NetworkToast)
        QVERIFY(!lookup.log.contains(u"Never Stored"_s));
    expectResponsive(window());
}

void TstFaultsServer::answersStoredAsSent_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("fields"); // as recordFields gives them
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("timerSystem");

    const QString words = eightMegabytesOfWords();
    QStringList huge = recordFields(u"Huge"_s, 16);
    huge[6] = words;
    QTest::newRow("8 MB active record")
        << json(with(record(u"Huge"_s, 16, 1), u"dev_description"_s, words)) << huge << 1
        << u"07:00-19:00"_s;

    // A stray continuation byte, a lead byte without its continuation, an
    // overlong slash, an encoded surrogate, a five-byte form and 0xFF: each
    // arrives as U+FFFD.
    QTest::newRow("invalid UTF-8 in every text of an active record")
        << QByteArray("{\"dev_id\":\"QV8B2024001\",\"dev_name\":\"Bad\x80Name\","
                      "\"dev_model\":\"Dorne\xc3\",\"dev_lockers\":8,"
                      "\"dev_location\":\"Hall \xc0\xaf 3\",\"dev_address\":\"\xed\xa0\x80 St\","
                      "\"dev_description\":\"\xf8\x88\x80\x80\x80 door\",\"dev_status\":1,"
                      "\"dev_timer_system\":\"07:00\xff\"}")
        << QStringList{SampleSerial,
                       u"Bad\uFFFDName"_s,
                       u"Dorne\uFFFD"_s,
                       u"8"_s,
                       u"Hall \uFFFD\uFFFD 3"_s,
                       u"\uFFFD\uFFFD\uFFFD St"_s,
                       u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD door"_s}
        << 1 << u"07:00\uFFFD"_s;

    // Raw control characters inside the strings, which JSON wants escaped, are
    // kept as they were sent.
    const QByteArray controls("Tab\tNul\0Esc\x1b\rEnd", 16);
    QByteArray body = json(record(u"Plain"_s, 8, 1));
    body.replace("Plain", controls);
    QTest::newRow("raw control characters (NUL, TAB, ESC, CR) inside an active record")
        << body << recordFields(QString::fromUtf8(controls), 8) << 1 << u"07:00-19:00"_s;

    addWrongTypes();
}

// An answer that is a record is stored as valid text whatever bytes it came
// in, and shown when it activates the device; status 0 keeps the page and the
// lockers, and says the device is inactive.
void TstFaultsServer::answersStoredAsSent()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, fields);
    QFETCH(int, status);
    QFETCH(QString, timerSystem);

    Lookup lookup;
    QVERIFY(lookUp(lookup, scripted(body), false));
    MainWindow &w = window();
    QVERIFY(lookup.log.indexOf(loggedBody(body)) >= 0);
    QVERIFY(lookup.log.indexOf(u"Update device_setting OK!"_s) >= 0);
    expectStoredDevice(home(), fields, status, timerSystem);
    const Stored after = stored(home());
    if (status == 1) {
        expectActivated(home(), w, fields, lookup.before.tree);
    } else {
        QCOMPARE(lastToast(w), u"Device inactive!"_s);
        QCOMPARE(page(w), u"pageAddDevice"_s);
        QCOMPARE(after.lockers, lookup.before.lockers);
        QCOMPARE(after.tree, lookup.before.tree);
    }
    QCOMPARE(after.media, lookup.before.media);
    QVERIFY(after.mediaBytes == lookup.before.mediaBytes);
    expectResponsive(w);
}

void TstFaultsServer::twoLookupsInFlight_data()
{
    QTest::addColumn<QString>("secondSerial");    // empty: the same serial twice
    QTest::addColumn<QByteArray>("firstAnswer");  // to the first request
    QTest::addColumn<QByteArray>("secondAnswer"); // to the second request
    QTest::addColumn<bool>("secondAnsweredFirst");
    QTest::addColumn<QString>("finalName");
    QTest::addColumn<int>("finalLockers");

    const auto sent = [](const char *name, int lockers, int status) {
        return json(record(QString::fromLatin1(name), lockers, status));
    };
    QTest::newRow("answers in the order asked")
        << QString() << sent("First", 7, 1) << sent("Second", 16, 1) << false << "Second" << 16;
    QTest::newRow("disabled answer overtakes an active one")
        << QString() << sent("First", 16, 1) << sent("Second", 7, 2) << true << "First" << 16;
    QTest::newRow("active answers in reverse, count grows")
        << QString() << sent("First", 16, 1) << sent("Second", 7, 1) << true << "First" << 16;
    QTest::newRow("active answers in reverse, count shrinks")
        << QString() << sent("First", 7, 1) << sent("Second", 16, 1) << true << "First" << 7;
    QTest::newRow("answer for a replaced serial arrives last")
        << u"QV16F2024005"_s << sent("Stale", 16, 1) << sent("Current", 8, 1) << true << "Current"
        << 8;
}

// Two lookups in flight: each answer is handled whole in the order it arrives,
// and one for a serial since replaced is set aside before its body is read. The
// store ends as the last applied answer left it, with one device row and one
// locker row per locker.
void TstFaultsServer::twoLookupsInFlight()
{
    QFETCH(QString, secondSerial);
    QFETCH(QByteArray, firstAnswer);
    QFETCH(QByteArray, secondAnswer);
    QFETCH(bool, secondAnsweredFirst);
    QFETCH(QString, finalName);
    QFETCH(int, finalLockers);

    ScriptedHttpServer server;
    server.addAnswer(answer({}, true));
    server.addAnswer(answer({}, true));
    QVERIFY(server.start());
    QVERIFY(seedDevice(home(), SampleSerial, 2));
    LogCapture log;
    MainWindow &w = window();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    const bool replaced = !secondSerial.isEmpty();
    const QString serial = replaced ? secondSerial : SampleSerial;
    submitSerial(w, SampleSerial);
    submitSerial(w, serial);
    QCOMPARE(lastToast(w), replaced ? u"ID Update, Try connect server!"_s : ResentToast);
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 2, ReplyWaitMs);
    const QStringList treeBefore = treeListing(home().home());

    // Which connection carries which request is the client's choice; the
    // answer goes by the ID asked for and by the order the clicks were made.
    QList<std::pair<int, QByteArray>> order{{0, firstAnswer}, {1, secondAnswer}};
    if (replaced && server.requests().at(0).contains("Id=" + secondSerial.toUtf8()))
        std::swap(order[0].first, order[1].first);
    if (secondAnsweredFirst)
        std::swap(order[0], order[1]);
    QList<QByteArray> applied;
    for (const auto &[request, body] : order)
        if (!replaced || body == secondAnswer)
            applied.append(body);
    QCOMPARE(answerInTurn(server, order, replies, log), applied);
    QCOMPARE(log.lines().count(u"Update device_setting OK!"_s), applied.size());
    QCOMPARE(
        log.indexOf(u"Reply ignored, it was sent for another device ID: \""_s + SampleSerial + u'"')
            >= 0,
        replaced);
    QStringList fields = recordFields(finalName, finalLockers);
    fields[0] = serial;
    expectStoredDevice(home(), fields, 1, u"07:00-19:00"_s);
    expectActivated(home(), w, fields, treeBefore);
    QCOMPARE(toastLabels(&w), (QStringList{u"All Locker cleared!"_s, u"Locker db create! OK"_s,
                                           u"Lockers insert! OK"_s, u"Everything is OK"_s}));
    expectResponsive(w);
}

QTEST_MAIN(TstFaultsServer)
#include "tst_faults_server.moc"
