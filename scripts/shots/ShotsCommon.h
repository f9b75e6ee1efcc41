#pragma once

// What the screenshot tools share: starting the application as the program does, a working copy
// of the delivered database in a temporary folder, and grabbing a widget once the screen settled.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <deque>

#include "app/TfrmKovu.h"
#include "data/Connection.h"
#include "editor/EditorPage.h"
#include "platform/Fonts.h"
#include "platform/Platform.h"

namespace kovu::shots {

// A choice from a combo box's list, as the user makes it.
inline void choose(QComboBox* box, int i) {
    box->setCurrentIndex(i);
    Q_EMIT box->activated(i);
}

// An item of a radio group clicked on its round mark.
inline void choose(TRadioGroup* g, int i) {
    QRadioButton* b = g->button(i);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

// The real platform with a chosen screen and scripted draws.
class ShotPlatform : public Platform {
public:
    QSize screenSize() const override { return screen; }
    // A fixed clock, so that retaken pictures differ only where the screens do.
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 9), QTime(8, 5, 12)); }
    int random(int n) override {
        if (n <= 0) return 0;
        if (draws.empty()) return Platform::random(n);
        const int v = draws.front();
        draws.pop_front();
        return v % n;
    }
    QSize screen{1024, 768};
    std::deque<int> draws;
};

inline void clickEntry(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    if (!item) return;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

inline void clickScope(EditorPage* lr, int i) {
    QRadioButton* b = lr->rgpFw->button(i);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

inline void clickGridRow(EditorPage* lr, int row) {
    const QModelIndex idx = lr->dbgKb->model()->index(row, 1);
    lr->dbgKb->scrollTo(idx);
    QTest::mouseClick(lr->dbgKb->viewport(), Qt::LeftButton, {}, lr->dbgKb->visualRect(idx).center());
}

inline void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(30);
    }
}

inline bool save(QWidget* w, const QString& file) {
    settle();
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

// Checks the arguments <kovu.mdb> <output folder>, copies the database into dir and applies the
// settings statement to the copy; the stroke data file beside the database goes beside the copy.
// Returns the output folder, empty on failure.
inline QString prepare(int argc, char** argv, const char* tool, QTemporaryDir& dir, const char* settingsSql) {
    QApplication::setApplicationName(kApplicationTitle);
    installChineseFonts();
    installChineseTranslations();
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <kovu.mdb> <output folder>\n", tool);
        return {};
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), dir.filePath("kovu.mdb"))) return {};
    QFile(dir.filePath("kovu.mdb")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::copy(QFileInfo(QString::fromLocal8Bit(argv[1])).dir().filePath("kovu-strokes.dat"),
                dir.filePath("kovu-strokes.dat"));
    Connection c;
    c.open(dir.filePath("kovu.mdb"), kDatabasePassword);
    c.exec(QString::fromUtf8(settingsSql));
    return out;
}

}  // namespace kovu::shots
