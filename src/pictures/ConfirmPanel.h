#pragma once

#include <QFrame>

#include "data/Shared.h"

namespace kovu {

// panZc: the confirmation panel shown over the picture page for cropping and for shortcuts.
class ConfirmPanel : public QFrame {
    Q_OBJECT
public:
    ConfirmPanel(FormContext& ctx, QWidget* parent);

private:
    FormContext& m_ctx;
};

}  // namespace kovu
