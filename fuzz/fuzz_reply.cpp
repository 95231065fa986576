// Feeds arbitrary reply bodies through the reply path's plain functions:
// classification, then parsing of what classifies as a device record.
#include "activation/lookup.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString body = QString::fromUtf8(raw);
    const activation::ReplyKind kind = activation::classifyReply(body);

    // The parser must cope with any body, whatever the classification says.
    const auto record = activation::parseDeviceReply(body.toUtf8());
    if (record) {
        // Text fields come only from JSON strings; they survive a round trip.
        const QString all = record->dev_name + record->dev_model + record->dev_location
                            + record->dev_address + record->dev_description
                            + record->dev_timer_system;
        if (all.size() > body.size() * 2 + 16)
            __builtin_trap();
    }
    if (kind == activation::ReplyKind::DeviceRecord && !body.contains(QLatin1String("dev_id")))
        __builtin_trap();
    return 0;
}
