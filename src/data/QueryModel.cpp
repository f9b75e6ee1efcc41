#include "data/QueryModel.h"

#include <QDateTime>

namespace kovu {

void QueryModel::setQuery(Query* q) {
    beginResetModel();
    if (m_conn) disconnect(m_conn);
    m_query = q;
    if (q)
        m_conn = connect(q, &Query::changed, this, [this] {
            beginResetModel();
            endResetModel();
        });
    endResetModel();
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_query || !m_query->isOpen()) return 0;
    return m_query->recordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_query || !m_query->isOpen()) return 0;
    return m_query->fieldCount();
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!m_query || !index.isValid()) return {};
    if (role != Qt::DisplayRole) return {};
    // A picture shows as a word; it is not read for that.
    if (m_query->isBlobCell(index.row(), index.column())) return QStringLiteral("(图片)");
    const QVariant v = m_query->valueAt(index.row(), index.column());
    if (!v.isValid() || v.isNull()) return {};
    switch (v.metaType().id()) {
        case QMetaType::QByteArray:
            return QStringLiteral("(图片)");
        case QMetaType::Bool:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::QDateTime:
            return v.toDateTime().toString("yyyy-M-d hh:mm:ss");
        default:
            return v;
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole || !m_query) return {};
    if (o == Qt::Horizontal) return m_query->fieldName(section);
    return section + 1;
}

}  // namespace kovu
