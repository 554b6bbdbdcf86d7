// The appcast, fetched from the update server: parsing and choosing the newest release. Comparing
// versions must be an order: antisymmetric, and the newest item not older than any other.
#include "FuzzSupport.h"
#include "update/Appcast.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto items = Appcast::parse(FuzzSupport::bytes(data, size));
    if (!items)
        return 0;
    const AppcastItem* newest = Appcast::newest(*items);
    if (!newest)
        FuzzSupport::fail("a parsed appcast has no newest item");
    for (const AppcastItem& item : *items) {
        if (Appcast::compare(item, *newest) > 0)
            FuzzSupport::fail("an item is newer than the newest");
        if (Appcast::compareVersions(item.version, newest->version) !=
            -Appcast::compareVersions(newest->version, item.version))
            FuzzSupport::fail("version comparison is not antisymmetric");
        Appcast::isNewer(item, QStringLiteral("1.2.3"), QStringLiteral("123"));
    }
    return 0;
}
