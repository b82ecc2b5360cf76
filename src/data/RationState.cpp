#include "data/RationState.h"

#include <algorithm>

int RationState::feedCount() const
{
    return std::clamp(int(iMaxKorm) + 1, 0, kMaxFeeds);
}

RationState& ration()
{
    static RationState state;
    return state;
}

void resetRation()
{
    ration() = RationState();
}
