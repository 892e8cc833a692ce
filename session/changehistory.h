#pragma once
// The undo history of the PIM chart's changes to the model: one step per block command,
// drag or renumbering, undone and redone in order. A step fits only the model as the
// history left it, so whatever else changes the model (a grid window writing back, the
// design-matrix window, a save, which renumbers, a read) ends the history: it keeps the
// model as its last step left it and forgets every step once the model differs.

#include <cstddef>
#include <string>
#include <vector>

#include "model/model.h"
#include "pim/blockcommands.h"

namespace tw {

class ChangeHistory {
public:
    /// The most steps kept; the oldest go first.
    static constexpr std::size_t kMaxSteps = 100;

    /// Records a change just made to model; the steps undone before it are gone. Call
    /// forgetIfChanged before making the change, so that no step outlives another change.
    void push(ModelChange change, std::string description, const Model& model);
    /// Forgets every step.
    void clear();
    /// Forgets every step when model is not as the history left it.
    void forgetIfChanged(const Model& model);

    /// What undo would take back ("Constant: Survival g1 s1"); empty when nothing can be
    /// undone on model.
    std::string undoDescription(const Model& model) const;
    /// What redo would do again; empty when nothing can be redone on model.
    std::string redoDescription(const Model& model) const;

    /// Takes back the last step done; false (model untouched) when there is none or the
    /// model changed since.
    bool undo(Model& model);
    /// Does the last step undone again; false (model untouched) when there is none or
    /// the model changed since.
    bool redo(Model& model);

private:
    struct Step {
        ModelChange change;
        std::string description;
    };

    bool current(const Model& model) const { return !m_steps.empty() && model == m_left; }

    std::vector<Step> m_steps;
    std::size_t m_done = 0;  // steps [0, m_done) are done, the others undone
    Model m_left;            // the model as the history left it
};

}  // namespace tw
