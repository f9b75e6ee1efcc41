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

TEST(SpokenPrompts, TheScreenSaysNothingThatGivesTheAnswerAwayAndGoesOnWithoutASoundDevice) {
    SpokenFolder spoken;
    ProgressScreen s;
    const QString zh = "cmn-latn-pinyin ", en = "en-us ";
    auto settle = [] { QTest::qWait(150); };
    // The speaker covers nothing of the question area (its frame aside).
    auto speakerCoversNothing = [&s](const char* where) {
        QWidget* ld = s.pan1->imgLd;
        ASSERT_TRUE(ld->isVisible()) << where;
        EXPECT_TRUE(s.pan1->pan2->rect().contains(ld->geometry())) << where;
        for (QWidget* w : s.pan1->pan2->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w != ld && w != s.pan1->shp0 && w->isVisible())
                EXPECT_FALSE(w->geometry().intersects(ld->geometry()))
                    << w->objectName().toStdString() << " " << where;
    };
    // Without 朗读 nothing is said, and the speaker is not there.
    s.openPinyin();
    s.review();
    s.start();
    settle();
    EXPECT_TRUE(spoken.lines().isEmpty());
    EXPECT_FALSE(s.pan1->imgLd->isVisible());
    s.back();
    // One choice for the three screens, stored at once; each screen shows it whole.
    QTest::mouseClick(s.panTj->chkLd, Qt::LeftButton, {}, QPoint(8, s.panTj->chkLd->height() / 2));
    EXPECT_EQ(openDb(s.folder.db())->scalar("SELECT 值 FROM yepz WHERE 名称 = '朗读'").toString(), "1");
    for (int kind = 1; kind <= 3; ++kind) {
        if (kind == 1) s.openConditions();
        if (kind == 2) s.openEnglish();
        if (kind == 3) s.openPinyin();
        EXPECT_TRUE(s.panTj->chkLd->isChecked());
        for (QWidget* other : s.panTj->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (other != s.panTj->chkLd && other->isVisible())
                EXPECT_FALSE(other->geometry().intersects(s.panTj->chkLd->geometry()))
                    << other->objectName().toStdString() << " on " << s.panTj->title().toStdString();
    }

    // A pinyin review says the reading shown; the speaker and F2 say it again.
    s.start();
    const QString reading = s.pan1->edtJg->text() + s.pan1->lblYd->text().section(QStringLiteral("："), 1);
    QTRY_COMPARE(spoken.lines(), QStringList{zh + spokenReading(s.pan1->edtJg->text(), reading.right(1))});
    speakerCoversNothing("pinyin review");
    EXPECT_FALSE(s.pan1->imgLd->isEnabled());  // no sound device
    EXPECT_EQ(s.pan1->imgLd->accessibleName(), QStringLiteral("再听一遍"));
    QTest::keyClick(s.pan1->edtJg, Qt::Key_F2);
    QTRY_COMPARE(spoken.lines().size(), 2);
    EXPECT_EQ(spoken.lines().at(1), spoken.lines().at(0));
    s.back();

    // A pinyin test: nothing when 长 is asked; praise alone while the tone is still to come; after
    // the tone's verdict, each reading of 长 in turn.
    s.test();
    s.start({1});
    ASSERT_EQ(s.pan1->lblSs->text(), QStringLiteral("长"));
    settle();
    EXPECT_EQ(spoken.lines().size(), 2);
    speakerCoversNothing("pinyin test");
    s.answer("zhang");
    QTRY_COMPARE(spoken.lines().size(), 3);
    EXPECT_EQ(spoken.lines().at(2), zh + kSpokenRight);
    s.tone("2");
    QTRY_COMPARE(spoken.lines().size(), 6);
    EXPECT_EQ(spoken.lines().mid(3), (QStringList{zh + kSpokenWrong, zh + "chang2", zh + "zhang3"}));
    s.back();

    // An English test asks by the meaning; the word comes after the verdict, in the English voice.
    s.openEnglish();
    s.test();
    s.start({0});
    const QString meaning = s.pan1->lblSs->text();
    QTRY_COMPARE(spoken.lines().size(), 7);
    EXPECT_EQ(spoken.lines().at(6), zh + meaning);
    const QString word =
        openDb(s.folder.db())->scalar("SELECT 英语 FROM yydc WHERE 汉语 = ?", {meaning}).toString();
    s.answer("aple");
    speakerCoversNothing("English test");
    QTRY_COMPARE(spoken.lines().size(), 9);
    EXPECT_EQ(spoken.lines().mid(7), (QStringList{zh + kSpokenWrong, en + word}));
    s.back();
    s.review();
    s.start();
    QTRY_COMPARE(spoken.lines().size(), 10);
    EXPECT_EQ(spoken.lines().at(9), en + s.pan1->lblSs->text());
    s.back();

    // Arithmetic: the question without its result, then the praise; a multiplication review says
    // the rhyme of its line.
    s.openConditions();
    s.test();
    s.start();
    QTRY_COMPARE(spoken.lines().size(), 11);
    EXPECT_EQ(spoken.lines().at(10),
              zh + spokenSum(s.pan1->arithmetic().FirstOperand, '+', s.pan1->arithmetic().SecondOperand));
    speakerCoversNothing("arithmetic test");
    s.answer(QString::number(s.result()));
    QTRY_COMPARE(spoken.lines().size(), 12);
    EXPECT_EQ(spoken.lines().at(11), zh + kSpokenRight);
    s.back();
    s.choose(s.panSs->rgp1, 6);
    s.review();
    s.start();
    QTRY_COMPARE(spoken.lines().size(), 13);
    EXPECT_EQ(spoken.lines().at(12), zh + s.pan1->lblYd->text().section(QStringLiteral("："), 1));
    speakerCoversNothing("multiplication review");
    s.back();
    // Filling a large screen.
    s.platform.screen = QSize(1920, 1080);
    s.panTj->chkPm->setChecked(true);
    s.openPinyin();
    s.test();
    s.start({0});
    speakerCoversNothing("pinyin test at 1920");
    s.back();
    // Not one box on the way.
    EXPECT_TRUE(s.platform.dlg().log.empty()) << s.platform.dlg().texts().join(" / ").toStdString();
}
