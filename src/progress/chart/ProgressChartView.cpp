// The progress chart drawn with Qt Charts; built as the module libkovu_chart.so.
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "progress/ProgressChart.h"

namespace kovu {
namespace {

class ProgressChartView : public ProgressChart {
public:
    explicit ProgressChartView(QWidget* parent) : m_view(new QChartView(parent)) {
        m_view->setObjectName("chtCj");
        m_view->setRenderHint(QPainter::Antialiasing);
        m_view->setAccessibleName(QStringLiteral("测验成绩图"));
        auto* chart = new QChart;
        chart->setMargins(QMargins(2, 2, 2, 2));
        chart->setBackgroundRoundness(0);
        chart->legend()->setAlignment(Qt::AlignTop);
        QFont legend = chart->legend()->font();
        legend.setPointSize(8);
        chart->legend()->setFont(legend);
        m_view->setChart(chart);
    }

    QWidget* widget() override { return m_view; }

    void showTests(const QList<TestAverage>& tests, int mean) override {
        QChart* chart = m_view->chart();
        chart->removeAllSeries();
        for (QAbstractAxis* a : chart->axes()) {
            chart->removeAxis(a);
            delete a;
        }
        auto* bars = new QBarSeries;
        auto* averages = new QBarSet(QStringLiteral("每次测验的平均分"));
        averages->setColor(QColor(70, 130, 200));
        QStringList days;
        int lowest = std::min(0, mean);
        for (const TestAverage& t : tests) {
            lowest = std::min(lowest, t.average);
            *averages << t.average;
            // Categories must differ: a second test on one day gets invisible marks after its date.
            QString day = t.day.toString(QStringLiteral("MM-dd"));
            while (days.contains(day)) day += QChar(0x200B);
            days << day;
        }
        bars->append(averages);
        bars->setBarWidth(0.7);
        chart->addSeries(bars);
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("平均：%1").arg(mean));
        line->setPen(QPen(QColor(220, 60, 40), 2));
        line->append(-0.5, mean);
        line->append(tests.size() - 0.5, mean);
        chart->addSeries(line);

        auto* x = new QBarCategoryAxis;
        x->append(days);
        x->setLabelsAngle(tests.size() > 10 ? -90 : 0);
        x->setTruncateLabels(false);
        QFont small = x->labelsFont();
        small.setPointSize(7);
        x->setLabelsFont(small);
        chart->addAxis(x, Qt::AlignBottom);
        auto* y = new QValueAxis;
        y->setRange(lowest, 100);
        y->setTickCount(3);
        y->setLabelFormat(QStringLiteral("%d"));
        y->setLabelsFont(small);
        chart->addAxis(y, Qt::AlignLeft);
        for (QAbstractSeries* s : chart->series()) {
            s->attachAxis(x);
            s->attachAxis(y);
        }
    }

private:
    QChartView* m_view;
};

}  // namespace
}  // namespace kovu

extern "C" Q_DECL_EXPORT kovu::ProgressChart* kovuCreateProgressChart(QWidget* parent) {
    return new kovu::ProgressChartView(parent);
}
