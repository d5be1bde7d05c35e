// The seven grids of a relay page, in the order the page lays them out.
#pragma once

#include <vector>

#include "pages/RelayPage.h"

inline std::vector<TDrawGrid*> RelayPageGrids(const TRelayPage& page) {
    return {page.ZoneGrid,
            page.PartitionGrid,
            page.ConditionGrid(rcPanelLink),
            page.ConditionGrid(rcJournal),
            page.ConditionGrid(rcPower),
            page.ConditionGrid(rcFire),
            page.ConditionGrid(rcDelay)};
}
