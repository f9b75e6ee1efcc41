#pragma once

#include <QDateTime>
#include <QHash>
#include <QRect>
#include <QString>

#include "data/Connection.h"
#include "data/Query.h"

class QAbstractButton;
class QWidget;

namespace kovu {

class Platform;

// The few values that several panels share.
struct SharedState {
    QString PracticeKind;      // 算术, 拼音 or 英语: the conditions panel last opened
    int CurrentPanel = 0;      // 0 none, 1 arithmetic, 2 pinyin, 3 English, 4 settings, 5 help
    int LayoutScale = 100;     // percent of the practice screen's design size
    int LayoutWidth = 640;     // window width while practising
    int CaptionAllowance = 8;  // added to the heights of the large panels
    QDateTime SessionStart;    // start of the latest practice; null until one has started
    QString ExeFolder;         // the folder of kovu.mdb and fzwj, with a trailing separator
    QString ProgramFolder;     // the folder of the program file itself, with a trailing separator
    // Design rectangles of the practice-screen controls, by control name.
    QHash<QString, QRect> Design;
};

// The connection and the data-access objects the form owns.
struct DataObjects {
    DataObjects()
        : aquSb(con1, "aquSb"),
          aquTp(con1, "aquTp"),
          aquFz(con1, "aquFz"),
          tabCj(con1, "tabCj"),
          aquCx(con1, "aquCx") {
        aquTp.setSql("SELECT * FROM yetp");
    }
    Connection con1;
    Query aquSb;
    Query aquTp;
    Query aquFz;
    Table tabCj;
    // Scratch reads (the settings row, a look-up): never the record set that a grid or a session
    // holds, so reading a setting cannot move or close what the screen shows.
    Query aquCx;
};

// What the form does for its panels: the status bar and the window's size and place. Sizes are the
// window's outer size, as the screens were designed.
class FormServices {
public:
    virtual ~FormServices() = default;
    virtual void setStatusText(int panel, const QString& text) = 0;
    virtual QString statusText(int panel) const = 0;
    virtual void setFormSize(int width, int height) = 0;
    virtual int formWidth() const = 0;
    virtual int formHeight() const = 0;
    virtual void moveForm(int left, int top) = 0;
    virtual void centreForm() = 0;
    virtual void closeForm() = 0;
    // The button that Enter presses unless another button has the focus.
    virtual void setDefaultButton(QAbstractButton* button) = 0;
    virtual QWidget* formWidget() = 0;
};

struct FormContext {
    Platform& platform;
    SharedState& state;
    DataObjects& db;
    FormServices& form;
};

}  // namespace kovu
