// The update server's version.json and the date comparison: the first input byte says how
// long the wheel's version line is, the rest is the server's document.
#include "firmware/updatedocument.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t lineSize = std::min<std::size_t>(data[0], size - 1);
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(lineSize));
    const QByteArray body(reinterpret_cast<const char*>(data + 1 + lineSize), qsizetype(size - 1 - lineSize));

    const std::optional<UpdateDocument> document = UpdateDocument::fromJson(body);
    const QString serverVersion = document ? document->version : QString::fromUtf8(body);

    // Invalid exactly when one of the two dates does not read; otherwise the order of the dates.
    const QDateTime wheel = UpdateDocument::parseDate(UpdateDocument::deviceDateText(line));
    const QDateTime server = UpdateDocument::parseDate(serverVersion);
    const UpdateDocument::Comparison comparison = UpdateDocument::compare(line, serverVersion);
    if (!wheel.isValid() || !server.isValid())
        FUZZ_CHECK(comparison == UpdateDocument::Comparison::Invalid);
    else
        FUZZ_CHECK(comparison
                   == (server > wheel ? UpdateDocument::Comparison::Newer : UpdateDocument::Comparison::UpToDate));

    // An image always matches its own digest, in either case, and never an empty text.
    const QString digest = UpdateDocument::md5Hex(body);
    FUZZ_CHECK(digest.size() == 32);
    FUZZ_CHECK(UpdateDocument::digestMatches(body, digest));
    FUZZ_CHECK(UpdateDocument::digestMatches(body, digest.toUpper()));
    FUZZ_CHECK(!UpdateDocument::digestMatches(body, QString()));
    if (document)
        (void)UpdateDocument::digestMatches(body, document->md5);
    return 0;
}
