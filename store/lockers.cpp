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
// Deletes every locker row; *removed tells how many there were.
bool deleteAllLockers(const QSqlDatabase &db, QString *error, int *removed)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("DELETE FROM lockers WHERE row>=1"))) {
        *error = query.lastError().text();
        return false;
    }
    *removed = query.numRowsAffected();
    return true;
}

// Replaces the whole locker set by count blank rows in one transaction: the
// old rows are removed and the new ones inserted together, so a failure at
// any point leaves the previous set exactly as it was. A cabinet without
// lockers keeps whatever rows there are. *removed tells how many rows of the
// previous set were replaced.
bool replaceLockerSet(const QSqlDatabase &db, int count, int *removed)
{
    *removed = 0;
    if (!lockerCountInRange(count))
        return false;
    if (count <= 0)
        return true;
    store::Transaction transaction(db, "lockers");
    if (!transaction.isActive()) {
        logLine() << "Insert locker error:" << transaction.errorText();
        return false;
    }
    QString deleteError;
    int deleted = 0;
    if (!deleteAllLockers(db, &deleteError, &deleted)) {
        logLine() << "Delete lockers error:" << deleteError;
        return false;
    }
    {
        QSqlQuery query(db);
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
    *removed = deleted;
    return true;
}
} // namespace

bool MainWindow::LockersDeleteTable()
{
    QString error;
    int removed = 0;
    return deleteAllLockers(mainDb, &error, &removed);
}

bool MainWindow::lockerInsertTable()
{
    int removed = 0;
    return replaceLockerSet(mainDb, DeviceInfoRecord.dev_lockers, &removed);
}

int MainWindow::createDatabase()
{
    const int count = DeviceInfoRecord.dev_lockers;
    if (!lockerCountInRange(count))
        return 0;
    // The set as it stands is read (and logged) first; the rows it holds are
    // replaced inside the insert transaction.
    lockersReadTable();
    if (!lockersCreateTable())
        return 0;
    int removed = 0;
    const bool replaced = replaceLockerSet(mainDb, count, &removed);
    // Told only once the replacement has landed: a rebuild that is rolled
    // back has cleared nothing.
    if (replaced && removed > 0)
        showErrorDisplay(QStringLiteral("All Locker cleared!"), 0);
    showErrorDisplay(QStringLiteral("Locker db create! OK"), 0);
    if (!replaced)
        return 0;
    showErrorDisplay(QStringLiteral("Lockers insert! OK"), 0);
    return lockersReadTable();
}
