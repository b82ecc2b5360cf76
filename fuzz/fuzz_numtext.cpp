// Feeds arbitrary text to the number readers of the numeric kernel. Whatever
// the text, nothing may crash, and a value that was read must survive being
// written and read again.
#include "data/Fixed4.h"
#include "data/NumText.h"

#include <QLocale>
#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool pinned = [] {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        return true;
    }();
    (void)pinned;

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QLocale locale = NumText::locale();

    const bool numeric = NumText::isNumber(text);
    const auto d = NumText::toDouble(text);
    if (numeric != d.has_value())
        std::abort();
    (void)NumText::toDoubleLenient(text);
    (void)NumText::toInt16(text);

    if (const auto f = Fixed4::fromText(text, locale, true)) {
        const auto back = Fixed4::fromText(f->toText(locale), locale);
        if (!back || *back != *f)
            std::abort();
    }
    if (d) {
        (void)NumText::plain(*d);
        (void)NumText::plainF(float(*d));
        (void)NumText::format00(*d);
        (void)NumText::format0(*d);
        if (const auto f = Fixed4::fromDouble(*d)) {
            const auto back = Fixed4::fromText(f->toText(locale), locale);
            if (!back || *back != *f)
                std::abort();
        }
        // The plain form of a number reads back as a number.
        if (!NumText::isNumber(NumText::plain(*d)))
            std::abort();
    }
    return 0;
}
