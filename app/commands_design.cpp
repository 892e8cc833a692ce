// The design-matrix window, opened from the grid windows' "Design Matrix".
#include "app/mainwindow.h"

#include <QMenu>
#include <QUndoStack>

#include "app/keyboard.h"
#include "design/widgets/form2.h"

namespace tw {

void Form1::openDesignMatrix(const std::vector<int>& rowCells)
{
    if (!m_designWindow) {
        m_designWindow = new Form2([this]() -> Model& { return model(); }, m_platform.dialogs, this);
        applyKeyboard(m_designWindow, KeyboardOf::DesignWindow);
        connect(m_designWindow, &Form2::closedByCommand, this, [this] {
            menu_cons->menuAction()->setVisible(false);
            updateTitle();
        });
        connect(m_designWindow, &Form2::closedByCommand, this, &Form1::modelChanged);
        connect(m_designWindow->undoStack(), &QUndoStack::indexChanged, this, &Form1::updateTitle);
    }
    m_designWindow->build(rowCells);
}

bool Form1::designWindowHoldsEdits() const
{
    return m_designWindow && !m_designWindow->isHidden() && m_designWindow->table().hasEdits();
}

void Form1::discardDesignWindow()
{
    if (m_designWindow)
        m_designWindow->discard();
}

bool Form1::closeDesignWindow()
{
    return !m_designWindow || m_designWindow->isHidden() || m_designWindow->close();
}

bool Form1::writeBackDesignWindow()
{
    // A hidden window holds no rows: Close and the close box both empty the table.
    if (!m_designWindow || m_designWindow->isHidden())
        return true;
    m_designWindow->closeTable();
    return m_designWindow->isHidden();
}

}  // namespace tw
