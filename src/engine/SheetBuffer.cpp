#include "engine/SheetBuffer.h"

#include "engine/mdlRashet.h"

SheetBuffer::SheetBuffer(RacionSheet& sheet, SheetState start)
    : m_sheet(sheet), m_state(std::move(start)), m_tolerance(sheet.toleranceText()),
      m_surplus(sheet.vitaminSurplusText()), m_vitamins(sheet.vitaminsChecked())
{
}

void SheetBuffer::setWeightText(int i, const QString& text)
{
    // As a box does: an unchanged text changes nothing, a changed one runs
    // the change handling before the write returns.
    if (m_state.weights[std::size_t(i)] == text)
        return;
    m_state.weights[std::size_t(i)] = text;
    switch (mdlRashet::txtWes_Change(*this, std::int16_t(i))) {
    case mdlRashet::WeightChange::Recalculated:
        m_recalculated = true;
        break;
    case mdlRashet::WeightChange::NotANumber:
        mdlRashet::RashetSumWes(*this);
        m_notANumber = true;
        break;
    case mdlRashet::WeightChange::Replaced:
        break;
    }
}

std::optional<std::int16_t> SheetBuffer::groupLimit(const QString& group)
{
    auto it = m_limits.constFind(group);
    if (it == m_limits.constEnd())
        it = m_limits.insert(group, m_sheet.groupLimit(group));
    return *it;
}
