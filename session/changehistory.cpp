#include "session/changehistory.h"

namespace tw {

void ChangeHistory::push(ModelChange change, std::string description, const Model& model)
{
    m_steps.resize(m_done);
    if (m_steps.size() == kMaxSteps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back({std::move(change), std::move(description)});
    m_done = m_steps.size();
    m_left = model;
}

void ChangeHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_left = Model();
}

void ChangeHistory::forgetIfChanged(const Model& model)
{
    if (!m_steps.empty() && !(model == m_left))
        clear();
}

std::string ChangeHistory::undoDescription(const Model& model) const
{
    return current(model) && m_done > 0 ? m_steps[m_done - 1].description : std::string();
}

std::string ChangeHistory::redoDescription(const Model& model) const
{
    return current(model) && m_done < m_steps.size() ? m_steps[m_done].description : std::string();
}

bool ChangeHistory::undo(Model& model)
{
    forgetIfChanged(model);
    if (m_done == 0)
        return false;
    undoChange(model, m_steps[--m_done].change);
    m_left = model;
    return true;
}

bool ChangeHistory::redo(Model& model)
{
    forgetIfChanged(model);
    if (m_done == m_steps.size())
        return false;
    redoChange(model, m_steps[m_done++].change);
    m_left = model;
    return true;
}

}  // namespace tw
