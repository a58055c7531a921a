// The check of the stored address and the search for the stored scanner, stepped side by side.
#include "setup/stored_follow.h"

#include "discovery/discovery_search.h"
#include "platform/diagnostics.h"
#include "setup/stored_connection.h"

void FollowStored(const StoredConnection& stored, int passes, const PassTiming& timing, FollowResult& result,
                  DiscoveryTransport& transport, const SearchTargets& targets)
{
    AddressCheck check(transport);
    DiscoverySearch search(transport);
    const std::int64_t startMs = transport.NowMs();
    check.Start(stored.address.c_str(), stored.protocol, stored.adapterName.c_str());
    for (int waited = 0; waited < kFollowHeadStartMs && check.Running(); waited += kFollowHeadStepMs) {
        transport.Pause(kFollowHeadStepMs);
        check.Step();
    }
    const auto answeredHere = [&] { return !check.Running() && AnsweredAsStored(stored, check.Result()); };
    if (!answeredHere()) search.Start(stored.protocol, passes, timing, targets);
    for (;;) {
        const bool checking = check.Running();
        if (answeredHere()) {
            search.Cancel();
            break;
        }
        if (!search.Running()) {
            if (!checking) break;
            if (StoredIndexIn(search.Devices(), stored.protocol, stored) >= 0 &&
                transport.NowMs() - startMs >= kCheckWaitMs) {
                Diagnostics::Event("follow", {{"address", stored.address}, {"decision", "found-elsewhere"}});
                check.Cancel();
                break;
            }
        }
        transport.Pause(kSearchStepMs);
        if (checking) check.Step();
        search.Step();
    }
    result.check = check.Result();
    result.found = search.Devices();
    result.searchResult = search.Result();
    result.skipped = search.Skipped();
}
