#pragma once

#include <QString>

// The four lines of the toast, oldest at the top, newest at the bottom.
struct ToastLines
{
    QString toastLine1;
    QString toastLine2;
    QString toastLine3;
    QString toastLine4;
};

// The lines the toast shows, kept for the whole run of the program.
extern ToastLines Toast;

namespace gui {

// Moves every line up by one and puts the message at the bottom; the top
// line is dropped. A non-zero clearErrors empties all lines first.
ToastLines pushToastMessage(const ToastLines &lines, const QString &message, int clearErrors);

} // namespace gui
