#include "ui/toast.h"

ToastLines Toast;

namespace gui {

ToastLines pushToastMessage(const ToastLines &lines, const QString &message, int clearErrors)
{
    const ToastLines before = clearErrors != 0 ? ToastLines() : lines;
    return ToastLines{before.toastLine2, before.toastLine3, before.toastLine4, message};
}

} // namespace gui
