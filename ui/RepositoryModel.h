#pragma once
// The substitution grid `vleUnits` as a Qt model over the core repository: one row per line, find text and
// replace text as the two columns, and one blank row while the list is empty.
#include "repository/SubstitutionRepository.h"

#include <QAbstractTableModel>

class TRepositoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TRepositoryModel(qvc::TSubstitutionRepository &repository, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void SetCaption(int column, const QString &caption);
    QString Caption(int column) const { return column == 0 ? m_find : m_replace; }

    /// Call around any change made to the repository's lines outside this model.
    void BeginChange() { beginResetModel(); }
    void EndChange() { endResetModel(); }

    qvc::TSubstitutionRepository &Repository() { return m_repository; }

Q_SIGNALS:
    /// An edit was refused with this message (a "=" typed into a find cell).
    void EditRefused(const QString &message);

private:
    qvc::TSubstitutionRepository &m_repository;
    QString m_find = QStringLiteral("Localizar Texto");
    QString m_replace = QStringLiteral("Trocar Para");
};
