#pragma once

#include <QString>

// The one step of each system that the shared parts of platform/ build on.
namespace platform {

// Makes one folder, its parent already there, for the account alone.
bool makeFolderOfAccountAlone(const QString &path);

} // namespace platform
