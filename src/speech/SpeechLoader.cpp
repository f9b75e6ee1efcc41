#include "platform/Modules.h"
#include "speech/Speech.h"

namespace kovu {

Speech* createSpeech(QObject* parent, QString* why) {
    static QString failure;
    static const auto factory =
        reinterpret_cast<CreateSpeech>(moduleEntry(kSpeechModuleName, kCreateSpeechSymbol, &failure));
    if (why) *why = factory ? QString() : failure;
    return factory ? factory(parent) : nullptr;
}

}  // namespace kovu
