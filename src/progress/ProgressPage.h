#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace kovu {

struct FormContext;
class ProgressChart;

// The settings tab "练习者与成绩": the children (add, rename, delete), and for the child chosen in
// the list the chart of their tests in a subject and their current mistakes in it.
class ProgressPage : public QWidget {
    Q_OBJECT
public:
    ProgressPage(FormContext& ctx, QWidget* parent);
    ~ProgressPage() override;

    // The settings pages switched to page: this one reads the children and shows the current one.
    void pagSzChange(QWidget* page);

    // Handlers.
    void lstXsClick();
    void cboKmClick();
    void spbXtClick();
    void spbGmClick();
    void spbXsClick();

    // The chart, once one was shown (null before, or when its module cannot be loaded).
    ProgressChart* chart() const { return m_chart; }
    // The page's two views of a child's subject, each read from the answer log.
    void showChart(int child, const QString& subject);
    void showMistakes(int child, const QString& subject);

    QListWidget* lstXs;
    QLineEdit* edtXs;
    QPushButton* spbXt;
    QPushButton* spbGm;
    QPushButton* spbXs;
    QLabel* lblKm;
    QComboBox* cboKm;
    QLabel* lblMy;  // "还没有测验成绩", or why the chart cannot be shown
    QLabel* lblCt;
    QTableView* dbgCt;

private:
    // The list read again, standing on the child id (the current child when 0 or gone).
    void listChildren(int id);
    int chosenChild() const;
    // The chart and the mistakes of the chosen child in the chosen subject.
    void showProgress();
    void tell(const QString& text);

    FormContext& m_ctx;
    ProgressChart* m_chart = nullptr;
    QStandardItemModel* m_mistakes;
};

}  // namespace kovu
