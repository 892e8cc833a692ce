#include "model/model.h"

#include <algorithm>
#include <cassert>

namespace tw {

std::int16_t fixedMarker(std::int16_t old)
{
    if (old < -2)
        return old;
    if (old > 2)
        return static_cast<std::int16_t>(-old);
    return -3;
}

Model startupModel()
{
    return Model{};
}

void createCellArrays(Model& model)
{
    const auto size = static_cast<std::size_t>(std::max(model.npar, 0)) + 1;
    model.pim.assign(size, 0);
    for (std::size_t i = 1; i < size; ++i)
        model.pim[i] = static_cast<std::int16_t>(i);
    model.initval.assign(size, 0.0);
    model.labels.reset(size);
}

void CellLabels::reset(std::size_t size)
{
    m_size = size;
    m_text = {};
}

const std::string& CellLabels::none()
{
    static const std::string empty;
    return empty;
}

void CellLabels::set(std::size_t i, std::string text)
{
    assert(i < m_size);
    if (m_text.empty()) {
        if (text.empty())
            return;
        m_text.resize(m_size);
    }
    m_text[i] = std::move(text);
}

std::vector<std::string> CellLabels::all() const
{
    std::vector<std::string> labels = m_text;
    labels.resize(m_size);
    return labels;
}

bool CellLabels::operator==(const CellLabels& other) const
{
    if (m_size != other.m_size)
        return false;
    for (std::size_t i = 0; i < m_size; ++i)
        if ((*this)[i] != other[i])
            return false;
    return true;
}

void computeDerivedSizes(Model& model)
{
    model.nint = model.nyrs - 1;
    model.nstrat2 = model.nstrat * model.nstrat;
}

int survivalBlockSize(const Model& model)
{
    return model.groups * model.nage * model.nstrat * model.nstrat * std::max(model.nyrs - 1, 0);
}

int transitionCell(const Model& m, int g, int a, int t, int s1, int s2)
{
    const int s = m.nstrat;
    const int nint = m.nyrs - 1;
    return s2 + s * (s1 - 1) + s * s * (t - 1) + s * s * nint * (a - 1) + s * s * nint * m.nage * (g - 1);
}

int openCaptureCell(const Model& m, int s, int a, int t)
{
    const int nint = m.nyrs - 1;
    return survivalBlockSize(m) + (s - 1) * m.nage * nint + (a - 1) * nint + t;
}

int closedCaptureCell(const Model& m, int s, int a, int t, int k)
{
    const int nint = std::max(m.nyrs - 1, 0);
    const int before = survivalBlockSize(m) + m.nstrat * m.nage * nint;
    return before + (s - 1) * m.nage * m.totsec + (a - 1) * m.totsec + m.cumsec[t - 1] + k;
}

long expectedCellCount(const Model& m)
{
    const long nint = std::max(m.nyrs - 1, 0);
    return static_cast<long>(m.groups) * m.nage * m.nstrat * m.nstrat * nint
        + static_cast<long>(m.nstrat) * m.nage * nint
        + static_cast<long>(m.nstrat) * m.nage * m.totsec;
}

int largestParameter(const Model& model)
{
    int largest = 0;
    for (std::size_t i = 1; i < model.pim.size(); ++i)
        largest = std::max<int>(largest, model.pim[i]);
    return largest;
}

}  // namespace tw
