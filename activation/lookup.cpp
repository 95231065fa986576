#include "activation/lookup.h"

#include "store/log.h"
#include "store/paths.h"

#include <QDir>
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

bool isUsableBaseUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
           && !url.host().isEmpty() && (url.path().isEmpty()) && !url.hasQuery()
           && !url.hasFragment() && url.userInfo().isEmpty();
}

QString textValue(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : QString();
}

// A number, or a string of decimal digits; anything else is 0.
int integerValue(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < double(INT_MIN) || d > double(INT_MAX))
            return 0;
        return value.toVariant().toInt();
    }
    if (value.isString()) {
        const QString digits = value.toString();
        if (digits.isEmpty())
            return 0;
        for (QChar c : digits)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return 0;
        bool ok = false;
        const int n = digits.toInt(&ok);
        return ok ? n : 0;
    }
    return 0;
}
} // namespace

bool isAcceptedSerial(const QString &serial)
{
    return serial.size() >= MinSerialLength && serial.size() <= MaxSerialLength
           && !serial.trimmed().isEmpty();
}

QString serverBaseUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("QUORVIN_SERVER_URL");
    if (!fromEnvironment.isEmpty()) {
        if (isUsableBaseUrl(fromEnvironment))
            return fromEnvironment;
        store::logLine() << "QUORVIN_SERVER_URL ignored, not a base address:" << fromEnvironment;
    }
    return QStringLiteral(QUORVIN_DEFAULT_SERVER_URL);
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

void sendLookupRequest(QNetworkAccessManager *manager, const QString &devId)
{
    QNetworkRequest request(lookupUrl(serverBaseUrl(), devId));
    request.setTransferTimeout(lookupTimeoutMs());
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
    }
    return true;
}

bool makeDeviceFolder(const QString &devId)
{
    QString reason;
    if (!isSafeFolderName(devId, &reason)) {
        store::logLine() << "Device folder not made:" << devId << reason;
        return false;
    }
    return QDir().mkpath(store::deviceFolderPath(devId));
}

} // namespace activation
