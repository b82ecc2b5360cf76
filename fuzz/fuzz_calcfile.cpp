// Feeds arbitrary bytes to the calculation-file reader, as "Открыть старый..."
// would read them. Nothing may crash; a file the reader accepts must be
// written back to lines that read to the same contents.
#include "data/TextFile.h"
#include "files/CalcFile.h"

#include <QLocale>
#include <cstdint>
#include <cstdlib>


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool pinned = [] {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        return true;
    }();
    (void)pinned;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = TextFile::decodeLines(bytes);
    CalcFile::Error error;
    const auto contents = CalcFile::fromLines(lines, &error);
    if (!contents)
        return 0;
    if (contents->iMaxKorm < -1 || contents->iMaxKorm > 9)   // -1: a calculation of no feeds
        std::abort();
    (void)CalcFile::weightForLocale(contents->weights.value(0));
    RationState state;
    CalcFile::applyTo(*contents, state);

    // What was read writes back (when it can be written at all) to a file
    // that reads back to the very same lines. (Numbers are written with 15
    // significant digits, so a value typed with more digits is not kept
    // exactly; the written form is what must be stable.)
    if (const auto again = CalcFile::toLines(*contents)) {
        const auto reread = CalcFile::fromLines(*again);
        if (!reread)
            std::abort();
        const auto rewritten = CalcFile::toLines(*reread);
        if (!rewritten || *rewritten != *again)
            std::abort();
        if (reread->iMaxKorm != contents->iMaxKorm || reread->sKurwi != contents->sKurwi
            || reread->weights != contents->weights)
            std::abort();
    }
    return 0;
}
