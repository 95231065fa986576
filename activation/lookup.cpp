#include "activation/lookup.h"

#include "platform/platform.h"
#include "store/log.h"
#include "store/paths.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <climits>
#include <cmath>

#ifndef QUORVIN_DEFAULT_SERVER_URL
#define QUORVIN_DEFAULT_SERVER_URL "http://127.0.0.1:8080"
#endif

namespace activation {

namespace {
int &timeoutSetting()
{
    static int ms = 15000;
    return ms;
}

// A base address is scheme, host and optional port; a lone trailing slash is
// tolerated and dropped, any other path is refused.
QString usableBaseUrl(const QString &text)
{
    QString base = text.trimmed();
    if (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QUrl url(base, QUrl::StrictMode);
    const bool usable =
        url.isValid()
        && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        && !url.host().isEmpty() && url.path().isEmpty() && !url.hasQuery() && !url.hasFragment()
        && url.userInfo().isEmpty();
    return usable ? base : QString();
}

// Names Windows keeps for devices, whatever the extension.
bool isReservedDeviceName(const QString &name)
{
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList reserved = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),
        QStringLiteral("NUL"),  QStringLiteral("COM1"), QStringLiteral("COM2"),
        QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
        QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"),
        QStringLiteral("LPT6"), QStringLiteral("LPT7"), QStringLiteral("LPT8"),
        QStringLiteral("LPT9")};
    return reserved.contains(stem);
}

QString textValue(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : QString();
}

// A number, or a string the toolkit reads as a decimal integer (blanks around
// it and a sign allowed); anything else is 0, and so is a value outside the
// 32-bit range rather than a wrapped one.
int integerValue(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < double(INT_MIN) || d > double(INT_MAX))
            return 0;
        return value.toVariant().toInt();
    }
    if (!value.isString())
        return 0;
    bool ok = false;
    const qlonglong n = value.toVariant().toLongLong(&ok);
    return ok && n >= INT_MIN && n <= INT_MAX ? int(n) : 0;
}
} // namespace

bool isAcceptedSerial(const QString &serial)
{
    return serial.size() >= MinSerialLength && serial.size() <= MaxSerialLength
           && !serial.trimmed().isEmpty();
}

ServerAddress serverAddress()
{
    return serverAddressFrom(qEnvironmentVariable("QUORVIN_SERVER_URL"),
                             platform::machineSetting(QStringLiteral("ServerUrl")));
}

ServerAddress serverAddressFrom(const QString &environment, const QString &installed)
{
    struct Candidate
    {
        const QString &value;
        const char *source;
        const char *ignoredLabel; // the log line that says it was passed over
    };
    const Candidate candidates[] = {
        {environment, "from QUORVIN_SERVER_URL", "QUORVIN_SERVER_URL ignored, not a base address:"},
        {installed, "set at install", "ServerUrl set at install ignored, not a base address:"}};
    for (const Candidate &candidate : candidates) {
        if (candidate.value.isEmpty())
            continue;
        const QString base = usableBaseUrl(candidate.value);
        if (!base.isEmpty())
            return {base, candidate.source};
        store::logLine() << candidate.ignoredLabel << withoutUserInfo(candidate.value);
    }
    return {QStringLiteral(QUORVIN_DEFAULT_SERVER_URL), "built in"};
}

QString serverBaseUrl()
{
    return serverAddress().url;
}

void logServerAddress()
{
    const ServerAddress address = serverAddress();
    store::logLine() << "Directory server:" << address.url << address.source;
}

QString withoutUserInfo(const QString &address)
{
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    const qsizetype hostStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    qsizetype authorityEnd = address.size();
    for (QChar end : {u'/', u'?', u'#'}) {
        const qsizetype at = address.indexOf(end, hostStart);
        if (at >= 0 && at < authorityEnd)
            authorityEnd = at;
    }
    const qsizetype userInfoEnd =
        authorityEnd > hostStart ? address.lastIndexOf(u'@', authorityEnd - 1) : -1;
    if (userInfoEnd < hostStart)
        return address;
    return address.left(hostStart) + address.mid(userInfoEnd + 1);
}

QUrl lookupUrl(const QString &baseUrl, const QString &devId)
{
    const QString text = baseUrl + QLatin1String(LookupPath) + QLatin1String("?PsW=")
                         + QLatin1String(AccessValue) + QLatin1String("&Id=")
                         + QString::fromLatin1(QUrl::toPercentEncoding(devId));
    return QUrl(text, QUrl::TolerantMode);
}

QString lookupDeviceId(const QUrl &url)
{
    return QUrlQuery(url).queryItemValue(QStringLiteral("Id"), QUrl::FullyDecoded);
}

ReplyKind classifyReply(const QString &body)
{
    if (body.contains(QLatin1String("ServerError")))
        return ReplyKind::ServerError;
    if (body.contains(QLatin1String("GetInfo")))
        return ReplyKind::InfoError;
    if (body.contains(QLatin1String("dev_id")))
        return ReplyKind::DeviceRecord;
    return ReplyKind::Unrecognised;
}

std::optional<DeviceReply> parseDeviceReply(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    DeviceReply reply;
    reply.dev_name = textValue(object, "dev_name");
    reply.dev_model = textValue(object, "dev_model");
    reply.dev_lockers = integerValue(object, "dev_lockers");
    reply.dev_location = textValue(object, "dev_location");
    reply.dev_address = textValue(object, "dev_address");
    reply.dev_description = textValue(object, "dev_description");
    reply.dev_status = integerValue(object, "dev_status");
    reply.dev_timer_system = textValue(object, "dev_timer_system");
    return reply;
}

QString sentDeviceId(const QNetworkRequest &request)
{
    const QVariant sentWith = request.attribute(QNetworkRequest::User);
    return sentWith.isValid() ? sentWith.toString() : lookupDeviceId(request.url());
}

void sendLookupRequest(QNetworkAccessManager *manager, const QString &devId)
{
    QNetworkRequest request(lookupUrl(serverBaseUrl(), devId));
    request.setTransferTimeout(lookupTimeoutMs());
    // Kept with the request (never sent) so the reply can be matched to it.
    request.setAttribute(QNetworkRequest::User, devId);
    manager->get(request);
}

int lookupTimeoutMs()
{
    return timeoutSetting();
}

void setLookupTimeoutMs(int ms)
{
    timeoutSetting() = ms;
}

bool isSafeFolderName(const QString &name, QString *reason)
{
    const auto refuse = [reason](const char *why) {
        if (reason)
            *reason = QString::fromLatin1(why);
        return false;
    };
    if (name.trimmed().isEmpty())
        return refuse("empty name");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return refuse("relative folder name");
    if (name.contains(QLatin1String("..")))
        return refuse("contains \"..\"");
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return refuse("contains a path separator");
        if (c == QLatin1Char(':'))
            return refuse("contains a drive colon");
        if (c.category() == QChar::Other_Control || c.unicode() == 0x7f)
            return refuse("contains a control character");
        // The cabinet's PC runs Windows, where these cannot stand in a name.
        if (QStringView(u"<>\"|?*").contains(c))
            return refuse("contains a character Windows refuses in names");
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return refuse("ends in a dot or a space");
    if (isReservedDeviceName(name))
        return refuse("names a Windows device");
    return true;
}

bool makeDeviceFolder(const QString &devId)
{
    QString reason;
    if (!isSafeFolderName(devId, &reason)) {
        store::logLine() << "Device folder not made:" << devId << reason;
        return false;
    }
    return platform::makePrivateFolder(store::deviceFolderPath(devId));
}

} // namespace activation
