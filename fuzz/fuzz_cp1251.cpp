// Feeds arbitrary bytes to the Windows-1251 reader. Nothing may crash; every
// byte but the one unused code decodes to a character that encodes back to it.
#include "data/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = TextFile::decodeLines(bytes);
    (void)TextFile::looksLikeUtf8(bytes);

    if (!bytes.contains('\x98')) {
        const QString text = TextFile::decode1251(bytes);
        const auto again = TextFile::encode1251(text);
        if (!again || *again != bytes)
            std::abort();
        if (const auto encoded = TextFile::encodeLines(lines)) {
            // Re-reading what was written gives the same lines.
            if (TextFile::decodeLines(*encoded) != lines)
                std::abort();
        } else {
            std::abort();
        }
    }
    return 0;
}
