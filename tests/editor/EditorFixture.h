#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "LessonRows.h"
#include "TestSupport.h"
#include "app/TfrmKovu.h"
#include "editor/EditorPage.h"

namespace kovu::test {

// The form on a small database with the sample lessons, and the user's ways to the editor.
struct Editor {
    FakePlatform platform;
    TestFolder folder;
    std::unique_ptr<TfrmKovu> form;
    EditorPage* lr = nullptr;

    explicit Editor(const std::function<void(Connection&)>& extra = {},
                    const QStringList& inputMethods = {}) {
        folder.writeSmallDb();
        {
            auto c = openDb(folder.db());
            writeSampleLessons(*c);
            if (extra) extra(*c);
        }
        platform.ime().names = inputMethods;
        form = makeForm(platform, folder);
        form->show();
        lr = form->tasLr;
    }
    // The settings button, then the editor's page tab.
    void enterEditor() {
        if (form->pagSz->isHidden()) QTest::mouseClick(form->imgSz, Qt::LeftButton);
        clickPage(1);
    }
    void clickPage(int i) {
        QTabBar* bar = form->pagSz->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
    }
    void clickTab(int i) { QTest::mouseClick(lr->tabFl, Qt::LeftButton, {}, lr->tabFl->tabRect(i).center()); }
    void clickScope(int i) {
        QRadioButton* b = lr->rgpFw->button(i);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    QAbstractItemModel* grid() const { return lr->dbgKb->model(); }
    QStringList gridColumn(int col) const {
        QStringList out;
        for (int r = 0; r < grid()->rowCount(); ++r) out << grid()->index(r, col).data().toString();
        return out;
    }
    QStringList headers() const {
        QStringList out;
        for (int c = 0; c < grid()->columnCount(); ++c)
            out << grid()->headerData(c, Qt::Horizontal).toString();
        return out;
    }
    void clickGridRow(int row) {
        const QModelIndex idx = grid()->index(row, 0);
        lr->dbgKb->scrollTo(idx);
        QTest::mouseClick(lr->dbgKb->viewport(), Qt::LeftButton, {}, lr->dbgKb->visualRect(idx).center());
    }
    QColor gridText() const { return lr->dbgKb->palette().color(QPalette::Text); }
    QStringList messages() { return platform.dlg().texts(); }
};

// Scope 2 of a lesson.
inline void openLesson(Editor& e, const QString& textbook, const QString& lesson) {
    e.enterEditor();
    chooseFromCombo(e.lr->cboKt, textbook);
    e.clickScope(1);
    clickEntry(e.lr->lstK1, lesson);
    e.clickScope(2);
}

}  // namespace kovu::test
