#include "store/transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

Transaction::Transaction(const QSqlDatabase &db, const char *name)
    : m_db(db), m_name(QString::fromLatin1(name))
{
    m_active = run(QStringLiteral("SAVEPOINT ") + m_name);
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
        rollback();
        return false;
    }
    m_active = false;
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
    run(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    m_active = false;
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
