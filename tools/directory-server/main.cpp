// directory-server: a small reference device directory server for development
// and tests. It answers the settings tool's serial-number lookup from a JSON
// catalogue.
//
// Request:  GET /Zelvatto_DeviceInfoByID.php?PsW=<access value>&Id=<serial>
//           The access value expected is "TqLmWd" unless --access sets another.
//           Query values are read fully decoded: "%20" is a space, "+" stays "+".
// Answers (status 200 unless an entry overrides it):
//   wrong or missing PsW   text/plain  ServerError: access denied
//   unknown or missing Id  text/plain  GetInfo: no device with ID "<Id>"
//                          (the ID is left out when it would itself contain
//                          one of the reply markers "ServerError" or "dev_id")
//   known Id               application/json, an object with exactly the keys
//                          dev_id, dev_name, dev_model, dev_lockers,
//                          dev_location, dev_address, dev_description,
//                          dev_status, dev_timer_system
//   any other path         404; other methods on the lookup path get 405
//
// Catalogue: {"devices": [ {"dev_id": "QV8B2024001", "dev_name": "...", ...}, ... ]}
// The nine keys are served with the values written in the catalogue (so a test
// catalogue may give "dev_lockers": "16" as a string); a missing text key is
// served as "" and a missing dev_lockers or dev_status as 0. IDs are matched
// exactly (case-sensitive) and must be unique.
//
// Optional keys of a catalogue entry, for tests that need special answers:
//   "raw_body": "..."   served verbatim (text/plain) instead of the JSON object
//   "http_status": N    status code of the answer (100..599) instead of 200
//   "delay_ms": N       answer after N milliseconds; the event loop keeps
//                       serving other requests in the meantime
// Other keys of an entry are ignored.
//
// Command line: --port N (default 8080, 0 = any free port), --bind ADDRESS
// (default 127.0.0.1), --catalogue FILE (default: the built-in sample
// catalogue.json), --access VALUE (default TqLmWd: the PsW value accepted; a
// server started with another value answers the settings tool's fixed value
// with "ServerError: access denied"), --url-file FILE, --tls-cert FILE --tls-key FILE (serve
// HTTPS with this PEM certificate and RSA key), --help. The first line on standard output
// is the base URL being served, e.g. "http://127.0.0.1:41234". Requests are logged on stderr.
// With --url-file the URL is also written to FILE (complete once it appears there), and the
// server stops once FILE is removed: a caller that cannot read the server's output (a Windows
// test under Wine starting this Linux program) learns the URL from the file and ends the server
// by removing it.
// An unreadable catalogue or a port that cannot be bound ends with exit code 1.

#include <QAbstractHttpServer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

const QString kLookupPath = QStringLiteral("/Zelvatto_DeviceInfoByID.php");
const QString kDefaultAccessValue = QStringLiteral("TqLmWd");
const QString kBuiltInCatalogue = QStringLiteral(":/catalogue.json");

const char *const kTextKeys[] = {"dev_id",          "dev_name",    "dev_model",
                                 "dev_location",    "dev_address", "dev_description",
                                 "dev_timer_system"};
const char *const kNumberKeys[] = {"dev_lockers", "dev_status"};

void logLine(const QString &text)
{
    const QString stamp = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    std::fprintf(stderr, "[%s] %s\n", qPrintable(stamp), qPrintable(text));
    std::fflush(stderr);
}

// Whole non-negative number, as JSON stores every number as a double.
bool readCount(const QJsonValue &value, int minimum, int maximum, int *out)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d != std::floor(d) || d < minimum || d > maximum)
        return false;
    *out = static_cast<int>(d);
    return true;
}

// Why a catalogue entry cannot be served; empty when it can.
QString entryProblem(const QJsonValue &value, const QHash<QString, QJsonObject> &devices)
{
    const QJsonObject entry = value.toObject();
    const QString id = entry.value(QLatin1String("dev_id")).toString();
    int unused = 0;
    if (!value.isObject() || id.isEmpty())
        return QStringLiteral("expected an object with a non-empty \"dev_id\" text");
    if (devices.contains(id))
        return QStringLiteral("duplicate dev_id \"%1\"").arg(id);
    if (entry.contains(QLatin1String("raw_body"))
        && !entry.value(QLatin1String("raw_body")).isString())
        return QStringLiteral("\"raw_body\" must be a text");
    if (entry.contains(QLatin1String("http_status"))
        && !readCount(entry.value(QLatin1String("http_status")), 100, 599, &unused))
        return QStringLiteral("\"http_status\" must be a whole number from 100 to 599");
    if (entry.contains(QLatin1String("delay_ms"))
        && !readCount(entry.value(QLatin1String("delay_ms")), 0, 3600000, &unused))
        return QStringLiteral("\"delay_ms\" must be a whole number from 0 to 3600000");
    return QString();
}

bool loadCatalogue(const QString &path, QHash<QString, QJsonObject> *devices, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("%1: JSON error at offset %2: %3")
                     .arg(path, QString::number(parseError.offset), parseError.errorString());
        return false;
    }
    const QJsonValue list = doc.object().value(QLatin1String("devices"));
    if (!doc.isObject() || !list.isArray()) {
        *error = QStringLiteral("%1: expected an object with a \"devices\" array").arg(path);
        return false;
    }
    const QJsonArray entries = list.toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString problem = entryProblem(entries.at(i), *devices);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("%1: device %2: %3").arg(path, QString::number(i), problem);
            return false;
        }
        const QJsonObject entry = entries.at(i).toObject();
        devices->insert(entry.value(QLatin1String("dev_id")).toString(), entry);
    }
    return true;
}

// The entry's value as written, or the fallback when the key is missing.
QJsonValue valueOr(const QJsonObject &entry, const char *key, const QJsonValue &fallback)
{
    const QJsonValue value = entry.value(QLatin1String(key));
    return value.isUndefined() ? fallback : value;
}

struct Answer
{
    int status = 200;
    QByteArray contentType = "text/plain; charset=utf-8";
    QByteArray body;
    int delayMs = 0;
    QString note; // what the log line says about the answer
};

class DirectoryServer : public QAbstractHttpServer
{
public:
    DirectoryServer(QHash<QString, QJsonObject> devices, QString accessValue)
        : m_devices(std::move(devices)), m_accessValue(std::move(accessValue))
    {
    }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        if (request.url().path() != kLookupPath)
            return false; // answered by missingHandler()

        Answer answer;
        if (request.method() != QHttpServerRequest::Method::Get) {
            answer.status = 405;
            answer.body = "Method Not Allowed";
            answer.note = QStringLiteral("method not allowed");
        } else {
            answer = lookup(request.query());
        }
        logRequest(request, answer);

        if (answer.delayMs <= 0) {
            QHttpServerResponder responder = makeResponder(request, socket);
            send(responder, answer);
            return true;
        }
        // The responder outlives this call; the timer is bound to the socket, so
        // a client that hangs up before the delay ends gets no answer.
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        QTimer::singleShot(answer.delayMs, socket,
                           [responder, answer]() { send(*responder, answer); });
        return true;
    }

    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        Answer answer;
        answer.status = 404;
        answer.body = "Not Found";
        answer.note = QStringLiteral("no such path");
        logRequest(request, answer);
        QHttpServerResponder responder = makeResponder(request, socket);
        send(responder, answer);
    }

private:
    Answer lookup(const QUrlQuery &query) const
    {
        Answer answer;
        if (query.queryItemValue(QStringLiteral("PsW"), QUrl::FullyDecoded) != m_accessValue) {
            answer.body = "ServerError: access denied";
            answer.note = QStringLiteral("access denied");
            return answer;
        }

        const QString id = query.queryItemValue(QStringLiteral("Id"), QUrl::FullyDecoded);
        const auto found = m_devices.constFind(id);
        if (found == m_devices.constEnd()) {
            const bool echoable =
                !id.contains(QLatin1String("ServerError")) && !id.contains(QLatin1String("dev_id"));
            answer.body = echoable
                              ? QStringLiteral("GetInfo: no device with ID \"%1\"").arg(id).toUtf8()
                              : QByteArray("GetInfo: no device with the given ID");
            answer.note = QStringLiteral("unknown ID \"%1\"").arg(id);
            return answer;
        }

        const QJsonObject &entry = found.value();
        answer.note = QStringLiteral("device \"%1\"").arg(id);
        if (entry.contains(QLatin1String("raw_body"))) {
            answer.body = entry.value(QLatin1String("raw_body")).toString().toUtf8();
            answer.note += QStringLiteral(", raw body");
        } else {
            QJsonObject record;
            for (const char *key : kTextKeys)
                record.insert(QLatin1String(key), valueOr(entry, key, QString()));
            for (const char *key : kNumberKeys)
                record.insert(QLatin1String(key), valueOr(entry, key, 0));
            answer.contentType = "application/json";
            answer.body = QJsonDocument(record).toJson(QJsonDocument::Compact);
        }
        readCount(entry.value(QLatin1String("http_status")), 100, 599, &answer.status);
        readCount(entry.value(QLatin1String("delay_ms")), 0, 3600000, &answer.delayMs);
        return answer;
    }

    static void send(QHttpServerResponder &responder, const Answer &answer)
    {
        responder.write(answer.body, answer.contentType,
                        static_cast<QHttpServerResponder::StatusCode>(answer.status));
    }

    static void logRequest(const QHttpServerRequest &request, const Answer &answer)
    {
        const QUrl &url = request.url();
        QString target = url.path(QUrl::FullyEncoded);
        if (url.hasQuery())
            target += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
        // One multi-argument arg() call, so '%' in the request target stays literal.
        const QString method = QString::fromLatin1(
            QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(request.method())));
        QString line = QStringLiteral("%1 %2 %3 -> %4 %5")
                           .arg(request.remoteAddress().toString(), method.toUpper(), target,
                                QString::number(answer.status), answer.note);
        if (answer.delayMs > 0)
            line += QStringLiteral(" (after %1 ms)").arg(answer.delayMs);
        logLine(line);
    }

    QHash<QString, QJsonObject> m_devices;
    QString m_accessValue;
};

struct Options
{
    quint16 port = 0;
    QHostAddress address;
    QString cataloguePath;
    QString accessValue;
    QString urlFile;
    QString tlsCertificate;
    QString tlsKey;
};

// The command line as options, or the reason it cannot be served.
std::optional<Options> parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reference device directory server: answers serial-number lookups on\n"
                       "GET %1 from a JSON catalogue.")
            .arg(kLookupPath));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on; 0 picks a free one."),
                                        QStringLiteral("N"), QStringLiteral("8080"));
    const QCommandLineOption bindOption(QStringLiteral("bind"),
                                        QStringLiteral("Address to listen on."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption catalogueOption(
        QStringLiteral("catalogue"),
        QStringLiteral("JSON catalogue of devices (default: the built-in sample catalogue)."),
        QStringLiteral("FILE"), kBuiltInCatalogue);
    const QCommandLineOption accessOption(QStringLiteral("access"),
                                          QStringLiteral("Access value (PsW) the server accepts."),
                                          QStringLiteral("VALUE"), kDefaultAccessValue);
    const QCommandLineOption urlFileOption(
        QStringLiteral("url-file"),
        QStringLiteral("Also write the URL to FILE, and stop once FILE is removed."),
        QStringLiteral("FILE"));
    const QCommandLineOption certificateOption(
        QStringLiteral("tls-cert"), QStringLiteral("Serve HTTPS with this PEM certificate."),
        QStringLiteral("FILE"));
    const QCommandLineOption keyOption(QStringLiteral("tls-key"),
                                       QStringLiteral("The certificate's PEM RSA key."),
                                       QStringLiteral("FILE"));
    parser.addOptions({portOption, bindOption, catalogueOption, accessOption, urlFileOption,
                       certificateOption, keyOption});
    parser.process(app);

    Options options;
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    options.port = static_cast<quint16>(port);
    options.cataloguePath = parser.value(catalogueOption);
    options.accessValue = parser.value(accessOption);
    options.urlFile = parser.value(urlFileOption);
    options.tlsCertificate = parser.value(certificateOption);
    options.tlsKey = parser.value(keyOption);
    if (!portOk || port > 65535)
        logLine(QStringLiteral("error: invalid port \"%1\"").arg(parser.value(portOption)));
    else if (!options.address.setAddress(parser.value(bindOption)))
        logLine(QStringLiteral("error: invalid bind address \"%1\"").arg(parser.value(bindOption)));
    else if (options.accessValue.isEmpty())
        logLine(QStringLiteral("error: the access value must not be empty"));
    else if (options.tlsCertificate.isEmpty() != options.tlsKey.isEmpty())
        logLine(QStringLiteral("error: --tls-cert and --tls-key go together"));
    else
        return options;
    return std::nullopt;
}

// The base URL a client reaches the server at.
QString baseUrl(const QString &scheme, const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return QStringLiteral("%1://%2:%3").arg(scheme, host, QString::number(port));
}

// What accepts the connections: plain TCP, or TLS with the certificate and key
// of the options. Null when those cannot be read.
QTcpServer *makeListener(const Options &options, QObject *parent)
{
    if (options.tlsCertificate.isEmpty())
        return new QTcpServer(parent);
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(options.tlsCertificate);
    QFile keyFile(options.tlsKey);
    const QSslKey key(keyFile.open(QIODevice::ReadOnly) ? keyFile.readAll() : QByteArray(),
                      QSsl::Rsa);
    if (chain.isEmpty() || key.isNull()) {
        logLine(QStringLiteral("error: no PEM certificate in %1 or no PEM RSA key in %2")
                    .arg(options.tlsCertificate, options.tlsKey));
        return nullptr;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    auto *listener = new QSslServer(parent);
    listener->setSslConfiguration(tls);
    return listener;
}

// Writes the URL whole under a temporary name and then renames it, so that a
// reader never sees half of it; then quits once the file is gone.
bool announceInFile(const QString &file, const QString &url, QCoreApplication *app)
{
    const QString partial = file + QStringLiteral(".part");
    QFile out(partial);
    const QByteArray line = url.toUtf8() + '\n';
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(line) != line.size()
        || !out.flush()) {
        logLine(QStringLiteral("error: cannot write %1: %2").arg(partial, out.errorString()));
        return false;
    }
    out.close();
    QFile::remove(file);
    if (!QFile::rename(partial, file)) {
        logLine(QStringLiteral("error: cannot write %1").arg(file));
        return false;
    }
    auto *watch = new QTimer(app);
    QObject::connect(watch, &QTimer::timeout, app, [file] {
        if (!QFile::exists(file)) {
            logLine(QStringLiteral("%1 removed: stopping").arg(file));
            QCoreApplication::quit();
        }
    });
    watch->start(200);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("directory-server"));
    const std::optional<Options> options = parseOptions(app);
    if (!options)
        return 1;
    QHash<QString, QJsonObject> devices;
    QString error;
    if (!loadCatalogue(options->cataloguePath, &devices, &error)) {
        logLine(QStringLiteral("error: ") + error);
        return 1;
    }

    DirectoryServer server(std::move(devices), options->accessValue);
    QTcpServer *tcpServer = makeListener(*options, &server);
    if (!tcpServer)
        return 1;
    if (!tcpServer->listen(options->address, options->port)) {
        logLine(QStringLiteral("error: cannot listen on %1 port %2: %3")
                    .arg(options->address.toString(), QString::number(options->port),
                         tcpServer->errorString()));
        return 1;
    }
    server.bind(tcpServer);

    const bool tls = qobject_cast<QSslServer *>(tcpServer) != nullptr;
    const QString url = baseUrl(tls ? QStringLiteral("https") : QStringLiteral("http"),
                                options->address, tcpServer->serverPort());
    std::printf("%s\n", qPrintable(url));
    std::fflush(stdout);
    if (!options->urlFile.isEmpty() && !announceInFile(options->urlFile, url, &app))
        return 1;
    logLine(QStringLiteral("serving %1 from %2").arg(kLookupPath, options->cataloguePath));
    return app.exec();
}
