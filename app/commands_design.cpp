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

}  // namespace tw
