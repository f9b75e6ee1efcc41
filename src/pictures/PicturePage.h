#pragma once

#include <QPushButton>
#include <QWidget>

#include "data/Shared.h"

namespace kovu {

// The page "图片及压缩数据库" (tasTp) of the settings pages: screen and example pictures,
// compaction and start shortcuts.
class PicturePage : public QWidget {
    Q_OBJECT
public:
    PicturePage(FormContext& ctx, QWidget* parent);

    // The buttons of the database and shortcut tools; their handlers belong to the tools, which the
    // form connects.
    QPushButton* spbYs;
    QPushButton* spbKj;

private:
    FormContext& m_ctx;
};

}  // namespace kovu
