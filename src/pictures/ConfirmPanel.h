#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "data/Shared.h"
#include "platform/Controls.h"

namespace kovu {

// panZc: the confirmation panel shown over the picture page, in crop mode (the picture page's
// cropping) and in shortcut mode (choosing where a start shortcut goes). Its three buttons act by
// their current caption; the owner of each mode receives the captions that belong to it.
class ConfirmPanel : public QFrame {
    Q_OBJECT
public:
    ConfirmPanel(FormContext& ctx, QWidget* parent);

    // Captions of the shortcut mode; every other caption belongs to the crop mode.
    static const QString kShortcutConfirm;  // "确 定(&K)"
    static const QString kShortcutCancel;   // "取 消(&X)"

    // The handlers of the three buttons (butZc runs spbQzClick): each passes its caption on to the
    // mode it belongs to.
    void spbKsClick();
    void spbZbClick();
    void spbQzClick();

    // Set by the owners of the two modes; they get the caption of the pressed button.
    std::function<void(const QString& caption)> cropAction;
    std::function<void(const QString& caption)> shortcutAction;

    QLabel* lblZ1;
    QLabel* lblZ0;
    TImage* Image2;
    QLabel* lblZc;
    QPushButton* spbKs;
    QPushButton* spbZb;
    QPushButton* spbQz;
    QPushButton* butZc;
    QGroupBox* grbCj;
    QRadioButton* rabCc;
    QRadioButton* rabKg;
    TRadioGroup* rgpKj;

private:
    void dispatch(QPushButton* button);

    FormContext& m_ctx;
};

}  // namespace kovu
