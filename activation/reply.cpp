#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"
#include "store/transaction.h"
#include "ui_mainwindow.h"

#include <QNetworkReply>
#include <QSqlError>
#include <QSqlQuery>

using store::logLine;

namespace {
// The toast line is one label wide; a longer text is cut at its edge anyway.
constexpr int MaxShownBody = 500;

bool commitActivation(store::Transaction &unit)
{
    if (unit.commit())
        return true;
    logLine() << "Commit activation error:" << unit.errorText();
    return false;
}
} // namespace

void MainWindow::replyFinished(QNetworkReply *pReply)
{
    // The reply is matched to the serial it was sent for: an answer for a
    // serial that has since been replaced must not overwrite the newer one.
    const QString sentFor = activation::sentDeviceId(pReply->request());
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
        // The record, its settings and the locker set are written as one
        // unit: the store never holds an active device without its lockers.
        store::Transaction unit(mainDb, "activation");
        if (!unit.isActive()) {
            logLine() << "Update error:" << unit.errorText();
            break;
        }
        if (!deviceInfoUpdateTable(record->dev_name, record->dev_model, record->dev_lockers,
                                   record->dev_location, record->dev_address,
                                   record->dev_description, record->dev_status))
            break;

        QSqlQuery query(mainDb);
        // Not executed when the store refuses to prepare it, so the error
        // text logged is the store's own.
        const bool prepared = query.prepare(
            QStringLiteral("UPDATE device_setting SET dev_timer_system=? WHERE id=1"));
        query.addBindValue(store::sqlText(record->dev_timer_system));
        if (prepared && query.exec())
            logLine() << "Update device_setting OK!";
        else
            logLine() << "Update device_setting error:" << query.lastError().text();
        query.finish();

        deviceInfoReadTable();
        if (DeviceInfoRecord.dev_status != store::ActiveStatus) {
            commitActivation(unit);
            break;
        }
        const int previousPage = ui->stackedWidget->currentIndex();
        ui->stackedWidget->setCurrentIndex(1);
        showDeviceInformation();
        if (createDatabase() && commitActivation(unit)) {
            showErrorDisplay(QStringLiteral("Everything is OK"), 0);
            activation::makeDeviceFolder(DeviceInfoRecord.dev_id);
        } else {
            unit.rollback();
            deviceInfoReadTable();
            showDeviceInformation();
            ui->stackedWidget->setCurrentIndex(previousPage);
            showErrorDisplay(QStringLiteral("Lockers db Error!"), 0);
        }
        break;
    }
    case activation::ReplyKind::Unrecognised:
        // An answer of no known kind (an error page from a proxy, say) still
        // ends the lookup the operator is waiting for.
        showErrorDisplay(QStringLiteral("Server reply could not be read!"), 0);
        break;
    }
    pReply->deleteLater();
}
