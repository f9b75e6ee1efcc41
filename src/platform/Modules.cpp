#include "platform/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

namespace kovu {

void* moduleEntry(const char* fileName, const char* symbol, QString* why) {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(fileName);
    QStringList reasons;
    for (const QString& place :
         {folder + '/' + name, QDir::cleanPath(folder + "/../lib/kovu/modules/" + name)}) {
        QLibrary module(place);
        if (QFunctionPointer entry = module.resolve(symbol)) {
            if (why) why->clear();
            return reinterpret_cast<void*>(entry);
        }
        reasons << module.errorString();
    }
    if (why) *why = reasons.join('\n');
    return nullptr;
}

}  // namespace kovu
