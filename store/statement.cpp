#include "store/statement.h"

#include "platform/platform.h"
#include "store/log.h"

#include <QDir>
#include <QSqlError>

namespace store {

namespace {
Result failed(const QSqlQuery &query, const char *failureLabel)
{
    const Result result = Result::failure(query.lastError().text());
    if (failureLabel)
        logLine() << failureLabel << result.error;
    return result;
}

// A text is bound as the text it is, never as SQL NULL: an absent text is
// stored as the empty one.
QVariant boundValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QStringLiteral("");
    return value;
}
} // namespace

Statement::Statement(const QSqlDatabase &db, const QString &sql, const char *failureLabel)
    : m_query(db), m_failureLabel(failureLabel)
{
    m_prepared = m_query.prepare(sql);
}

Result Statement::run(const QVariantList &values)
{
    // A statement the store refuses to prepare (a missing column, a locked
    // store) is not executed: its error text is the store's own, which
    // executing it anyway would replace with a parameter count mismatch.
    if (!m_prepared)
        return failed(m_query, m_failureLabel);
    for (int i = 0; i < values.size(); ++i)
        m_query.bindValue(i, boundValue(values.at(i)));
    if (!m_query.exec())
        return failed(m_query, m_failureLabel);
    return Result::success();
}

Result run(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
           const char *failureLabel)
{
    return Statement(db, sql, failureLabel).run(values);
}

Result runDirect(const QSqlDatabase &db, const QString &sql, const char *failureLabel)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        return failed(query, failureLabel);
    return Result::success();
}

bool seekRecordOne(QSqlQuery &query, const QString &select, const char *failureLabel)
{
    query.setForwardOnly(true);
    if (!query.exec(select)) {
        failed(query, failureLabel);
        return false;
    }
    while (query.next()) {
        if (query.value(0).toInt() == 1)
            return true;
    }
    return false;
}

std::optional<bool> hasRecordOne(const QSqlDatabase &db, const QString &table,
                                 const char *failureLabel)
{
    // The table names are the program's own, never the operator's.
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name='%1'")
                .arg(table))
        || !query.next()) {
        failed(query, failureLabel);
        return std::nullopt;
    }
    if (query.value(0).toInt() == 0)
        return false;
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE id=1").arg(table))) {
        failed(query, failureLabel);
        return std::nullopt;
    }
    return query.next() && query.value(0).toInt() > 0;
}

bool open(QSqlDatabase &db)
{
    if (QDir::isAbsolutePath(db.databaseName()))
        platform::makePrivateFile(db.databaseName());
    return db.open();
}

bool ensureOpen(QSqlDatabase &db)
{
    return db.isOpen() || open(db);
}

} // namespace store
