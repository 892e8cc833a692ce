// The fixed-parameter list editor: List1 over the session's list, the edit field Text2
// and its buttons. The list's rules live in FixedList; each change of the entries is one
// step on the list's undo stack.
#include "app/mainwindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/fixedlistmodel.h"

namespace tw {

namespace {

QPushButton* addButton(QHBoxLayout* row, QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

}  // namespace

QWidget* Form1::buildListEditor(QWidget* parent)
{
    auto* editor = new QWidget(parent);
    auto* column = new QVBoxLayout(editor);
    column->setContentsMargins(0, 0, 0, 0);
    Text2 = new QLineEdit(editor);
    Text2->setObjectName("Text2");
    column->addWidget(Text2);
    m_fixedListModel = new FixedListModel(m_session, this);
    m_listUndo = new QUndoStack(this);
    List1 = new QListView(editor);
    List1->setObjectName("List1");
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setModel(m_fixedListModel);
    column->addWidget(List1, 1);
    auto* buttons = new QHBoxLayout;
    cmd_add = addButton(buttons, editor, "cmd_add", "Add");
    cmd_delete = addButton(buttons, editor, "cmd_delete", "Delete");
    cmd_modify = addButton(buttons, editor, "cmd_modify", "Modify");
    cmd_done = addButton(buttons, editor, "cmd_done", "Done");
    column->addLayout(buttons);

    // The list shows only once it has a use (the fixed parameters): an empty box at
    // start-up would be the largest thing in the window.
    showListEditor(false);

    connect(List1, &QListView::doubleClicked, this, &Form1::listDoubleClicked);
    // Only the user's typing changes an entry; the program setting the field does not.
    connect(Text2, &QLineEdit::textEdited, this, &Form1::listTextEdited);
    connect(cmd_add, &QPushButton::clicked, this, &Form1::listAdd);
    connect(cmd_delete, &QPushButton::clicked, this, &Form1::listDelete);
    connect(cmd_modify, &QPushButton::clicked, this, &Form1::listModify);
    connect(cmd_done, &QPushButton::clicked, this, &Form1::listDone);
    return editor;
}

void Form1::showListEditor(bool shown)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Text2, List1, cmd_add, cmd_delete, cmd_modify, cmd_done})
        w->setVisible(shown);
}

int Form1::selectedListRow() const
{
    const QModelIndex current = List1->currentIndex();
    return current.isValid() && List1->selectionModel()->isSelected(current) ? current.row() : -1;
}

void Form1::showListField()
{
    const QString field = QString::fromStdString(m_session.fixedList().field());
    if (Text2->text() != field)
        Text2->setText(field);
}

void Form1::editFixedList(const std::function<void(FixedList&)>& command, const QString& description,
                          ListStep step)
{
    FixedList after = m_session.fixedList();
    command(after);
    ListChange change = listChange(m_session.fixedList().entries(), after.entries());
    if (change.empty()) {
        m_fixedListModel->setList(std::move(after));  // the field or its binding only
    } else {
        const auto kind = step == ListStep::Typing ? FixedListCommand::Kind::Typing : FixedListCommand::Kind::Other;
        m_listUndo->push(new FixedListCommand(m_fixedListModel, std::move(change), std::move(after), kind, description));
    }
    showListField();
}

void Form1::fixedListReplaced()
{
    m_fixedListModel->reload();
    m_listUndo->clear();
}

void Form1::showFixedList()
{
    showListEditor(true);
    editFixedList([](FixedList& list) { list.show(); }, "Fixed parms");
}

void Form1::listDoubleClicked()
{
    showListEditor(true);
    listModify();
}

void Form1::listModify()
{
    const int row = selectedListRow();
    editFixedList([row](FixedList& list) { list.bind(row); }, "Modify");
}

void Form1::listTextEdited(const QString& text)
{
    editFixedList([&text](FixedList& list) { list.type(text.toStdString()); }, "Typing", ListStep::Typing);
}

void Form1::listAdd()
{
    editFixedList([](FixedList& list) { list.add(); }, "Add");
}

void Form1::listDelete()
{
    const int row = selectedListRow();
    if (row < 0)
        return;
    editFixedList([row](FixedList& list) { list.remove(row); }, "Delete");
    List1->setCurrentIndex({});
    List1->clearSelection();
}

void Form1::listDone()
{
    editFixedList([](FixedList& list) { list.done(); }, "Done");
    // A refused entry is named and the editor stays open to mend it.
    if (!run([this](FrontEnd&) { return m_session.applyFixedList(); }).done())
        return;
    showListEditor(false);
}

}  // namespace tw
