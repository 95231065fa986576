#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/deviceinfo.h"
#include "store/devicesetting.h"
#include "store/log.h"
#include "store/transaction.h"
#include "ui_mainwindow.h"

#include <QNetworkReply>

using store::logLine;

namespace {
// The toast line is one label wide; a longer text is cut at its edge anyway.
constexpr int MaxShownBody = 500;
} // namespace

void MainWindow::replyFinished(QNetworkReply *pReply)
{
    // The reply is matched to the serial it was sent for: an answer for a
    // serial that has since been replaced must not overwrite the newer one.
    const QString sentFor = activation::sentDeviceId(pReply->request());
    if (sentFor != DeviceInfoRecord.dev_id)
        logLine() << "Reply ignored, it was sent for another device ID:" << sentFor;
    else if (pReply->error() != QNetworkReply::NoError)
        showErrorDisplay(QStringLiteral("Network Error or Server Unreachable"), 0);
    else
        handleReplyBody(pReply->readAll());
    pReply->deleteLater();
}

void MainWindow::handleReplyBody(const QByteArray &raw)
{
    const QString body = QString::fromUtf8(raw);
    logLine() << body;
    switch (activation::classifyReply(body)) {
    case activation::ReplyKind::ServerError:
        showErrorDisplay(QStringLiteral("Server error or bad connection!"), 0);
        break;
    case activation::ReplyKind::InfoError:
        showErrorDisplay(QStringLiteral("Error: ") + body.left(MaxShownBody), 0);
        break;
    case activation::ReplyKind::DeviceRecord:
        applyDeviceRecord(body);
        break;
    case activation::ReplyKind::Unrecognised:
        // An answer of no known kind (an error page from a proxy, say) still
        // ends the lookup the operator is waiting for.
        showErrorDisplay(QStringLiteral("Server reply could not be read!"), 0);
        break;
    }
}

void MainWindow::applyDeviceRecord(const QString &body)
{
    // Parsed from the decoded text, not the raw bytes: decoding has already
    // replaced invalid UTF-8 with U+FFFD, which the JSON reader would
    // otherwise refuse, with the whole record.
    const std::optional<activation::DeviceReply> record =
        activation::parseDeviceReply(body.toUtf8());
    if (!record) {
        showErrorDisplay(QStringLiteral("Server reply could not be read!"), 0);
        return;
    }
    // The record, its settings and the locker set are written as one unit:
    // the store never holds an active device without its lockers.
    store::Transaction unit(mainDb, "activation", {"Update error:", "Commit activation error:"});
    if (!unit.isActive()
        || !deviceInfoUpdateTable(record->dev_name, record->dev_model, record->dev_lockers,
                                  record->dev_location, record->dev_address,
                                  record->dev_description, record->dev_status)) {
        reportRecordNotStored(unit);
        return;
    }
    if (store::deviceSetting::updateTimerSystem(mainDb, record->dev_timer_system))
        logLine() << "Update device_setting OK!";
    deviceInfoReadTable();
    if (DeviceInfoRecord.dev_status != store::deviceInfo::ActiveStatus) {
        keepInactiveRecord(unit);
        return;
    }
    if (completeActivation(unit)) {
        showErrorDisplay(QStringLiteral("Everything is OK"), 0);
        activation::makeDeviceFolder(DeviceInfoRecord.dev_id);
    }
}

// A record the server does not mark active is kept, and the window says so
// just as it would at the next start.
void MainWindow::keepInactiveRecord(store::Transaction &unit)
{
    if (!unit.commit()) {
        // The record read back inside the unit is gone with it.
        deviceInfoReadTable();
        reportRecordNotStored(unit);
        return;
    }
    showInactiveDevice();
}

// The answer came but could not be stored, most often because another
// program holds the store: the store keeps what it held before the reply,
// and the operator is told rather than left waiting for the server.
void MainWindow::reportRecordNotStored(store::Transaction &unit)
{
    unit.rollback();
    reportMainStoreRefused();
}
