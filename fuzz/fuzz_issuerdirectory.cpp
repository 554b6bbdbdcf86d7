// The issuer directory file: whatever it reads must be saved and read back the same, and look-ups by
// symbol and by name must hold on any content.
#include "FuzzSupport.h"
#include "fetch/IssuerDirectory.h"

namespace {
bool same(const QList<IssuerDirectory::Issuer>& a, const QList<IssuerDirectory::Issuer>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const auto& x, const auto& y) {
        return x.symbol == y.symbol && x.english == y.english && x.arabic == y.arabic &&
               x.lastSeen == y.lastSeen;
    });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    FuzzSupport::writeScratch(IssuerDirectory::fileName, bytes);
    const IssuerDirectory directory(FuzzSupport::scratchFolder());
    const QList<IssuerDirectory::Issuer> issuers = directory.issuers();
    if (issuers.size() > IssuerDirectory::kMaxIssuers)
        FuzzSupport::fail("more issuers than kept");
    for (const IssuerDirectory::Issuer& issuer : issuers) {
        if (directory.find(issuer.symbol) != nullptr &&
            directory.displayName(issuer.symbol).isEmpty() != (issuer.english + issuer.arabic).isEmpty())
            FuzzSupport::fail("a display name does not follow the names");
    }
    directory.search(QString::fromUtf8(bytes.left(16)));
    if (!directory.save())
        FuzzSupport::fail("the directory could not be saved");
    if (!same(IssuerDirectory(FuzzSupport::scratchFolder()).issuers(), issuers))
        FuzzSupport::fail("the saved directory reads back otherwise");
    return 0;
}
