#include "editor/EditorPage.h"

namespace kovu {

EditorPage::EditorPage(FormContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName("tasLr");
}

}  // namespace kovu
