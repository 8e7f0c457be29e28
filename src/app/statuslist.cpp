#include "statuslist.h"

#include <QAbstractListModel>
#include <QStringList>

class StatusLineModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_lines.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return m_lines.value(index.row());
        return {};
    }
    void append(const QString& line) {
        beginInsertRows({}, int(m_lines.size()), int(m_lines.size()));
        m_lines.append(line);
        endInsertRows();
    }
    QString line(int row) const { return m_lines.value(row); }

private:
    QStringList m_lines;
};

StatusList::StatusList(QWidget* parent) : QListView(parent), m_model(new StatusLineModel(this)) {
    setModel(m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

StatusList::~StatusList() = default;

void StatusList::AddItem(const QString& line) { m_model->append(line); }

int StatusList::ListCount() const { return m_model->rowCount(); }

int StatusList::ListIndex() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void StatusList::setListIndex(int index) {
    const QModelIndex i = m_model->index(index);
    setCurrentIndex(i);
    scrollTo(i);
}

QString StatusList::List(int index) const { return m_model->line(index); }
