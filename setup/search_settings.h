// What a search asks besides the PC's own networks, as ScanLink's settings say for the current
// product: the one place where the settings model (LocalBroadcast, DiscoveryTargets) is turned into
// the discovery layer's SearchTargets, for the dialog, /list and /refresh alike.
#pragma once
#include <string>
#include <vector>

#include "discovery/discovery_search.h"

// Reads the settings for the current product (SettingsModel::ReadForCurrentProduct) and gives
// LocalBroadcast (0: no broadcast, no multicast) and the DiscoveryTargets entries, unexpanded (the
// search expands them at each Start). replacement (may be null): entries that replace
// DiscoveryTargets, whatever level sets it, for this search only ("/targets:").
SearchTargets CurrentSearchTargets(const std::vector<std::string>* replacement = nullptr);
