#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include "speech/Speech.h"

namespace kovu {

Speech* createSpeech(QObject* parent, QString* why) {
    static CreateSpeech factory = nullptr;
    static QString failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const QString folder = QCoreApplication::applicationDirPath();
        QStringList reasons;
        for (const QString& place : {folder + '/' + kSpeechModuleName,
                                     QDir::cleanPath(folder + "/../lib/kovu/" + kSpeechModuleName)}) {
            QLibrary module(place);
            factory = reinterpret_cast<CreateSpeech>(module.resolve(kCreateSpeechSymbol));
            if (factory) break;
            reasons << module.errorString();
        }
        if (!factory) failure = reasons.join('\n');
    }
    if (why) *why = factory ? QString() : failure;
    return factory ? factory(parent) : nullptr;
}

}  // namespace kovu
