#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "data/QueryModel.h"
#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

class ConfirmPanel;

// A frame drawn with a dotted pen over the working image: the rubber band of a manual cut.
class TDottedShape : public QWidget {
    Q_OBJECT
public:
    explicit TDottedShape(QWidget* parent = nullptr);
    void setPenColor(const QColor& c) {
        m_pen = c;
        update();
    }
    QColor penColor() const { return m_pen; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_pen = Qt::black;
};

// The page "图片及压缩数据库" (tasTp) of the settings pages: the screen pictures of yetp and the
// example pictures of yetl are replaced from BMP or JPEG files, measured against the size and
// proportion their place needs, cut in the confirmation panel (crop mode) and stored as JPEG.
// The page also carries the buttons of the database and shortcut tools.
//
// Every write goes to the current row of the shared query aquTp, which the page points at the rows
// of the current choice; it points it there again whenever the page is shown again.
class PicturePage : public QWidget {
    Q_OBJECT
public:
    PicturePage(FormContext& ctx, QWidget* parent);

    // The confirmation panel of the form, whose crop mode this page drives.
    void attachConfirmPanel(ConfirmPanel* panel);

    // The page's part of opening the settings screen: the choices, the preview object, choice 1.
    void OpenPicturePage();
    // The settings pages switched to page: the picture page addresses its choice again; leaving
    // it closes an open crop panel.
    void pagSzChange(QWidget* page);

    // Handlers.
    void cboZpClick();
    void dbgZpCellClick(const QModelIndex& index);
    void spbDkClick();
    void spbCxClick();
    void spbTtClick();
    void spbStClick();
    void edtThChange();
    void edtTmChange();
    void spbLcClick();
    void rabCcClick();
    void imgZpMouseDown(QPoint p);
    void imgZpMouseMove(QPoint p);
    void imgZpMouseUp(QPoint p);

    // Routines shared with the crop panel.
    void LoadSourcePicture(const QString& fileName);
    void FitWorkingImage(float r);
    // mode: '0' store without cutting, 'z' top left, 'j' centre, 's' the dragged rectangle.
    void ApplyCrop(char mode);

    // The crop panel's buttons, by caption.
    void cropAction(const QString& caption);

    int choice() const;
    bool cropPanelOpen() const;

    // State shared by the page and the crop panel.
    float RequiredAspect = 1.3333f;
    float SourceAspect = 1.0f;
    double ViewScale = 1.0;
    bool CropDragging = false;
    QPoint CropStart;
    QSize CropSize;

    QComboBox* cboZp;
    QLabel* lblGg;
    QLabel* lblSk;
    QLabel* lblT1;
    QLineEdit* edtTh;
    QLabel* lblTm;
    QLineEdit* edtTm;
    TImage* imgZ1;
    QCheckBox* chkYd;
    QTableView* dbgZp;
    TImage* imgZp;
    QPushButton* spbDk;
    QPushButton* spbTt;
    QPushButton* spbSt;
    QPushButton* spbCx;
    QPushButton* spbLc;
    QLabel* Label9;
    TShape* Shape1;
    TShape* Shape2;
    TBevel* Bevel6;
    TDottedShape* shpXz;
    TShape* shpBk;

    // The buttons of the database and shortcut tools; their handlers belong to the tools, which the
    // form connects.
    QPushButton* spbYs;
    QPushButton* spbKj;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void addressChoice(int n, int row);
    // Points aquTp at the rows of the current choice again unless it still holds them.
    void ensureAddressed();
    bool addressed() const;
    void resetWorkingImage();
    void showPreview();
    // Puts the grid's current row on row without running the row handler.
    void showGridRow(int row);
    void showSizeLabel();
    QString promptFor(const QString& name) const;
    void setEditable(bool on);
    void endAddition();
    void closeCropPanel();
    void openCropPanel(const QString& title, const QString& message, bool matches, bool tooSmall);
    void showConfirmState();
    void storeWorkingPicture(char mode, int cutWidth);
    QString dragStatus() const;
    bool additionPending() const;
    // The boxes, preview and prompt of the example row the query stands on (or empty ones).
    void showExampleRow();

    FormContext& m_ctx;
    ConfirmPanel* m_panel = nullptr;
    QueryModel* m_model;
    QString m_shortName;
    QString m_addressedSql;
    QVariantList m_addressedBinds;
    bool m_opened = false;
    // The addressed row of aquTp, kept apart since other pages reopen the query.
    int m_row = -1;
    bool m_syncingGrid = false;
};

}  // namespace kovu
