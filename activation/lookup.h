#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace activation {

inline constexpr char LookupPath[] = "/Zelvatto_DeviceInfoByID.php";
inline constexpr char AccessValue[] = "TqLmWd";
inline constexpr int MinSerialLength = 8;
inline constexpr int MaxSerialLength = 20;

// A serial is accepted when its length, spaces included, is 8 to 20 and it is
// not blank.
bool isAcceptedSerial(const QString &serial);

// The directory server's base address, and where it was found.
struct ServerAddress
{
    QString url;
    const char *source; // "from QUORVIN_SERVER_URL", "set at install" or "built in"
};

// The first usable http(s) address of QUORVIN_SERVER_URL, the address set for
// the machine at install time and the address compiled in. An empty value
// counts as not set; a value that is no such address is logged, without any
// user name and password in it, and passed over.
ServerAddress serverAddress();
ServerAddress serverAddressFrom(const QString &environment, const QString &installed);
QString serverBaseUrl();

// Writes to the log which address the lookups go to and where it was found.
void logServerAddress();

// The address without the user name and password that may stand before its
// host, as the log may show it.
QString withoutUserInfo(const QString &address);

// The lookup URL for a device ID. The ID is percent-encoded, so no character
// of a serial can add a query key or cut the URL short.
QUrl lookupUrl(const QString &baseUrl, const QString &devId);

// The device ID a lookup was sent for, read back from its URL. URL decoding
// does not give back Unicode noncharacters: each of their bytes becomes U+FFFD.
QString lookupDeviceId(const QUrl &url);

// The device ID a lookup request was sent for: the ID it was sent with,
// exactly, or for a request made elsewhere the one its URL names.
QString sentDeviceId(const QNetworkRequest &request);

enum class ReplyKind {
    ServerError,  // body contains "ServerError"
    InfoError,    // body contains "GetInfo" (and not "ServerError")
    DeviceRecord, // body contains "dev_id" and neither of the above
    Unrecognised, // none of the three markers
};

// Markers are tested in this order, case-sensitive, anywhere in the body.
ReplyKind classifyReply(const QString &body);

struct DeviceReply
{
    QString dev_name;
    QString dev_model;
    QString dev_location;
    QString dev_address;
    QString dev_description;
    QString dev_timer_system;
    int dev_lockers = 0;
    int dev_status = 0;
};

// Reads the device record of a reply. Keys that are missing or of another
// JSON type give their fallback (empty text, 0). A body that is not a JSON
// object gives nothing.
std::optional<DeviceReply> parseDeviceReply(const QByteArray &body);

// Sends one lookup request; its reply arrives through the manager's finished
// signal. A request that does not finish in time is aborted and reported as a
// network error.
void sendLookupRequest(QNetworkAccessManager *manager, const QString &devId);

// Transfer time-out of lookup requests, in milliseconds (default 15000).
int lookupTimeoutMs();
void setLookupTimeoutMs(int ms);

// A device ID can name a folder under the data root only when it is one plain
// folder name: no separators, no "..", no drive colon, no control characters.
bool isSafeFolderName(const QString &name, QString *reason = nullptr);

// Makes the folder of an active device under the data root, when its ID is a
// safe folder name; logs why otherwise.
bool makeDeviceFolder(const QString &devId);

} // namespace activation
