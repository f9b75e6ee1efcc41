#include "progress/MistakeBook.h"

#include "progress/Children.h"
#include "progress/Progress.h"

namespace kovu {

QString CurrentChildMistakes::childName() { return kovu::childName(m_con, currentChild(m_con)); }

QStringList CurrentChildMistakes::mistakeItems(const QString& subject) {
    return kovu::mistakeItems(m_con, currentChild(m_con), subject);
}

int CurrentChildMistakes::chooseMistakes(const QString& subject) {
    return kovu::chooseMistakes(m_con, currentChild(m_con), subject);
}

}  // namespace kovu
