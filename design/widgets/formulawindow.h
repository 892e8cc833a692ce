#pragma once
// The model formulas window (frm_formulas): one formula field per kind of probability
// with a status line under it, and a preview of what the formulas make: the PIM of one
// group/stratum block of one kind, drawn as the grid windows draw it, and the design
// matrix. The preview follows the typing after a short pause; Apply changes the model
// through the session, Close leaves it. The fields are the session's formulas.

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "design/formulafields.h"
#include "pim/gridview.h"
#include "session/session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace tw {

class DesignPreviewModel;
class GridTableModel;

class FormulaWindow : public QDialog {
    Q_OBJECT

public:
    /// How long the preview waits after a keystroke before it follows, in milliseconds.
    static constexpr int kPause = 150;

    /// apply runs the session's Apply with the formulas read (the main window shows its
    /// outcome); the window reads the model and keeps its fields in the session.
    FormulaWindow(Session& session, std::function<Outcome(const FormulaSet&)> apply, QWidget* parent = nullptr);
    ~FormulaWindow() override;

    /// Shows the window with the session's formulas and a preview of the model as it is now.
    void showForModel();
    /// Reads the fields and redraws the preview now (the pause's end).
    void refresh();

    /// What the fields made at the last refresh.
    const FormulaFields& fields() const { return *m_fields; }
    QLineEdit* field(CellKind kind) const { return m_kinds[kindIndex(kind)].field; }
    QTableView* pimView() const { return m_pimView; }
    QTableView* designView() const { return m_designView; }
    GridTableModel* pimModel() const { return m_pimModel; }
    DesignPreviewModel* designModel() const { return m_designModel; }
    QTimer* pauseTimer() const { return m_pause; }

public slots:
    void apply();

protected:
    bool event(QEvent* event) override;

private:
    struct KindLine {
        QLineEdit* field = nullptr;
        QLabel* caret = nullptr;   // the formula and a caret under the fault
        QLabel* status = nullptr;  // parameters and columns, or what is wrong
    };

    QWidget* buildFields(QWidget* parent);
    QWidget* buildPreview(QWidget* parent);
    void fieldEdited(CellKind kind);
    std::array<std::string, kKindCount> texts() const;
    void showStatuses();
    void showPimKind();
    void showPimBlock();
    /// Scrolls the design matrix to the kind's columns unless they are in view.
    void revealKind(CellKind kind);
    /// Whether the model differs from the one the preview was made of.
    bool modelChanged() const;

    Session& m_session;
    std::function<Outcome(const FormulaSet&)> m_apply;
    std::shared_ptr<const FormulaFields> m_fields;
    std::vector<std::int16_t> m_seenPim;
    DesignMatrix m_seenDm;
    std::vector<GridWindowLayout> m_layouts;  // the blocks of the kind the PIM tab shows

    std::array<KindLine, kKindCount> m_kinds;
    QLabel* lbl_formulas = nullptr;  // the formulas together: what Apply would do, or why it cannot
    QPushButton* cmd_apply = nullptr;
    QPushButton* cmd_close = nullptr;
    QTabWidget* tab_preview = nullptr;
    QComboBox* cbo_kind = nullptr;
    QComboBox* cbo_block = nullptr;
    QTableView* m_pimView = nullptr;
    QTableView* m_designView = nullptr;
    GridTableModel* m_pimModel = nullptr;  // owned; replaced with each block shown
    DesignPreviewModel* m_designModel = nullptr;
    QTimer* m_pause = nullptr;
    CellKind m_editedKind = CellKind::Survival;
    bool m_revealPending = false;  // the design tab shows the edited kind once it is in front
};

}  // namespace tw
