#include "platform/ErrorHandler.h"

#include <QCoreApplication>

#include "platform/Dialogs.h"
#include "platform/Errors.h"

namespace kovu {

namespace {
Dialogs* g_dialogs = nullptr;
}

void setDefaultErrorDialogs(Dialogs* dialogs) { g_dialogs = dialogs; }

void showUnexpectedError(const QString& message) {
    QString title = QCoreApplication::applicationName();
    if (title.isEmpty()) title = "Kovu V2.2.0";
    if (g_dialogs) g_dialogs->message(title, message, MsgIcon::Critical, MsgButtons::Ok);
}

void handleCurrentException() {
    try {
        throw;
    } catch (const KovuError& e) {
        showUnexpectedError(e.message());
    } catch (const std::exception& e) {
        showUnexpectedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showUnexpectedError(QStringLiteral("未知错误。"));
    }
}

}  // namespace kovu
