#pragma once

#include <QLatin1String>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QtGlobal>

#include <functional>

#include "store/statement.h"

// One locker row of the lockers table.
struct Locker
{
    QString locker_mobile;
    QString locker_password;
    QString locker_nfc;
    QString locker_timestart;
    QString locker_timechange;
    QString locker_startmode;
    QString locker_endmode;
    qint32 locker_id = 0;
    qint32 locker_icon = 0;
    qint32 locker_finger = 0;
    qint32 locker_status = 0;
};

// The last locker row the check of the set accepted.
extern Locker LockerRecord;

namespace store::lockers {

// A server can send any locker count; more than this is no real cabinet and
// would only stall the window while rows are built.
inline constexpr int MaxCount = 1024;

inline constexpr QLatin1String CreateSql{
    "CREATE TABLE IF NOT EXISTS lockers (row INTEGER PRIMARY KEY AUTOINCREMENT, locker_id int, "
    "locker_mobile varchar(32), locker_password varchar(32), locker_icon int, "
    "locker_nfc varchar(32), locker_finger int, locker_timestart varchar(32), "
    "locker_timechange varchar(32),locker_startmode varchar(10),locker_endmode "
    "varchar(10),locker_status int)"};

inline constexpr QLatin1String SelectSql{
    "SELECT locker_id, locker_mobile, locker_password, locker_icon, locker_nfc, "
    "locker_finger, locker_timestart, locker_timechange, locker_startmode, locker_endmode, "
    "locker_status FROM lockers"};

Result create(const QSqlDatabase &db);

// Whether a count can be built; a count above the limit is logged.
bool countInRange(int count);

// The select of the locker set, prepared at its first read and kept for the
// next: preparing it costs about as much as reading a cabinet's rows.
class SetSelect
{
public:
    explicit SetSelect(const QSqlDatabase &db) : m_query(db) { m_query.setForwardOnly(true); }

    // Runs the select; false when it could not be prepared or run.
    bool run();
    QSqlQuery &rows() { return m_query; }

private:
    QSqlQuery m_query;
    bool m_prepared = false;
};

// Whether every locker from 1 to count has a row. Each row of a locker in
// that range is handed to onRow, in the order the store returns them; rows of
// other numbers are skipped. A count of 0 or less has no complete set.
bool readSet(SetSelect &select, int count, const std::function<void(const Locker &)> &onRow);
bool readSet(const QSqlDatabase &db, int count, const std::function<void(const Locker &)> &onRow);

// Deletes every locker row; *removed, when given, tells how many there were.
Result removeAll(const QSqlDatabase &db, int *removed = nullptr);

// Replaces the whole set by count blank rows in one transaction, so a failure
// at any point leaves the previous set exactly as it was. A cabinet without
// lockers keeps whatever rows there are. *removed, when given, tells how many
// rows of the previous set were replaced.
Result replaceSet(const QSqlDatabase &db, int count, int *removed = nullptr);

// The locker's line of the log; the code that opens it appears only masked,
// and the customer's phone number only by its last two digits.
void log(const Locker &locker);

} // namespace store::lockers
