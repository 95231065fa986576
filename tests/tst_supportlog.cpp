#include "support/testsupport.h"

#include "app/supportlog.h"
#include "ui/fonts.h"

#include <QDirIterator>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {
QStringList fileLines(const QString &path)
{
    QStringList lines = QString::fromUtf8(fileBytes(path)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The message part of a log file line, after its time stamp.
QStringList messages(const QStringList &lines)
{
    QStringList texts;
    for (const QString &line : lines)
        texts.append(line.section(QLatin1Char(' '), 1));
    return texts;
}

// Some TrueType font of this system, or an empty path.
QString anyInstalledFontFile()
{
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::FontsLocation)) {
        QDirIterator found(folder, {u"*.ttf"_s}, QDir::Files, QDirIterator::Subdirectories);
        if (found.hasNext())
            return found.next();
    }
    return {};
}

// The process's time zone, set through TZ for one scope; an empty zone
// leaves the machine's own.
class TimeZone
{
public:
    explicit TimeZone(const QByteArray &zone) : m_set(!zone.isEmpty()), m_previous(qgetenv("TZ"))
    {
        if (m_set)
            qputenv("TZ", zone);
    }
    ~TimeZone()
    {
        if (m_set && m_previous.isEmpty())
            qunsetenv("TZ");
        else if (m_set)
            qputenv("TZ", m_previous);
    }

private:
    bool m_set;
    QByteArray m_previous;
};

// Installs the support log for one scope.
class SupportLog
{
public:
    SupportLog(const QString &path, qint64 maxBytes) { supportlog::install(path, maxBytes); }
    ~SupportLog() { supportlog::uninstall(); }
};
} // namespace

class SupportLogTest : public QObject
{
    Q_OBJECT
private slots:
    void linesGoToFileAndOutput_data();
    void linesGoToFileAndOutput();
    void rotatesWithOnePredecessor();
    void keepsItsCap_data();
    void keepsItsCap();
    void longLineIsCut();
    void unwritableFileIsSkipped();
    void windowLogHoldsNoSecret_data();
    void windowLogHoldsNoSecret();
    void missingFamiliesMapToLookAlikes();
    void fontsBesideTheProgramAreRegistered();
};

void SupportLogTest::linesGoToFileAndOutput_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("the machine's zone") << QByteArray();
    // Three and a half hours ahead of UTC, as at the cabinets.
    QTest::newRow("UTC+03:30") << QByteArray("IRST-3:30");
}

void SupportLogTest::linesGoToFileAndOutput()
{
    QFETCH(QByteArray, zone);
    const TimeZone timeZone(zone);
    TestHome home;
    QVERIFY(QDir().mkpath(home.root()));
    const QString path = supportlog::filePathUnder(home.root());
    QCOMPARE(path, home.root() + u"quorvin-settings.log"_s);
    LogCapture output;
    // Times in the log have milliseconds, as these do.
    const QDateTime before = QDateTime::currentDateTime();
    {
        SupportLog log(path, supportlog::DefaultMaxBytes);
        QMessageLogger().debug() << "Insert error:" << QStringLiteral("no such table");
        // In the file at once: a program killed a moment later leaves it behind.
        QCOMPARE(messages(fileLines(path)), QStringList{u"Insert error: \"no such table\""_s});
        qDebug() << "second" << 2;
    }
    const QDateTime after = QDateTime::currentDateTime();
    const QStringList lines = fileLines(path);
    QCOMPARE(messages(lines), (QStringList{u"Insert error: \"no such table\""_s, u"second 2"_s}));
    // Each line starts with its local time in the ISO form with milliseconds,
    // so support can put it beside other logs.
    for (const QString &line : lines) {
        const QString stamp = line.section(u' ', 0, 0);
        const QDateTime time = QDateTime::fromString(stamp, Qt::ISODateWithMs);
        QVERIFY2(time >= before && time <= after, qPrintable(line));
        QCOMPARE(stamp, time.toString(Qt::ISODateWithMs));
    }
#ifndef Q_OS_WIN
    // Only the account that runs the program may read it; on Windows the
    // folder's access list decides.
    QVERIFY(!othersMayUse(path));
#endif
    // The usual output still gets every line.
    QVERIFY(output.indexOf(u"Insert error: \"no such table\""_s) >= 0);
    QVERIFY(output.indexOf(u"second 2"_s) >= 0);
}

void SupportLogTest::rotatesWithOnePredecessor()
{
    TestHome home;
    QVERIFY(QDir().mkpath(home.root()));
    const QString path = supportlog::filePathUnder(home.root());
    const qint64 cap = 400;
    LogCapture output;
    {
        SupportLog log(path, cap);
        for (int i = 1; i <= 40; ++i)
            qDebug().noquote() << QStringLiteral("line %1").arg(i, 2, 10, QLatin1Char('0'));
    }
    const QStringList current = messages(fileLines(path));
    const QStringList previous = messages(fileLines(path + u".1"_s));
    QVERIFY(QFile(path).size() <= cap);
    QVERIFY(QFile(path + u".1"_s).size() <= cap);
    QVERIFY(!QFile::exists(path + u".2"_s));
    QVERIFY(!current.isEmpty());
    QVERIFY(!previous.isEmpty());
    // The newest line is last in the current file, and the predecessor ends
    // right where the current file begins: nothing in between is lost.
    QCOMPARE(current.constLast(), QStringLiteral("line 40"));
    const int firstCurrent = current.constFirst().mid(5).toInt();
    QCOMPARE(previous.constLast().mid(5).toInt(), firstCurrent - 1);
    QCOMPARE(previous.size() + current.size(),
             current.constLast().mid(5).toInt() - previous.constFirst().mid(5).toInt() + 1);
}

void SupportLogTest::keepsItsCap_data()
{
    QTest::addColumn<QByteArray>("earlier");     // the file as an earlier run left it
    QTest::addColumn<bool>("held");              // open in another program meanwhile
    QTest::addColumn<int>("lines");              // written in this run
    QTest::addColumn<QByteArray>("predecessor"); // the .1 file expected, when given

    // On Windows a file another program holds can be neither renamed nor removed.
    QTest::newRow("held by another program") << QByteArray("") << true << 40 << QByteArray();
    // The earlier run's bytes count from the first line on.
    const QByteArray nearCap = QByteArray(379, 'x') + '\n';
    QTest::newRow("found near its cap") << nearCap << false << 1 << nearCap;
    // Emptied in place, its lines still reach support as the predecessor.
    QTest::newRow("held near its cap") << nearCap << true << 1 << nearCap;
}

// Whatever the file was and whoever holds it, it stays within its cap and the
// newest line is in it.
void SupportLogTest::keepsItsCap()
{
    QFETCH(QByteArray, earlier);
    QFETCH(bool, held);
    QFETCH(int, lines);
    QFETCH(QByteArray, predecessor);
    TestHome home;
    QVERIFY(QDir().mkpath(home.root()));
    const QString path = supportlog::filePathUnder(home.root());
    const qint64 cap = 400;
    QVERIFY(writeFile(path, earlier));
    QFile holder(path);
    QVERIFY(!held || holder.open(QIODevice::ReadOnly));
    LogCapture output;
    {
        SupportLog log(path, cap);
        for (int i = 1; i <= lines; ++i)
            qDebug().noquote() << QStringLiteral("line %1").arg(i);
    }
    QVERIFY(QFile(path).size() <= cap);
    QCOMPARE(messages(fileLines(path)).constLast(), u"line %1"_s.arg(lines));
    QVERIFY(predecessor.isNull() || fileBytes(path + u".1"_s) == predecessor);
}

// A line as long as a whole reply body is cut in the file, on a character's
// boundary, and says so; the usual output keeps it whole.
void SupportLogTest::longLineIsCut()
{
    TestHome home;
    QVERIFY(QDir().mkpath(home.root()));
    const QString path = supportlog::filePathUnder(home.root());
    const QString kept(supportlog::MaxLineBytes - 1, u'x');
    const QString body = kept + u"\u0436"_s + QString(1500000, u'y');
    LogCapture output;
    {
        SupportLog log(path, supportlog::DefaultMaxBytes);
        qDebug().noquote() << body;
    }
    QCOMPARE(messages(fileLines(path)),
             QStringList{kept + u" [cut, %1 bytes in all]"_s.arg(body.toUtf8().size())});
    QVERIFY(output.indexOf(body) >= 0);
}

void SupportLogTest::unwritableFileIsSkipped()
{
    TestHome home;
    // The log's folder is a plain file, so the log cannot be opened (also as root).
    QFile blocker(home.home() + u"/QUORVIN"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = supportlog::filePathUnder(home.root());
    LogCapture output;
    {
        SupportLog log(path, supportlog::DefaultMaxBytes);
        qDebug() << "while blocked";
        QVERIFY(output.indexOf(u"while blocked"_s) >= 0);
        QVERIFY(!QFile::exists(path));

        // Once the folder is there, the next line lands in the file.
        QVERIFY(QFile::remove(blocker.fileName()));
        QVERIFY(QDir().mkpath(home.root()));
        qDebug() << "after";
    }
    QCOMPARE(messages(fileLines(path)), QStringList{u"after"_s});
}

void SupportLogTest::windowLogHoldsNoSecret_data()
{
    QTest::addColumn<QByteArray>("reader"); // the window's slot that logs the rows
    QTest::addColumn<QByteArray>("shown");  // how the secret appears in the file
    QTest::addColumn<QByteArray>("secret"); // what must not appear

    QTest::newRow("Wi-Fi password")
        << QByteArray("deviceSettingReadTable") << QByteArray("| dev_wifi_pass: \"********\" |")
        << QByteArray("47193025");
    QTest::newRow("locker code") << QByteArray("lockersReadTable")
                                 << QByteArray("| locker_password: \"********\" |")
                                 << QByteArray("code-583");
    QTest::newRow("customer's phone number")
        << QByteArray("lockersReadTable") << QByteArray("| locker_mobile: \"********08\" |")
        << QByteArray("091200000");
    QTest::newRow("tag that opens a locker")
        << QByteArray("lockersReadTable") << QByteArray("| locker_nfc: \"******31\" |")
        << QByteArray("TAG-77");
}

void SupportLogTest::windowLogHoldsNoSecret()
{
    QFETCH(QByteArray, reader);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, secret);
    TestHome home;
    QVERIFY(StoreSeed(home)
                .tables()
                .device(SampleSerial, 1)
                .settings()
                .lockers(8)
                .mainSql(u"UPDATE lockers SET locker_password='code-583' || locker_id, "
                         "locker_nfc='TAG-7731'"_s)
                .ok());
    const QString path = supportlog::filePathUnder(home.root());
    LogCapture output;
    {
        SupportLog log(path, supportlog::DefaultMaxBytes);
        MainWindow w;
        QVERIFY(callInt(&w, reader.constData()) > 0);
    }
    const QByteArray written = fileBytes(path);
    QVERIFY2(written.contains(shown), written.constData());
    QVERIFY2(!written.contains(secret), written.constData());
}

void SupportLogTest::missingFamiliesMapToLookAlikes()
{
    const QStringList installed = QFontDatabase::families();
    QStringList drawnAsThemselves;
    for (const auto &[family, lookAlikes] : gui::fontLookAlikes())
        if (QFontInfo(QFont(family)).family().compare(family, Qt::CaseInsensitive) == 0)
            drawnAsThemselves << family;
    gui::substituteMissingFonts();
    for (const auto &[family, lookAlikes] : gui::fontLookAlikes()) {
        if (drawnAsThemselves.contains(family)) {
            QVERIFY(QFont::substitutes(family).isEmpty());
            continue;
        }
        QStringList expected;
        for (const QString &candidate : lookAlikes)
            if (installed.contains(candidate, Qt::CaseInsensitive))
                expected.append(candidate.toLower()); // the font database keeps names folded
        QCOMPARE(QFont::substitutes(family), expected);
        // A font asked for by the form's name resolves to the first look-alike.
        if (!expected.isEmpty())
            QCOMPARE(QFontInfo(QFont(family)).family().toLower(), expected.constFirst());
    }
}

void SupportLogTest::fontsBesideTheProgramAreRegistered()
{
    const QString font = anyInstalledFontFile();
    if (font.isEmpty())
        QSKIP("No TrueType font on this system to register");
    QTemporaryDir folder;
    QVERIFY(QFile::copy(font, folder.filePath(u"Shipped.ttf"_s)));
    QVERIFY(writeFile(folder.filePath(u"Damaged.ttf"_s), "not a font"));
    QVERIFY(gui::registerFontsIn(folder.filePath(u"absent"_s)).isEmpty());
    const QStringList added = gui::registerFontsIn(folder.path());
    QCOMPARE(added.size(), 1);
    QVERIFY(QFontDatabase::families().contains(added.constFirst()));
}

QTEST_MAIN(SupportLogTest)
#include "tst_supportlog.moc"
