// The model formulas window, opened from "Pim ▸ Model formulas…": its Apply runs the
// session's command as the menus run theirs.
#include "app/mainwindow.h"

#include "design/widgets/formulawindow.h"

namespace tw {

void Form1::modelFormulas()
{
    // The grid windows and the design-matrix window write their edits back and close
    // first: the preview starts from the model as they leave it, and none of them can
    // later write stale numbers over what Apply makes.
    const Outcome closed = run([](FrontEnd& front) {
        Outcome outcome;
        outcome.cancelled = !front.writeBackEdits();
        return outcome;
    });
    if (!closed.done())
        return;
    if (!m_formulaWindow) {
        m_formulaWindow = new FormulaWindow(
            m_session,
            [this](const FormulaSet& formulas) {
                return run([this, &formulas](FrontEnd& front) { return m_session.applyFormulas(front, formulas); });
            },
            this);
    }
    m_formulaWindow->showForModel();
}

}  // namespace tw
