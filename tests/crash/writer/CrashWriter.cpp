// The child of the crash test: the program's own form and data layer over a test folder, running
// a seeded stream of writes until it is killed. Before each write it prints "B <op> <arg>", after
// the write returned "D <op> <arg>", each line written at once, so the test knows which writes
// returned before the kill and which one was under way.
//
//   kovu_crash_writer FOLDER SEED [practice|select COUNT]
//
// With a mode it runs COUNT writes of one kind only (practice: sessions and answers; select: the
// pinyin selection and additions), says "Q" and closes normally: two copies of the program at work
// on one folder.
// After start-up (which opens the file with the password) it reports what the file holds ("H", and
// "F" for a fault), says "R" and waits for one byte on its input before the first write.
//
// Ops: S starts a test session (the score table emptied), A answers (one score record), G/Q/C are
// 更换, 全添 and 全撤 of the pinyin selection (lessons 101 and 102, 1 000 characters each), N adds a
// character through Query append/post, K builds textbook 5..8 (three lessons of 50 characters) in one
// transaction, X deletes such a textbook with its lessons and characters in one transaction, P
// changes the window setting 自动适应屏幕, O closes the connection (the next statement reopens it).
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "../CrashModel.h"
#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ConditionsPanel.h"
#include "practice/ItemSelection.h"
#include "practice/PracticePanel.h"

using namespace kovu;

namespace {

void say(const QString& line) {
    const QByteArray b = (line + '\n').toUtf8();
    // One write per line: a line is in the pipe whole or not at all when the kill comes.
    if (::write(1, b.constData(), b.size()) != b.size()) std::_Exit(4);
}

[[noreturn]] void quit(const QString& why) {
    say("E " + why);
    std::_Exit(3);
}

class Writer {
public:
    enum class Mode { All, Practice, Select };
    Writer(test::FakePlatform& platform, TfrmKovu& form, unsigned seed, Mode mode = Mode::All)
        : m_platform(platform), m_form(form), m_rng(seed), m_con(form.db().con1), m_mode(mode) {
        m_added = m_con.scalar("SELECT count(*) FROM yepy WHERE 拼音 LIKE 'add%'").toInt();
    }

    void step() {
        if (m_mode == Mode::Practice) {
            pick(8) ? answer() : startSession();
        } else if (m_mode == Mode::Select) {
            pick(2) ? selection() : addCharacter();
        } else {
            any();
        }
        if (!m_platform.dlg().log.empty()) quit(m_platform.dlg().texts().join(" / "));
    }

private:
    void any() {
        const int r = pick(100);
        if (r < 30)
            answer();
        else if (r < 38)
            startSession();
        else if (r < 50)
            selection();
        else if (r < 66)
            addCharacter();
        else if (r < 78)
            textbook();
        else if (r < 94)
            setting();
        else
            reopen();
    }

    int pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    bool practising() const { return m_form.pan1->isVisible(); }

    void leavePractice() {
        if (practising()) QTest::mouseClick(m_form.pan1->butFh, Qt::LeftButton);
    }

    void startSession() {
        leavePractice();
        if (m_form.state().CurrentPanel != 1) QTest::mouseClick(m_form.imgSs, Qt::LeftButton);
        // A two-digit sum needs no further choice.
        if (!m_form.panTj->bitQd->isEnabled()) m_form.panTj->panSs->rgp1->click(1);
        m_form.panTj->rgpNr->click(1);
        say("B S");
        QTest::mouseClick(m_form.panTj->bitQd, Qt::LeftButton);
        if (!practising())
            quit(QStringLiteral("the session did not start (panel %1, %2, start button %3)")
                     .arg(m_form.state().CurrentPanel)
                     .arg(m_form.state().PracticeKind)
                     .arg(m_form.panTj->bitQd->isEnabled() ? "enabled" : "disabled"));
        say("D S");
        m_answered = 0;
    }

    void answer() {
        if (!practising()) return startSession();
        PracticePanel* p = m_form.pan1;
        p->edtJg->setFocus();
        test::typeText(p->edtJg, QString::number(pick(20)));
        say(QStringLiteral("B A %1").arg(m_answered + 1));
        test::pressEnter(p->edtJg);
        say(QStringLiteral("D A %1").arg(++m_answered));
        // The next question.
        test::pressEnter(p->edtJg);
    }

    void selection() {
        leavePractice();
        ItemSelection* py = m_form.panTj->panPy;
        if (m_form.state().CurrentPanel != 2) QTest::mouseClick(m_form.imgPy, Qt::LeftButton);
        const int op = pick(3);
        const QString lesson = pick(2) ? "101" : "102";
        if (op == 2) {
            if (!py->spbXc->isEnabled()) return;
            say("B C -");
            QTest::mouseClick(py->spbXc, Qt::LeftButton);
            say("D C -");
            return;
        }
        py->cboKb->setCurrentIndex(0);
        py->cboKbClick();
        const int i = py->cboK1->findText(lesson, Qt::MatchStartsWith);
        if (i < 0) quit("no lesson " + lesson);
        py->cboK1->setCurrentIndex(i);
        py->cboK1Click();
        if (py->lstKt->count() != 1000) quit("lesson " + lesson + " does not list its 1000 characters");
        QPushButton* b = op == 0 ? py->spbGh : py->spbXq;
        if (!b->isEnabled()) return;
        const QString name = op == 0 ? "G" : "Q";
        say("B " + name + " " + lesson);
        QTest::mouseClick(b, Qt::LeftButton);
        say("D " + name + " " + lesson);
    }

    void addCharacter() {
        Query q(m_con, "crash");
        q.setSql("SELECT * FROM yepy WHERE 编号 = ?", {"901"});
        q.open();
        const int k = m_added + 1;
        say(QStringLiteral("B N %1").arg(k));
        q.append();
        q.setValue("编号", "901");
        q.setValue("文字", "加");
        q.setValue("拼音", QStringLiteral("add%1").arg(k));
        q.setValue("音调", "1");
        q.setValue("选中", false);
        q.post();
        q.close();
        say(QStringLiteral("D N %1").arg(k));
        m_added = k;
    }

    void textbook() {
        const QString d = QString::number(5 + pick(4));
        const bool there = m_con.scalar("SELECT count(*) FROM yekb WHERE 课本号 = ?", {d}).toInt() > 0;
        if (there) {
            say("B X " + d);
            Transaction t(m_con);
            m_con.exec("DELETE FROM yepy WHERE substr(编号, 1, 1) = ?", {d});
            m_con.exec("DELETE FROM yekt WHERE substr(编号, 1, 1) = ?", {d});
            m_con.exec("DELETE FROM yekb WHERE 课本号 = ?", {d});
            t.commit();
            say("D X " + d);
            return;
        }
        say("B K " + d);
        Transaction t(m_con);
        Query q(m_con, "crash");
        q.setSql("SELECT * FROM yekb WHERE 课本号 = ?", {d});
        q.open();
        q.append();
        q.setValue("课本号", d);
        q.setValue("课本名称", "课本" + d);
        q.post();
        q.setSql("SELECT * FROM yekt WHERE 编号 = ?", {d});
        q.open();
        for (int s = 1; s <= 3; ++s) {
            q.append();
            q.setValue("编号", d + "0" + QString::number(s));
            q.setValue("课题", "课" + QString::number(s));
            q.post();
        }
        q.setSql("SELECT * FROM yepy WHERE 编号 = ?", {d});
        q.open();
        for (int i = 0; i < 150; ++i) {
            q.append();
            q.setValue("编号", d + "0" + QString::number(1 + i / 50));
            q.setValue("文字", QString(QChar(0x4E00 + i)));
            q.setValue("拼音", "k" + QString::number(i));
            q.setValue("音调", "2");
            q.setValue("选中", false);
            q.post();
        }
        q.close();
        t.commit();
        say("D K " + d);
    }

    void setting() {
        leavePractice();
        QCheckBox* chkPm = m_form.panTj->chkPm;
        if (!chkPm->isEnabled()) return;
        const QString v = chkPm->isChecked() ? "0" : "1";
        say("B P " + v);
        chkPm->click();
        say("D P " + v);
    }

    void reopen() {
        if (m_con.inTransaction()) return;
        say("B O -");
        m_con.close();
        say("D O -");
    }

    test::FakePlatform& m_platform;
    TfrmKovu& m_form;
    std::mt19937 m_rng;
    Connection& m_con;
    Mode m_mode;
    int m_added = 0;
    int m_answered = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: kovu_crash_writer FOLDER SEED [practice|select COUNT]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::quietPlatformMessages();
    const unsigned seed = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    test::FakePlatform platform;
    platform.seed = seed;
    TfrmKovu form(platform, QString::fromLocal8Bit(argv[1]));
    if (!form.startedUp()) quit("start-up failed: " + platform.dlg().texts().join(" / "));
    form.show();
    // What the file holds after the kill before this start, read before anything is written: the
    // test compares it with the writes that had returned.
    QStringList faults;
    const test::Holding held = test::observe(form.db().con1, faults);
    for (const QString& f : faults) say("F " + f);
    say("H " + test::encode(held));
    say("R");
    // Start-up wrote nothing that was not stored already; the writes begin at the test's go.
    char go = 0;
    if (::read(0, &go, 1) != 1) return 0;
    if (argc == 5) {
        const QByteArray mode = argv[3];
        Writer w(platform, form, seed, mode == "practice" ? Writer::Mode::Practice : Writer::Mode::Select);
        for (int n = std::atoi(argv[4]); n > 0; --n) w.step();
        say("Q");
        return 0;
    }
    Writer w(platform, form, seed);
    for (;;) w.step();
}
