// Spoken prompts: every delivered reading is one syllable with its row's tone, the four tones move
// as they should, and the practice screen says nothing that gives the answer away before it is
// judged; without a sound device it is silent and asks nothing.
#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "../progress/ProgressFixture.h"
#include "Pitch.h"
#include "practice/Captions.h"
#include "speech/Speech.h"
#include "speech/SpeechRules.h"

using namespace kovu;
using namespace kovu::test;

namespace {

// Utterances are written to a folder of the test's own, and no sound server is reached: the
// machine is one without a sound device.
struct SpokenFolder {
    QTemporaryDir dir;
    SpokenFolder() {
        qputenv(kSpeechDirVariable, QFile::encodeName(dir.path()));
        qputenv("PULSE_SERVER", "unix:/nonexistent/kovu-test-no-sound");
    }
    ~SpokenFolder() { qunsetenv(kSpeechDirVariable); }
    // The lines of utterances.txt as "voice text".
    QStringList lines() const {
        QFile f(dir.filePath("utterances.txt"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList out;
        for (const QString& l : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
            out << l.section('\t', 1, 1) + " " + l.section('\t', 2);
        return out;
    }
};

}  // namespace

TEST(SpeechRules, ReadingsSumsAndNumbersAsTheVoicesTakeThem) {
    EXPECT_EQ(spokenReading("hang", "2"), "hang2");
    EXPECT_EQ(spokenReading("lv", "4"), "lv4");
    EXPECT_EQ(spokenReading(QStringLiteral("lü"), "4"), "lv4");
    EXPECT_EQ(spokenReading("ma", "0"), "ma5");
    EXPECT_EQ(spokenSum(3, '+', 4), QStringLiteral("三加四等于几"));
    EXPECT_EQ(spokenSum(12, '-', 5), QStringLiteral("十二减五等于几"));
    EXPECT_EQ(spokenSum(3, QChar(0xFF0A), 7), QStringLiteral("三乘七等于几"));
    EXPECT_EQ(spokenSumWithResult(27, '+', 15, 42), QStringLiteral("二十七加十五等于四十二"));
    for (const auto& [n, text] : std::vector<std::pair<int, QString>>{{0, "零"},
                                                                      {10, "十"},
                                                                      {20, "二十"},
                                                                      {99, "九十九"},
                                                                      {100, "一百"},
                                                                      {105, "一百零五"},
                                                                      {110, "一百一十"},
                                                                      {118, "一百一十八"},
                                                                      {198, "一百九十八"}})
        EXPECT_EQ(chineseNumber(n), text) << n;
}

TEST(SpeechEngine, EveryDeliveredReadingIsOneSyllableWithTheToneOfItsRow) {
    ASSERT_GT(espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT), 0);
    ASSERT_EQ(espeak_SetVoiceByName("cmn-latn-pinyin"), EE_OK);
    // eSpeak's tone marks: the five-level contours of the four tones and the neutral tone.
    const std::map<QString, QString> contour = {
        {"1", "55"}, {"2", "35"}, {"3", "214"}, {"4", "51"}, {"0", "11"}};
    auto c = openDb(KOVU_DELIVERED_DB);
    const QStringList readings = rows(*c, "SELECT DISTINCT 拼音, 音调 FROM yepy");
    ASSERT_GT(readings.size(), 100);
    static const QRegularExpression digits("\\d+");
    for (const QString& r : readings) {
        const QString pinyin = r.section(' ', 0, 0), tone = r.section(' ', 1, 1);
        const QByteArray text = spokenReading(pinyin, tone).toUtf8();
        const void* p = text.constData();
        const QString phonemes = QString::fromUtf8(espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0));
        QStringList tones;
        for (const auto& m : digits.globalMatch(phonemes)) tones << m.captured();
        EXPECT_EQ(tones, QStringList{contour.at(tone)})
            << text.constData() << " → " << phonemes.toStdString();
    }
    espeak_Terminate();
}

TEST(SpeechEngine, TheFourTonesOfMaMoveAsTheyShould) {
    SpokenFolder spoken;
    QObject owner;
    Speech* speech = createSpeech(&owner);
    ASSERT_NE(speech, nullptr);
    EXPECT_FALSE(speech->audible());
    speech->say({{SpeechVoice::Chinese, "ma1"},
                 {SpeechVoice::Chinese, "ma2"},
                 {SpeechVoice::Chinese, "ma3"},
                 {SpeechVoice::Chinese, "ma4"}});
    QTRY_COMPARE(speech->handed(), 4);
    std::vector<PitchShape> shapes;
    for (int i = 1; i <= 4; ++i) {
        const QByteArray wav =
            fileBytes(spoken.dir.filePath(QStringLiteral("%1.wav").arg(i, 4, 10, QChar('0'))));
        ASSERT_GT(wav.size(), 44 + 22050 * 2 / 10) << i;
        EXPECT_EQ(wav.mid(0, 4), "RIFF");
        const QList<double> track = pitchTrack(wavSamples(wav), 22050);
        ASSERT_GE(track.size(), 6) << i;
        shapes.push_back(pitchShape(track));
    }
    const PitchShape &t1 = shapes[0], &t2 = shapes[1], &t3 = shapes[2], &t4 = shapes[3];
    // eSpeak's Mandarin voice draws the tones narrower than a speaker does (its first tone drifts
    // up a little, its fourth rises before it falls); with the wide range they are still told apart:
    // the first high and level, highest at its end, never falling;
    EXPECT_GT(t1.mean, std::max({t2.mean, t3.mean, t4.mean}));
    EXPECT_LT(t1.end, t1.start * 1.2) << t1.start << " " << t1.end;
    EXPECT_GT(t1.end, t1.highest * 0.97);
    // the second rising, by far the most;
    EXPECT_GT(t2.end, t2.start * 1.25) << t2.start << " " << t2.end;
    EXPECT_GT(t2.end / t2.start, t1.end / t1.start + 0.1);
    // the third low, below all of the first;
    EXPECT_LT(t3.mean, std::min({t1.mean, t2.mean, t4.mean}));
    EXPECT_LT(t3.highest, t1.lowest * 1.02);
    // the fourth falling to its end from a peak well before it.
    EXPECT_LT(t4.highestAt, 0.75);
    EXPECT_LT(t4.end, t4.highest * 0.93) << t4.highest << " " << t4.end;
    // The tail of silence after each utterance.
    const QList<short> last = wavSamples(fileBytes(spoken.dir.filePath("0004.wav")));
    EXPECT_TRUE(std::all_of(last.end() - 22050 * 140 / 1000, last.end(), [](short s) { return s == 0; }));
}
