#include "app/fixedlistmodel.h"

#include <algorithm>

namespace tw {

FixedListModel::FixedListModel(Session& session, QObject* parent) : QAbstractListModel(parent), m_session(session) {}

int FixedListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_session.fixedList().entries().size());
}

QVariant FixedListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return QString::fromStdString(m_session.fixedList().entries()[static_cast<std::size_t>(index.row())]);
}

void FixedListModel::setList(FixedList list)
{
    const std::vector<std::string>& entries = m_session.fixedList().entries();
    const ListChange change = listChange(entries, list.entries());
    const int first = change.first;
    const int before = static_cast<int>(change.before.size());
    const int after = static_cast<int>(change.after.size());
    const int common = std::min(before, after);
    // Rows that stay are changed first, so that the rows inserted or removed after them
    // meet neighbours that already show their final texts.
    if (common > 0) {
        std::vector<std::string> replaced = entries;
        std::copy_n(change.after.begin(), common, replaced.begin() + first);
        FixedList middle = m_session.fixedList();
        middle.replaceEntries(std::move(replaced));
        m_session.setFixedList(std::move(middle));
        emit dataChanged(index(first), index(first + common - 1), {Qt::DisplayRole, Qt::EditRole});
    }
    if (after > before) {
        beginInsertRows({}, first + common, first + after - 1);
        m_session.setFixedList(std::move(list));
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows({}, first + common, first + before - 1);
        m_session.setFixedList(std::move(list));
        endRemoveRows();
    } else {
        m_session.setFixedList(std::move(list));
    }
}

void FixedListModel::apply(const ListChange& change, ChangeSide side)
{
    FixedList list = m_session.fixedList();
    list.apply(change, side);
    setList(std::move(list));
}

void FixedListModel::reload()
{
    beginResetModel();
    endResetModel();
}

FixedListCommand::FixedListCommand(FixedListModel* model, ListChange change, FixedList after, Kind kind,
                                   const QString& text)
    : QUndoCommand(text), m_model(model), m_change(std::move(change)), m_firstAfter(std::move(after)), m_kind(kind)
{
}

void FixedListCommand::redo()
{
    if (m_firstAfter) {
        m_model->setList(std::move(*m_firstAfter));
        m_firstAfter.reset();
        return;
    }
    m_model->apply(m_change, ChangeSide::After);
}

void FixedListCommand::undo()
{
    m_model->apply(m_change, ChangeSide::Before);
}

bool FixedListCommand::mergeWith(const QUndoCommand* other)
{
    const auto* typed = static_cast<const FixedListCommand*>(other);
    const bool sameEntry = m_change.first == typed->m_change.first && m_change.after.size() == 1
        && typed->m_change.before.size() == 1 && typed->m_change.after.size() == 1 && m_change.before.size() == 1;
    if (!sameEntry)
        return false;
    m_change.after = typed->m_change.after;
    setObsolete(m_change.empty());
    return true;
}

}  // namespace tw
