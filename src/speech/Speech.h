#pragma once

#include <QList>
#include <QString>
#include <functional>

class QObject;

namespace kovu {

// Which voice says a text: Chinese (characters, or ASCII pinyin with tone digits such as "hang2")
// or English.
enum class SpeechVoice { Chinese, English };

struct Utterance {
    SpeechVoice voice = SpeechVoice::Chinese;
    QString text;
    bool operator==(const Utterance&) const = default;
};

// What the practice screen asks of the speech: texts said in order, and the last of them again.
// The voices are synthesised off the window's thread; without a sound device nothing is heard and
// nothing is reported, and speech comes back when a device appears.
class Speech {
public:
    virtual ~Speech() = default;
    // Cuts off what is being said and says utterances in order; they become the last ones.
    virtual void say(const QList<Utterance>& utterances) = 0;
    // Says the last utterances again.
    virtual void sayAgain() = 0;
    // Whether a sound device is there to be heard on.
    virtual bool audible() const = 0;
    // Called on the window's thread when a sound device appears or goes.
    virtual void setAudibleChanged(std::function<void(bool)> changed) = 0;
    // How many utterances were synthesised and handed to the sound device (or, without one, would
    // have been): a count for the benchmarks and tests.
    virtual int handed() const = 0;
};

// The speech module (libkovu_speech.so, with eSpeak NG and Qt Multimedia) is loaded the first time
// speech is wanted, never at start-up. Makes the speech under parent; null when the module cannot
// be loaded, why then says why.
Speech* createSpeech(QObject* parent, QString* why = nullptr);

using CreateSpeech = Speech* (*)(QObject* parent);
inline constexpr const char* kCreateSpeechSymbol = "kovuCreateSpeech";
inline constexpr const char* kSpeechModuleName = "libkovu_speech.so";

// The folder that KOVU_SPEECH_DIR names: every utterance is also written there as a numbered WAV
// file with a line in utterances.txt (number, voice, text fed to the engine, tab-separated).
inline constexpr const char* kSpeechDirVariable = "KOVU_SPEECH_DIR";

}  // namespace kovu
