#include "ui/fonts.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>

namespace gui {

QList<std::pair<QString, QStringList>> fontLookAlikes()
{
    return {
        {QStringLiteral("IRANYekan"),
         {QStringLiteral("Vazir"), QStringLiteral("Vazirmatn"), QStringLiteral("Noto Sans Arabic"),
          QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("Vazir Black"),
         {QStringLiteral("Vazir"), QStringLiteral("Vazirmatn"), QStringLiteral("Noto Sans Arabic"),
          QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("Segoe UI"),
         {QStringLiteral("Open Sans"), QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")}},
    };
}

QStringList registerFontsIn(const QString &folder)
{
    QStringList added;
    const QStringList fontFiles = {QStringLiteral("*.ttf"), QStringLiteral("*.otf")};
    for (const QFileInfo &file : QDir(folder).entryInfoList(fontFiles, QDir::Files, QDir::Name)) {
        const int id = QFontDatabase::addApplicationFont(file.filePath());
        if (id >= 0)
            added += QFontDatabase::applicationFontFamilies(id);
    }
    added.removeDuplicates();
    return added;
}

void substituteMissingFonts()
{
    const QStringList installed = QFontDatabase::families();
    for (const auto &[family, lookAlikes] : fontLookAlikes()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            continue;
        QStringList available;
        for (const QString &candidate : lookAlikes)
            if (installed.contains(candidate, Qt::CaseInsensitive))
                available.append(candidate);
        if (!available.isEmpty())
            QFont::insertSubstitutions(family, available);
    }
}

} // namespace gui
