// tarvoctl's profile loader: any file content. A profile that loads must write out and load
// again to the same document, as a backup restored and backed up again does.
#include "profiles/profile.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    Profile profile;
    QString error;
    if (!Profile::fromJson(input, &profile, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const QString saved = QStringLiteral("2026-12-08T05:00:00Z");
    const QByteArray written = profile.toJson(saved);
    Profile again;
    FUZZ_CHECK(Profile::fromJson(written, &again, &error));
    FUZZ_CHECK(again.toJson(saved) == written);
    return 0;
}
