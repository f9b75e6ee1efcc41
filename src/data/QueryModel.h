#pragma once

#include <QAbstractTableModel>
#include <QPointer>

#include "data/Query.h"

namespace kovu {

// A read-only table model over a query's rows, for the grids. It follows the query: opening,
// closing, posting or deleting resets the view. Blob columns show as "(图片)".
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setQuery(Query* q);
    Query* query() const { return m_query; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

private:
    QPointer<Query> m_query;
    QMetaObject::Connection m_conn;
};

}  // namespace kovu
