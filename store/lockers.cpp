#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"
#include "store/transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <vector>

using store::logLine;

namespace {
// A server can send any locker count; more than this is no real cabinet and
// would only stall the window while rows are built.
constexpr int MaxLockers = 1024;

bool lockerCountInRange(int count)
{
    if (count <= MaxLockers)
        return true;
    logLine() << "Locker count out of range:" << count;
    return false;
}
} // namespace

int MainWindow::lockersReadTable()
{
    const int count = DeviceInfoRecord.dev_lockers;
    if (count <= 0 || count > MaxLockers)
        return 0;
    if (!mainDb.isOpen() && !mainDb.open())
        return 0;

    std::vector<char> present(static_cast<size_t>(count), 0);
    QSqlQuery query(mainDb);
    query.setForwardOnly(true);
    query.exec(QStringLiteral(
        "SELECT locker_id, locker_mobile, locker_password, locker_icon, locker_nfc, "
        "locker_finger, locker_timestart, locker_timechange, locker_startmode, locker_endmode, "
        "locker_status FROM lockers"));
    while (query.next()) {
        const int lockerId = query.value(0).toInt();
        if (lockerId < 1 || lockerId > count)
            continue;
        LockerRecord = store::lockerFromQuery(query);
        store::logLocker(LockerRecord);
        present[static_cast<size_t>(lockerId - 1)] = 1;
    }
    for (char p : present)
        if (!p)
            return 0;
    return 1;
}

namespace {
// The store's error text of the last failed delete, for the caller's log
// line; the delete itself writes none.
QString &deleteErrorText()
{
    static QString text;
    return text;
}
} // namespace

bool MainWindow::LockersDeleteTable()
{
    QSqlQuery query(mainDb);
    if (query.exec(QStringLiteral("DELETE FROM lockers WHERE row>=1")))
        return true;
    deleteErrorText() = query.lastError().text();
    return false;
}

// Replaces the whole locker set in one transaction: the old rows are removed
// and the new ones inserted together, so a failure at any point leaves the
// previous set exactly as it was.
bool MainWindow::lockerInsertTable()
{
    const int count = DeviceInfoRecord.dev_lockers;
    if (!lockerCountInRange(count))
        return false;
    store::Transaction transaction(mainDb, "lockers");
    if (!transaction.isActive()) {
        logLine() << "Insert locker error:" << transaction.errorText();
        return false;
    }
    if (!LockersDeleteTable()) {
        logLine() << "Delete lockers error:" << deleteErrorText();
        return false;
    }
    {
        QSqlQuery query(mainDb);
        // Not executed when the store refuses to prepare it, so the error
        // text stays the store's own.
        const bool prepared = query.prepare(QStringLiteral(
            "INSERT INTO lockers (locker_id, locker_mobile, locker_password, locker_icon, "
            "locker_nfc, locker_finger, locker_timestart, locker_timechange, locker_startmode, "
            "locker_endmode, locker_status) VALUES (?, '', '', 0, '', 0, '', '', '', '', 0)"));
        for (int lockerId = 1; lockerId <= count; ++lockerId) {
            query.bindValue(0, lockerId);
            if (!prepared || !query.exec()) {
                logLine() << "Insert locker error:" << query.lastError().text();
                return false;
            }
        }
    }
    if (!transaction.commit()) {
        logLine() << "Commit lockers error:" << transaction.errorText();
        return false;
    }
    return true;
}

int MainWindow::createDatabase()
{
    if (!lockerCountInRange(DeviceInfoRecord.dev_lockers))
        return 0;
    // A complete set is about to be replaced; the replacement itself happens
    // inside the insert transaction.
    if (lockersReadTable())
        showErrorDisplay(QStringLiteral("All Locker cleared!"), 0);
    if (!lockersCreateTable())
        return 0;
    showErrorDisplay(QStringLiteral("Locker db create! OK"), 0);
    if (!lockerInsertTable())
        return 0;
    showErrorDisplay(QStringLiteral("Lockers insert! OK"), 0);
    return lockersReadTable();
}
