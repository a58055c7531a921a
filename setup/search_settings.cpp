// The settings' targets and LocalBroadcast handed to discovery.
#include "setup/search_settings.h"

#include "setup/settings_model.h"

SearchTargets CurrentSearchTargets(const std::vector<std::string>* replacement)
{
    const SettingsModel settings = SettingsModel::ReadForCurrentProduct();
    SearchTargets targets;
    targets.localBroadcast = settings.Number(SettingId::LocalBroadcast) != 0;
    targets.entries = replacement != nullptr ? *replacement : settings.Texts(SettingId::DiscoveryTargets);
    return targets;
}
