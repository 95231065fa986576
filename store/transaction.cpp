#include "store/transaction.h"

#include "store/log.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {
// Units open on each connection, so that the outermost one is known.
QHash<QString, int> &openUnits()
{
    static QHash<QString, int> units;
    return units;
}
} // namespace

Transaction::Transaction(const QSqlDatabase &db, const char *name, Labels failureLabels)
    : m_db(db), m_name(QString::fromLatin1(name)), m_labels(failureLabels)
{
    m_active = run(QStringLiteral("SAVEPOINT ") + m_name);
    if (m_active)
        m_outermost = openUnits()[m_db.connectionName()]++ == 0;
    else
        logLine() << m_labels.begin << m_error;
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!run(QStringLiteral("RELEASE SAVEPOINT ") + m_name)) {
        const QString error = m_error;
        rollback();
        m_error = error;
        logLine() << m_labels.commit << m_error;
        return false;
    }
    m_active = false;
    --openUnits()[m_db.connectionName()];
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    if (m_outermost) {
        // The outermost unit began the store's transaction. Ending it with
        // ROLLBACK leaves the file untouched; rolling back to the savepoint
        // and releasing it would commit an empty transaction, a write that
        // can itself fail and leave the transaction open.
        run(QStringLiteral("ROLLBACK"));
    } else {
        run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
        run(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    }
    m_active = false;
    --openUnits()[m_db.connectionName()];
}

bool Transaction::run(const QString &statement)
{
    QSqlQuery query(m_db);
    if (query.exec(statement))
        return true;
    m_error = query.lastError().text();
    return false;
}

} // namespace store
