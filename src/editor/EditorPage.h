#pragma once

#include <QWidget>

#include "data/Shared.h"

namespace kovu {

// The page "录入生字单词" of the settings pages: the content editor.
class EditorPage : public QWidget {
    Q_OBJECT
public:
    EditorPage(FormContext& ctx, QWidget* parent);

private:
    FormContext& m_ctx;
};

}  // namespace kovu
