#include "progress/ProgressPage.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include "data/Connection.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/ErrorHandler.h"
#include "platform/Platform.h"
#include "progress/Children.h"
#include "progress/Progress.h"
#include "progress/ProgressChart.h"

namespace kovu {

namespace {

// The subjects of cboKm with the kind letters of the score records.
const QStringList kSubjectNames = {QStringLiteral("算术"), QStringLiteral("拼音"), QStringLiteral("英语")};
const QStringList kSubjectLetters = {QStringLiteral("s"), QStringLiteral("p"), QStringLiteral("y")};

const QString kTitle = QStringLiteral("操作提示");
const QString kLastChild = QStringLiteral("至少要留一个练习者：最后一个练习者不能删除。");

// "2026-12-09T15:30:12" as "2026-12-09 15:30".
QString shownTime(const QString& iso) { return iso.left(16).replace('T', ' '); }

}  // namespace

ProgressPage::ProgressPage(FormContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName("tasXs");
    lstXs = makeControl<QListWidget>(this, "lstXs", 8, 8, 136, 226);
    lstXs->setAccessibleName(QStringLiteral("练习者"));
    edtXs = makeControl<QLineEdit>(this, "edtXs", 8, 242, 136, 24);
    edtXs->setAccessibleName(QStringLiteral("名字"));
    spbXt = makeControl<QPushButton>(this, "spbXt", 8, 274, 66, 26);
    spbXt->setText("添加(&A)");
    spbGm = makeControl<QPushButton>(this, "spbGm", 78, 274, 66, 26);
    spbGm->setText("改名(&R)");
    spbXs = makeControl<QPushButton>(this, "spbXs", 8, 306, 66, 26);
    spbXs->setText("删除(&D)");

    lblKm = makeControl<QLabel>(this, "lblKm", 156, 11, 40, 20);
    lblKm->setText("科目：");
    cboKm = makeControl<QComboBox>(this, "cboKm", 198, 8, 80, 24);
    cboKm->addItems(kSubjectNames);
    lblKm->setBuddy(cboKm);
    lblMy = makeControl<QLabel>(this, "lblMy", 156, 40, 456, 170);
    lblMy->setAlignment(Qt::AlignCenter);
    lblMy->setWordWrap(true);
    lblMy->hide();
    lblCt = makeControl<QLabel>(this, "lblCt", 156, 216, 200, 18);
    lblCt->setText("错题：");
    dbgCt = makeControl<QTableView>(this, "dbgCt", 156, 236, 456, 116);
    dbgCt->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgCt->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgCt->verticalHeader()->hide();
    dbgCt->verticalHeader()->setDefaultSectionSize(20);
    dbgCt->horizontalHeader()->setStretchLastSection(true);
    dbgCt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgCt->setWordWrap(false);
    dbgCt->setAccessibleName(QStringLiteral("错题"));
    m_mistakes = new QStandardItemModel(0, 5, this);
    m_mistakes->setHorizontalHeaderLabels({QStringLiteral("题目"), QStringLiteral("最后的回答"),
                                           QStringLiteral("正确答案"), QStringLiteral("答错次数"),
                                           QStringLiteral("最后答错")});
    dbgCt->setModel(m_mistakes);
    const int widths[] = {72, 84, 104, 62};
    for (int i = 0; i < 4; ++i) dbgCt->setColumnWidth(i, widths[i]);

    connect(lstXs, &QListWidget::currentRowChanged, this, guarded([this](int) { lstXsClick(); }));
    connect(cboKm, &QComboBox::activated, this, guarded([this](int) { cboKmClick(); }));
    connect(spbXt, &QPushButton::clicked, this, guarded([this] { spbXtClick(); }));
    connect(spbGm, &QPushButton::clicked, this, guarded([this] { spbGmClick(); }));
    connect(spbXs, &QPushButton::clicked, this, guarded([this] { spbXsClick(); }));
}

ProgressPage::~ProgressPage() { delete m_chart; }

void ProgressPage::pagSzChange(QWidget* page) {
    if (page != this) return;
    m_ctx.form.setStatusText(1, QStringLiteral(" 练习者与成绩"));
    listChildren(0);
}

void ProgressPage::listChildren(int id) {
    Connection& c = m_ctx.db.con1;
    if (id == 0) id = currentChild(c);
    const QSignalBlocker quiet(lstXs);
    lstXs->clear();
    int row = 0;
    for (const Child& child : kovu::children(c)) {
        auto* item = new QListWidgetItem(child.name, lstXs);
        item->setData(Qt::UserRole, child.id);
        if (child.id == id) row = lstXs->count() - 1;
    }
    lstXs->setCurrentRow(lstXs->count() > 0 ? row : -1);
    lstXsClick();
}

int ProgressPage::chosenChild() const {
    const QListWidgetItem* item = lstXs->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void ProgressPage::lstXsClick() {
    const QListWidgetItem* item = lstXs->currentItem();
    edtXs->setText(item ? item->text() : QString());
    spbGm->setEnabled(item != nullptr);
    spbXs->setEnabled(item != nullptr && lstXs->count() > 1);
    showProgress();
}

void ProgressPage::cboKmClick() { showProgress(); }

void ProgressPage::showProgress() {
    const int child = chosenChild();
    const QString subject = kSubjectLetters.value(cboKm->currentIndex(), QStringLiteral("s"));
    showChart(child, subject);
    showMistakes(child, subject);
}

void ProgressPage::showChart(int child, const QString& subject) {
    const QList<TestAverage> tests = lastTests(m_ctx.db.con1, child, subject);
    if (tests.isEmpty()) {
        if (m_chart) m_chart->widget()->hide();
        lblMy->setText(QStringLiteral("还没有测验成绩"));
        lblMy->show();
        return;
    }
    if (!m_chart) {
        QString why;
        if (CreateProgressChart create = chartFactory(&why)) {
            m_chart = create(this);
            m_chart->widget()->setGeometry(156, 36, 456, 178);
        } else {
            lblMy->setText(QStringLiteral("成绩图不能显示：%1").arg(why));
            lblMy->show();
            return;
        }
    }
    lblMy->hide();
    m_chart->showTests(tests, meanAverage(tests));
    m_chart->widget()->show();
}

void ProgressPage::showMistakes(int child, const QString& subject) {
    const QList<Mistake> all = mistakes(m_ctx.db.con1, child, subject);
    m_mistakes->setRowCount(0);
    for (const Mistake& m : all) {
        auto* count = new QStandardItem(QString::number(m.wrongCount));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_mistakes->appendRow({new QStandardItem(m.question), new QStandardItem(m.lastAnswer),
                               new QStandardItem(m.rightAnswers), count,
                               new QStandardItem(shownTime(m.lastTime))});
    }
    lblCt->setText(all.isEmpty() ? QStringLiteral("错题：没有")
                                 : QStringLiteral("错题：%1道").arg(all.size()));
}

void ProgressPage::tell(const QString& text) {
    m_ctx.platform.dialogs().message(kTitle, text, MsgIcon::Information, MsgButtons::Ok);
    edtXs->setFocus();
}

void ProgressPage::spbXtClick() {
    Connection& c = m_ctx.db.con1;
    const QString name = edtXs->text().trimmed();
    const QString problem = childNameProblem(c, name);
    if (!problem.isEmpty()) return tell(problem);
    const int id = addChild(c, name, m_ctx.platform.now().toString(Qt::ISODate));
    listChildren(id);
}

void ProgressPage::spbGmClick() {
    Connection& c = m_ctx.db.con1;
    const int id = chosenChild();
    if (id == 0) return;
    const QString name = edtXs->text().trimmed();
    const QString problem = childNameProblem(c, name, id);
    if (!problem.isEmpty()) return tell(problem);
    renameChild(c, id, name);
    listChildren(id);
}

void ProgressPage::spbXsClick() {
    Connection& c = m_ctx.db.con1;
    const int id = chosenChild();
    if (id == 0) return;
    if (lstXs->count() <= 1) return tell(kLastChild);
    const QString name = lstXs->currentItem()->text();
    if (m_ctx.platform.dialogs().message(QStringLiteral("删除练习者"),
                                         QStringLiteral("删除%1及其全部成绩记录？").arg(name),
                                         MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    if (!removeChild(c, id)) return tell(kLastChild);
    listChildren(0);
}

}  // namespace kovu
