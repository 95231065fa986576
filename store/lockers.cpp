#include "store/lockers.h"

#include "store/log.h"
#include "store/transaction.h"

#include <QSqlError>

#include <algorithm>
#include <vector>

Locker LockerRecord;

namespace store::lockers {

namespace {
// What QVariant::toInt gives, for the 64-bit integer the store hands back for
// an integer column taken directly rather than through the general
// conversion, which costs several times as much.
int intOf(const QVariant &value)
{
    return value.typeId() == QMetaType::LongLong ? int(value.toLongLong()) : value.toInt();
}

Locker fromRow(const QSqlQuery &row, int lockerId)
{
    Locker l;
    l.locker_id = lockerId;
    l.locker_mobile = row.value(1).toString();
    l.locker_password = row.value(2).toString();
    l.locker_icon = intOf(row.value(3));
    l.locker_nfc = row.value(4).toString();
    l.locker_finger = intOf(row.value(5));
    l.locker_timestart = row.value(6).toString();
    l.locker_timechange = row.value(7).toString();
    l.locker_startmode = row.value(8).toString();
    l.locker_endmode = row.value(9).toString();
    l.locker_status = intOf(row.value(10));
    return l;
}

Result insertBlankRows(const QSqlDatabase &db, int count)
{
    Statement insert(db,
                     QStringLiteral("INSERT INTO lockers (locker_id, locker_mobile, "
                                    "locker_password, locker_icon, locker_nfc, locker_finger, "
                                    "locker_timestart, locker_timechange, locker_startmode, "
                                    "locker_endmode, locker_status) VALUES (?, '', '', 0, '', "
                                    "0, '', '', '', '', 0)"),
                     "Insert locker error:");
    for (int lockerId = 1; lockerId <= count; ++lockerId) {
        const Result inserted = insert.run({lockerId});
        if (!inserted)
            return inserted;
    }
    return Result::success();
}
} // namespace

Result create(const QSqlDatabase &db)
{
    return runDirect(db, CreateSql, "Create lockers table error:");
}

bool countInRange(int count)
{
    if (count <= MaxCount)
        return true;
    logLine() << "Locker count out of range:" << count;
    return false;
}

bool SetSelect::run()
{
    // The first run executes the text directly, which prepares it without the
    // toolkit's scan for placeholders that a select without values does not
    // need; later runs execute that statement again. A select the store
    // refused (the table not made yet) is run from its text anew.
    if (m_prepared)
        return m_query.exec();
    m_prepared = m_query.exec(SelectSql);
    return m_prepared;
}

bool readSet(SetSelect &select, int count, const std::function<void(const Locker &)> &onRow)
{
    if (count <= 0 || count > MaxCount)
        return false;
    std::vector<char> present(static_cast<size_t>(count), 0);
    if (select.run()) {
        QSqlQuery &query = select.rows();
        while (query.next()) {
            const int lockerId = intOf(query.value(0));
            if (lockerId < 1 || lockerId > count)
                continue;
            onRow(fromRow(query, lockerId));
            present[static_cast<size_t>(lockerId - 1)] = 1;
        }
    }
    return std::find(present.begin(), present.end(), 0) == present.end();
}

bool readSet(const QSqlDatabase &db, int count, const std::function<void(const Locker &)> &onRow)
{
    SetSelect select(db);
    return readSet(select, count, onRow);
}

Result removeAll(const QSqlDatabase &db, int *removed)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("DELETE FROM lockers WHERE row>=1")))
        return Result::failure(query.lastError().text());
    if (removed)
        *removed = query.numRowsAffected();
    return Result::success();
}

Result replaceSet(const QSqlDatabase &db, int count, int *removed)
{
    if (removed)
        *removed = 0;
    if (!countInRange(count))
        return Result::failure(QStringLiteral("locker count out of range"));
    if (count <= 0)
        return Result::success();
    Transaction transaction(db, "lockers", {"Insert locker error:", "Commit lockers error:"});
    if (!transaction.isActive())
        return Result::failure(transaction.errorText());
    int deleted = 0;
    const Result cleared = removeAll(db, &deleted);
    if (!cleared) {
        logLine() << "Delete lockers error:" << cleared.error;
        return cleared;
    }
    const Result inserted = insertBlankRows(db, count);
    if (!inserted)
        return inserted;
    if (!transaction.commit())
        return Result::failure(transaction.errorText());
    if (removed)
        *removed = deleted;
    return Result::success();
}

void log(const Locker &l)
{
    logLine() << "locker_id:" << l.locker_id
              << "| locker_mobile:" << maskedAllButLastTwo(l.locker_mobile)
              << "| locker_password:" << maskedSecret(l.locker_password)
              << "| locker_icon:" << l.locker_icon
              << "| locker_nfc:" << maskedAllButLastTwo(l.locker_nfc)
              << "| locker_finger:" << l.locker_finger
              << "| locker_timestart:" << l.locker_timestart
              << "| locker_timechange:" << l.locker_timechange
              << "| locker_startmode:" << l.locker_startmode
              << "| locker_endmode:" << l.locker_endmode << "| locker_status:" << l.locker_status;
}

} // namespace store::lockers
