#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/OnDemand.h"
#include "data/Shared.h"
#include "platform/Controls.h"
#include "platform/Platform.h"

class QTabWidget;

namespace kovu {

class ConditionsPanel;
class PracticePanel;
class EditorPage;
class ProgressPage;
class PicturePage;
class ConfirmPanel;
class HelpPanel;
class StartShortcuts;
class AnswerLog;
class MistakeBook;

inline const QString kApplicationTitle = QStringLiteral("Kovu V2.2.0");
inline const QString kWindowCaption = QStringLiteral("Brelmont软件工作室 Kovu软件 V2.2.0");
inline const QString kOpenFailedText =
    QStringLiteral("数据库密码错误，不能修改数据库密码。否则不能继续使用！");
inline const QString kOpenFailedTitle = QStringLiteral("运行错误！");

// The main form: the button bar, the front picture, the status bar with its clock, and every work
// panel shown in place. It owns the connection and the data-access objects and wires the panels.
class TfrmKovu : public QWidget, public FormServices {
    Q_OBJECT
public:
    // Constructing the form runs FormCreate. exeFolder is where kovu.mdb and fzwj live, and the
    // program that a start shortcut launches lies there too.
    TfrmKovu(Platform& platform, const QString& exeFolder, QWidget* parent = nullptr);
    // An installed program: its data in dataFolder, the program itself in programFolder.
    TfrmKovu(Platform& platform, const QString& dataFolder, const QString& programFolder,
             QWidget* parent = nullptr);
    ~TfrmKovu() override;
    // Starts opening the database of exeFolder on a worker thread (Connection::openAhead); the form
    // constructed on that folder takes the connection over at the step of start-up that opens it.
    static void openDatabaseAhead(const QString& exeFolder);
    // The work that decodes the main screen's own pictures, to be run on a worker thread before the
    // form is constructed (formPicturesDecoder).
    static std::function<void()> mainScreenPicturesDecoder();

    // FormServices
    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const override;
    void setFormSize(int width, int height) override;
    int formWidth() const override { return m_width; }
    int formHeight() const override { return m_height; }
    void moveForm(int left, int top) override;
    void centreForm() override;
    void closeForm() override;
    void setDefaultButton(QAbstractButton* button) override { m_defaultButton = button; }
    QWidget* formWidget() override { return this; }

    // The frame the window adds to its client area in the design numbers.
    static constexpr int kFrameWidth = 6;
    static constexpr int kFrameHeight = 26;

    void FormCreate();
    void RecordDesignGeometry();
    void SwitchPanel();
    void FormResize();
    void tmr1Timer();
    void chkPmClick();
    void imgGbClick();
    void imgSsClick();
    void imgPyClick();
    void imgYyClick();
    void imgSzClick();
    void imgBzClick();

    // Whether start-up opened the database and ran to its end.
    bool startedUp() const { return m_startedUp; }

    SharedState& state() { return m_state; }
    DataObjects& db() { return m_db; }
    FormContext& context() { return m_ctx; }
    Platform& platform() { return m_platform; }

    // Main-screen controls.
    TBevel* bveAn;
    TImage* imgBt;
    TImage* imgSs;
    TImage* imgPy;
    TImage* imgYy;
    TImage* imgSz;
    TImage* imgBz;
    TImage* imgGb;
    TBevel* bev1;
    TImage* imgFm;
    TStatusBar* sta1;
    QTimer* tmr1;

    // The work panels, each built the first time it is used (the main screen shows none of them):
    // the conditions with the practice screen, the settings pages with their confirmation panel,
    // and the manual.
    OnDemand<ConditionsPanel> panTj;
    OnDemand<PracticePanel> pan1;
    OnDemand<QTabWidget> pagSz;
    OnDemand<PicturePage> tasTp;
    OnDemand<EditorPage> tasLr;
    OnDemand<ProgressPage> tasXs;
    OnDemand<HelpPanel> panBz;
    OnDemand<ConfirmPanel> panZc;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMainScreen();
    void buildPracticePanels();
    void buildSettingsPages();
    void buildHelpPanel();
    // A panel built after start-up takes its place among the others as if it had been built with
    // them: above the ones built before it in the design order, below the later ones and the
    // status bar.
    void stackInDesignOrder(QWidget* panel);
    // "自动充满屏幕": the check box's state, kept here until the conditions panel exists.
    bool fitToScreen() const;
    void setFitToScreen(bool on);
    void togglePanel(int panel);
    void applyFormSize();

    Platform& m_platform;
    SharedState m_state;
    DataObjects m_db;
    FormContext m_ctx;
    int m_width = 800;
    int m_height = 600;
    bool m_startedUp = false;
    bool m_closing = false;
    bool m_fitToScreen = false;
    bool m_fitFixed = false;
    std::unique_ptr<StartShortcuts> m_startShortcuts;
    // The current child's answer log, which the practice screen writes each judged test answer to.
    std::unique_ptr<AnswerLog> m_answerLog;
    std::unique_ptr<MistakeBook> m_mistakeBook;
    QPointer<QAbstractButton> m_defaultButton;
};

}  // namespace kovu
