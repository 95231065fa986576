#include "store/process.h"

namespace store::process {

Result create(const QSqlDatabase &db)
{
    return runDirect(db, CreateSql);
}

} // namespace store::process
