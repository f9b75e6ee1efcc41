#pragma once

#include <QList>
#include <QString>

#include "progress/Progress.h"

class QWidget;

namespace kovu {

// The chart of a child's tests: a bar for each test's average with its date under it, and a line
// for the mean of those tests. It is drawn with Qt Charts, which lives in a module of its own
// (libkovu_chart.so) loaded the first time a chart is shown, so the program's start never loads
// Qt Charts and what it pulls in.
class ProgressChart {
public:
    virtual ~ProgressChart() = default;
    // The chart's widget, a child of the parent it was made with.
    virtual QWidget* widget() = 0;
    // Shows tests (oldest first) and their mean.
    virtual void showTests(const QList<TestAverage>& tests, int mean) = 0;
};

// The module's one entry: makes a chart under parent.
using CreateProgressChart = ProgressChart* (*)(QWidget* parent);
inline constexpr const char* kCreateProgressChartSymbol = "kovuCreateProgressChart";
inline constexpr const char* kChartModuleName = "libkovu_chart.so";

// The chart module's factory, loaded on first call from beside the program or from the installed
// program's module folder (../lib/kovu/modules). Null when the module cannot be loaded; why then says why.
CreateProgressChart chartFactory(QString* why = nullptr);

}  // namespace kovu
