#pragma once

#include <QColor>
#include <QImage>
#include <QTest>
#include <memory>

#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "platform/ImageCodec.h"
#include "practice/ArithmeticChoices.h"
#include "practice/ArithmeticExercise.h"
#include "practice/ConditionsPanel.h"
#include "practice/PracticePanel.h"

namespace kovu::test {

// A solid picture, as the example pictures of yetl are stored.
inline QByteArray solidJpeg(QColor c, int w = 100, int h = 100) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return encodeJpeg(img);
}

// The example pictures the arithmetic tests use: two usable ones and three that must never be
// offered (no number, no picture, no name).
inline void addExamplePictures(const QString& db) {
    auto c = openDb(db);
    c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {"1", solidJpeg(Qt::red), "苹果"});
    c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {"", solidJpeg(Qt::green), "无号"});
    c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, NULL, ?)", {"3", "无图"});
    c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {"4", solidJpeg(Qt::yellow), ""});
    c->exec("INSERT INTO yetl (图号, 图片, 图名) VALUES (?, ?, ?)", {"5", solidJpeg(Qt::blue), "小鸭"});
}

// The stored arithmetic choices of the settings row.
struct StoredChoices {
    int type = 0;
    int maxDigit = 0;
    int picture = -1;
    bool noPictures = false;
    bool fit = false;
};

// The real form over a small database with example pictures, shown on a fake platform.
struct PracticeScreen {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    ConditionsPanel* panTj = nullptr;
    ArithmeticChoices* panSs = nullptr;
    PracticePanel* pan1 = nullptr;

    explicit PracticeScreen(const StoredChoices& stored = {}, bool examplePictures = true) {
        folder.writeSmallDb();
        if (examplePictures) addExamplePictures(folder.db());
        {
            auto c = openDb(folder.db());
            c->exec(
                "UPDATE yesz SET 算术类型 = ?, 最大数字 = ?, 图例图片 = ?, 不显示例图 = ?, 自动适应屏幕 = ?",
                {stored.type, stored.maxDigit, stored.picture, stored.noPictures, stored.fit});
        }
        form = makeForm(platform, folder);
        form->show();
        QApplication::setActiveWindow(form.get());
        panTj = form->panTj;
        panSs = panTj->panSs;
        pan1 = form->pan1;
    }

    void openConditions() { QTest::mouseClick(form->imgSs, Qt::LeftButton); }
    // Clicks an item of a radio group on its round mark.
    void choose(TRadioGroup* group, int item) {
        QRadioButton* b = group->button(item);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    void test() { choose(panTj->rgpNr, 1); }
    void review() { choose(panTj->rgpNr, 0); }
    // Starts the session with the scripted draws of its first question.
    void start(std::initializer_list<int> draws = {}) {
        platform.draws.clear();
        platform.draws.insert(platform.draws.end(), draws);
        click(panTj->bitQd);
    }
    // Types an answer into the answer box and presses Enter there, as a child does.
    void answer(const QString& text) {
        pan1->edtJg->setFocus();
        typeText(pan1->edtJg, text);
        pressEnter(pan1->edtJg);
    }
    // Enter for the next question, with its scripted draws.
    void next(std::initializer_list<int> draws = {}) {
        platform.draws.insert(platform.draws.end(), draws);
        pressEnter(pan1->edtJg);
    }
    // The score rows of a table as "number|text|points|average".
    QStringList rows(const QString& table = "sscj") {
        auto c = openDb(folder.db());
        QStringList out;
        const int n = c->scalar("SELECT count(*) FROM " + table).toInt();
        for (int i = 0; i < n; ++i) {
            QStringList cells;
            for (const char* col : {"序号", "题目", "得分", "平均分"})
                cells << c->scalar(
                              QString("SELECT %1 FROM %2 ORDER BY rowid LIMIT 1 OFFSET ?").arg(col, table),
                              {i})
                             .toString();
            out << cells.join('|');
        }
        return out;
    }
    QVariant setting(const QString& field) {
        return openDb(folder.db())->scalar("SELECT " + field + " FROM yesz");
    }
};

}  // namespace kovu::test
