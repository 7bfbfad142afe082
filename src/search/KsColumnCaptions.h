#pragma once
// A result list seen with captions of its own: the rows and columns of the
// list it stands for, unchanged, under the column headers a window gives.

#include <QIdentityProxyModel>
#include <QStringList>

namespace ks {

class KsColumnCaptions : public QIdentityProxyModel {
public:
    KsColumnCaptions(QAbstractItemModel *source, QStringList captions, QObject *parent)
        : QIdentityProxyModel(parent)
        , m_captions(std::move(captions))
    {
        setSourceModel(source);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_captions.size())
            return m_captions.at(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

private:
    QStringList m_captions;
};

} // namespace ks
