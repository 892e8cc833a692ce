// The design-matrix window, opened from the grid windows' "Design Matrix".
#include "app/mainwindow.h"

#include <QMenu>
#include <QPointer>

#include "design/widgets/form2.h"

namespace tw {

struct Form1::DesignState {
    QPointer<Form2> form;  // created at the first build, then only hidden and shown
};

void Form1::openDesignMatrix(const std::vector<int>& rowCells)
{
    if (!m_design)
        m_design = std::make_shared<DesignState>();
    if (!m_design->form) {
        auto* form = new Form2([this]() -> Model& { return model(); }, platform().dialogs, this);
        connect(form, &Form2::closedByCommand, this, [this] { menu_cons->menuAction()->setVisible(false); });
        m_design->form = form;
    }
    m_design->form->build(rowCells);
}

bool Form1::designWindowHoldsEdits() const
{
    return m_design && m_design->form && !m_design->form->isHidden() && m_design->form->table().hasEdits();
}

void Form1::discardDesignWindow()
{
    if (m_design && m_design->form)
        m_design->form->discard();
}

bool Form1::writeBackDesignWindow()
{
    // A hidden window holds no rows: Close and the close box both empty the table.
    if (!m_design || !m_design->form || m_design->form->isHidden())
        return true;
    m_design->form->closeTable();
    return m_design->form->isHidden();
}

}  // namespace tw
