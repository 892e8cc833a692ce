#pragma once
// The item model of the fixed-parameter list (List1): a thin adapter that shows the
// session's list, one row per entry, and changes it with precise change signals. Every
// change of the entries goes through setList, so undo and redo take the same road as
// the editor's commands.

#include <QAbstractListModel>
#include <QUndoCommand>
#include <optional>

#include "session/session.h"

namespace tw {

class FixedListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FixedListModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    /// Gives the session the list an editor command left, signalling the changed rows.
    void setList(FixedList list);
    /// Applies one side of a change to the entries (undo and redo).
    void apply(const ListChange& change, ChangeSide side);
    /// The program replaced the list (a read, the per-period runs): every row may differ.
    void reload();

private:
    Session& m_session;
};

/// One step of the list editor on the undo stack. Pushed after the command computed the
/// list it leaves: the first redo gives the session that list (field and binding
/// included); later undos and redos apply the change of the entries. Typing into one
/// entry folds into one step.
class FixedListCommand : public QUndoCommand {
public:
    enum class Kind { Typing, Other };
    FixedListCommand(FixedListModel* model, ListChange change, FixedList after, Kind kind, const QString& text);

    void redo() override;
    void undo() override;
    int id() const override { return m_kind == Kind::Typing ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    FixedListModel* m_model;
    ListChange m_change;
    std::optional<FixedList> m_firstAfter;
    Kind m_kind;
};

}  // namespace tw
