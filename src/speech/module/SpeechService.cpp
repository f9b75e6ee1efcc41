// The speech of the practice screen: eSpeak NG synthesising into memory on a worker thread, one
// Qt Multimedia sink playing the samples. Built as the module libkovu_speech.so, loaded the first
// time speech is wanted.
#include <espeak-ng/speak_lib.h>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QMutex>
#include <QThread>
#include <QtEndian>
#include <atomic>
#include <deque>

#include "speech/Speech.h"

namespace kovu {
namespace {

constexpr int kSampleRate = 22050;
// Silence after each utterance, so the sink does not cut off its tail.
constexpr int kTailSamples = kSampleRate * 150 / 1000;

const char* voiceName(SpeechVoice v) { return v == SpeechVoice::English ? "en-us" : "cmn-latn-pinyin"; }

// The samples eSpeak hands back while it synthesises one text.
std::vector<short>* g_collecting = nullptr;

int collect(short* wav, int n, espeak_EVENT*) {
    if (wav && n > 0 && g_collecting) g_collecting->insert(g_collecting->end(), wav, wav + n);
    return 0;
}

QByteArray wavFile(const QByteArray& samples) {
    QByteArray h(44, '\0');
    auto put32 = [&h](int at, quint32 v) { qToLittleEndian<quint32>(v, h.data() + at); };
    auto put16 = [&h](int at, quint16 v) { qToLittleEndian<quint16>(v, h.data() + at); };
    h.replace(0, 4, "RIFF");
    put32(4, 36 + samples.size());
    h.replace(8, 8, "WAVEfmt ");
    put32(16, 16);
    put16(20, 1);  // PCM
    put16(22, 1);  // mono
    put32(24, kSampleRate);
    put32(28, kSampleRate * 2);
    put16(32, 2);
    put16(34, 16);
    h.replace(36, 4, "data");
    put32(40, samples.size());
    return h + samples;
}

// Runs on the worker thread: eSpeak is used from this thread only.
class Synthesizer : public QObject {
    Q_OBJECT
public:
    explicit Synthesizer(QString dumpFolder) : m_dump(std::move(dumpFolder)) {}

    void prepare() {
        if (m_ready) return;
        m_ready = true;
        m_working = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) > 0;
        if (!m_working) return;
        espeak_SetSynthCallback(collect);
        useVoice(SpeechVoice::Chinese);
    }

    void synthesise(quint64 generation, int voice, const QString& text) {
        prepare();
        const auto v = static_cast<SpeechVoice>(voice);
        QByteArray samples;
        if (m_working) {
            useVoice(v);
            std::vector<short> out;
            g_collecting = &out;
            const QByteArray utf8 = text.toUtf8();
            espeak_Synth(utf8.constData(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                         nullptr);
            g_collecting = nullptr;
            out.resize(out.size() + kTailSamples, 0);
            samples = QByteArray(reinterpret_cast<const char*>(out.data()),
                                 static_cast<qsizetype>(out.size() * sizeof(short)));
        }
        if (!m_dump.isEmpty()) writeDump(v, text, samples);
        Q_EMIT synthesised(generation, samples);
    }

Q_SIGNALS:
    void synthesised(quint64 generation, const QByteArray& samples);

private:
    void useVoice(SpeechVoice v) {
        if (m_voice == static_cast<int>(v)) return;
        m_voice = static_cast<int>(v);
        espeak_SetVoiceByName(voiceName(v));
        // A wide pitch range tells the four tones apart; the English voice keeps its own.
        espeak_SetParameter(espeakRANGE, v == SpeechVoice::Chinese ? 100 : 50, 0);
    }

    void writeDump(SpeechVoice v, const QString& text, const QByteArray& samples) {
        QDir().mkpath(m_dump);
        const QString name = QStringLiteral("%1.wav").arg(++m_written, 4, 10, QChar('0'));
        QFile wav(m_dump + '/' + name);
        if (wav.open(QIODevice::WriteOnly)) wav.write(wavFile(samples));
        QFile list(m_dump + "/utterances.txt");
        if (list.open(QIODevice::WriteOnly | QIODevice::Append))
            list.write(QStringLiteral("%1\t%2\t%3\n").arg(m_written).arg(voiceName(v), text).toUtf8());
    }

    QString m_dump;
    bool m_ready = false;
    bool m_working = false;
    int m_voice = -1;
    int m_written = 0;
};

// The samples waiting to be played; the sink pulls them.
class SampleQueue : public QIODevice {
public:
    SampleQueue() { open(QIODevice::ReadOnly); }
    void append(const QByteArray& b) {
        m_data.append(b);
        Q_EMIT readyRead();
    }
    void clear() { m_data.clear(); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = std::min<qint64>(max, m_data.size());
        memcpy(out, m_data.constData(), static_cast<size_t>(n));
        m_data.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
};

class SpeechService : public QObject, public Speech {
public:
    explicit SpeechService(QObject* parent)
        : QObject(parent), m_synth(new Synthesizer(qEnvironmentVariable(kSpeechDirVariable))) {
        m_synth->moveToThread(&m_worker);
        connect(&m_worker, &QThread::finished, m_synth, &QObject::deleteLater);
        connect(m_synth, &Synthesizer::synthesised, this,
                [this](quint64 generation, const QByteArray& samples) { play(generation, samples); });
        m_worker.start();
        // The voice is loaded on the worker at once, ready for the first utterance.
        QMetaObject::invokeMethod(m_synth, [s = m_synth] { s->prepare(); });
        connect(&m_devices, &QMediaDevices::audioOutputsChanged, this, [this] { deviceChanged(); });
        deviceChanged();
    }

    ~SpeechService() override {
        if (m_sink) m_sink->stop();
        m_worker.quit();
        m_worker.wait();
    }

    void say(const QList<Utterance>& utterances) override {
        m_last = utterances;
        speak();
    }

    void sayAgain() override { speak(); }
    bool audible() const override { return m_sink != nullptr; }
    void setAudibleChanged(std::function<void(bool)> changed) override { m_changed = std::move(changed); }
    int handed() const override { return m_handed; }

private:
    void speak() {
        const quint64 generation = ++m_generation;
        m_queue.clear();
        if (m_sink) m_sink->reset();
        for (const Utterance& u : m_last)
            QMetaObject::invokeMethod(m_synth, [s = m_synth, generation, u] {
                s->synthesise(generation, static_cast<int>(u.voice), u.text);
            });
    }

    void play(quint64 generation, const QByteArray& samples) {
        // What a later say() cut off is not played.
        if (generation != m_generation) return;
        ++m_handed;
        if (!m_sink) return;
        m_queue.append(samples);
        if (m_sink->state() != QAudio::ActiveState) m_sink->start(&m_queue);
    }

    void deviceChanged() {
        const bool had = m_sink != nullptr;
        if (m_sink) {
            m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
        }
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (!device.isNull()) {
            QAudioFormat f;
            f.setSampleRate(kSampleRate);
            f.setChannelCount(1);
            f.setSampleFormat(QAudioFormat::Int16);
            if (device.isFormatSupported(f)) m_sink = new QAudioSink(device, f, this);
        }
        if (had != (m_sink != nullptr) && m_changed) m_changed(m_sink != nullptr);
    }

    QThread m_worker;
    Synthesizer* m_synth;
    QMediaDevices m_devices;
    QAudioSink* m_sink = nullptr;
    SampleQueue m_queue;
    QList<Utterance> m_last;
    std::function<void(bool)> m_changed;
    quint64 m_generation = 0;
    int m_handed = 0;
};

}  // namespace
}  // namespace kovu

extern "C" Q_DECL_EXPORT kovu::Speech* kovuCreateSpeech(QObject* parent) {
    return new kovu::SpeechService(parent);
}

#include "SpeechService.moc"
