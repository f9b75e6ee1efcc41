#include "progress/ProgressChart.h"

#include "platform/Modules.h"

namespace kovu {

CreateProgressChart chartFactory(QString* why) {
    static QString failure;
    static const auto factory = reinterpret_cast<CreateProgressChart>(
        moduleEntry(kChartModuleName, kCreateProgressChartSymbol, &failure));
    if (why) *why = factory ? QString() : failure;
    return factory;
}

}  // namespace kovu
