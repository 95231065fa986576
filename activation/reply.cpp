#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"
#include "ui_mainwindow.h"

#include <QNetworkReply>
#include <QSqlError>
#include <QSqlQuery>

using store::logLine;

namespace {
// The toast line is one label wide; a longer text is cut at its edge anyway.
constexpr int MaxShownBody = 500;
} // namespace

void MainWindow::replyFinished(QNetworkReply *pReply)
{
    // The reply is matched to the serial it was sent for: an answer for a
    // serial that has since been replaced must not overwrite the newer one.
    const QString sentFor = activation::lookupDeviceId(pReply->request().url());
    if (sentFor != DeviceInfoRecord.dev_id) {
        logLine() << "Reply ignored, it was sent for another device ID:" << sentFor;
        pReply->deleteLater();
        return;
    }

    if (pReply->error() != QNetworkReply::NoError) {
        showErrorDisplay(QStringLiteral("Network Error or Server Unreachable"), 0);
        pReply->deleteLater();
        return;
    }

    const QByteArray raw = pReply->readAll();
    const QString body = QString::fromUtf8(raw);
    logLine() << body;

    switch (activation::classifyReply(body)) {
    case activation::ReplyKind::ServerError:
        showErrorDisplay(QStringLiteral("Server error or bad connection!"), 0);
        break;
    case activation::ReplyKind::InfoError:
        showErrorDisplay(QStringLiteral("Error: ") + body.left(MaxShownBody), 0);
        break;
    case activation::ReplyKind::DeviceRecord: {
        const std::optional<activation::DeviceReply> record =
            activation::parseDeviceReply(body.toUtf8());
        if (!record) {
            showErrorDisplay(QStringLiteral("Server reply could not be read!"), 0);
            break;
        }
        if (!deviceInfoUpdateTable(record->dev_name, record->dev_model, record->dev_lockers,
                                   record->dev_location, record->dev_address,
                                   record->dev_description, record->dev_status))
            break;

        QSqlQuery query(mainDb);
        query.prepare(QStringLiteral("UPDATE device_setting SET dev_timer_system=? WHERE id=1"));
        query.addBindValue(record->dev_timer_system);
        if (query.exec())
            logLine() << "Update device_setting OK!";
        else
            logLine() << "Update device_setting error:" << query.lastError().text();

        deviceInfoReadTable();
        if (DeviceInfoRecord.dev_status != store::ActiveStatus)
            break;
        ui->stackedWidget->setCurrentIndex(1);
        showDeviceInformation();
        if (createDatabase()) {
            showErrorDisplay(QStringLiteral("Everything is OK"), 0);
            activation::makeDeviceFolder(DeviceInfoRecord.dev_id);
        } else {
            showErrorDisplay(QStringLiteral("Lockers db Error!"), 0);
        }
        break;
    }
    case activation::ReplyKind::Unrecognised:
        break;
    }
    pReply->deleteLater();
}
