// Feeds arbitrary serials through the serial path: the length check, the
// lookup URL and the device folder name check. Whatever the serial holds, the
// URL must carry exactly the two query keys with the serial intact, and a
// folder name that passes must stay a single folder under the data root.
#include "activation/lookup.h"

#include <QDir>
#include <QString>
#include <QUrlQuery>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString serial =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const bool accepted = activation::isAcceptedSerial(serial);
    if (accepted && (serial.size() < 8 || serial.size() > 20))
        __builtin_trap();

    const QUrl url = activation::lookupUrl(QStringLiteral("http://127.0.0.1:8080"), serial);
    const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    if (items.size() != 2 || items.at(0).first != QLatin1String("PsW")
        || items.at(1).first != QLatin1String("Id") || url.hasFragment())
        __builtin_trap();
    // URL decoding does not give back Unicode noncharacters (each of their
    // bytes becomes U+FFFD); every other serial must come back exactly.
    bool hasNonCharacter = false;
    for (const uint codePoint : serial.toUcs4())
        hasNonCharacter = hasNonCharacter || QChar::isNonCharacter(codePoint);
    if (!hasNonCharacter && activation::lookupDeviceId(url) != serial)
        __builtin_trap();

    if (activation::isSafeFolderName(serial)) {
        const QString root = QStringLiteral("/data/QUORVIN/");
        const QString path = QDir::cleanPath(root + serial);
        if (!path.startsWith(root) || path.mid(root.size()).contains(QLatin1Char('/')))
            __builtin_trap();
    }
    return 0;
}
