#include "ui/fonts.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace gui {

namespace {
// Whether a font asked for by this family is drawn with that family.
bool resolvesToItself(const QString &family)
{
    return QFontInfo(QFont(family)).family().compare(family, Qt::CaseInsensitive) == 0;
}
} // namespace

QList<std::pair<QString, QStringList>> fontLookAlikes()
{
    const QStringList segoeLookAlikes = {QStringLiteral("Open Sans"), QStringLiteral("Noto Sans"),
                                         QStringLiteral("DejaVu Sans")};
    return {
        {QStringLiteral("IRANYekan"),
         {QStringLiteral("Vazir"), QStringLiteral("Vazirmatn"), QStringLiteral("Noto Sans Arabic"),
          QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("Vazir Black"),
         {QStringLiteral("Vazir"), QStringLiteral("Vazirmatn"), QStringLiteral("Noto Sans Arabic"),
          QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("Segoe UI"), segoeLookAlikes},
        // Where Windows itself lacks the dialog font (Wine without its own
        // fonts), Qt's default for widgets that name no font, such as the
        // check boxes below a styled frame, would fall back to a serif face.
        {QStringLiteral("MS Shell Dlg"), segoeLookAlikes},
        {QStringLiteral("MS Shell Dlg 2"), segoeLookAlikes},
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
        // A family may be known by name yet drawn with another font: Windows
        // lists its dialog font even where the face behind it is missing.
        if (resolvesToItself(family))
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
