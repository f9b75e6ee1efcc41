#include "progress/ProgressChart.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace kovu {

CreateProgressChart chartFactory(QString* why) {
    static CreateProgressChart factory = nullptr;
    static QString failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const QString folder = QCoreApplication::applicationDirPath();
        for (const QString& place : {folder + '/' + kChartModuleName,
                                     QDir::cleanPath(folder + "/../lib/kovu/" + kChartModuleName)}) {
            QLibrary module(place);
            factory = reinterpret_cast<CreateProgressChart>(module.resolve(kCreateProgressChartSymbol));
            if (factory) break;
            if (failure.isEmpty()) failure = module.errorString();
        }
    }
    if (why) *why = factory ? QString() : failure;
    return factory;
}

}  // namespace kovu
