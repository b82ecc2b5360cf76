// Writes random calculations as "Сохранить расчет..." would and reads each
// written file back as "Открыть старый..." would. Whatever the writer accepts,
// the reader must accept, within the size the reader allows, with every text
// and every kind of value as it was.
#include "data/TextFile.h"
#include "files/CalcFile.h"

#include <QLocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Takes the input's bytes one by one; zeros once they run out.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    template <class T> T raw()
    {
        unsigned char b[sizeof(T)];
        for (auto& c : b)
            c = next();
        T v;
        std::memcpy(&v, b, sizeof v);
        return v;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Mostly Windows-1251 characters (quotes, line breaks and NUL among them),
// now and then one it has not, in or beyond the 16-bit plane; mostly short,
// now and then around the longest text the file holds.
QString text(Bytes& in)
{
    const int b = in.next();
    const int length = b < 240 ? b % 24 : CalcFile::kMaxText - 8 + (b - 240);
    QString out;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t c = in.next();
        if (c == 0x98 && in.next() % 4 == 0)
            out += in.next() % 2 ? QString(QChar(0x4E2D)) : QStringLiteral("\U0001F414");
        else
            out += TextFile::decode1251(QByteArray(1, char(c)));
    }
    return out;
}

QVariant value(Bytes& in)
{
    switch (in.next() % 7) {
    case 0: return QVariant();
    case 1: return QVariant(QMetaType::fromType<double>());   // a null number
    case 2: return in.raw<double>();                           // any bits: huge, tiny, NaN
    case 3: return qlonglong(in.raw<std::int64_t>());
    case 4: return double(std::int16_t(in.raw<std::int16_t>())) / 8;
    case 5: return bool(in.next() & 1);
    default: return text(in);
    }
}

enum class Kind { Null, Number, Text };

Kind kindWritten(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return Kind::Null;
    if (v.typeId() == QMetaType::Double)
        return std::isfinite(v.toDouble()) ? Kind::Number : Kind::Null;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Bool)
        return Kind::Number;
    return Kind::Text;
}

Kind kindRead(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return Kind::Null;
    return v.typeId() == QMetaType::Double ? Kind::Number : Kind::Text;
}

// The value as read back: its kind, and a text unchanged.
bool same(const QVariant& written, const QVariant& read)
{
    const Kind k = kindWritten(written);
    return k == kindRead(read) && (k != Kind::Text || written.toString() == read.toString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool pinned = [] {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        return true;
    }();
    (void)pinned;

    Bytes in(data, size);
    CalcFile::Contents c;
    c.iMaxKorm = std::int16_t(in.next() % RationState::kMaxFeeds);
    c.sKurwi = text(in);
    for (int f = 0; f < c.feedCount(); ++f) {
        c.sKorm[f] = text(in);
        for (auto& field : c.DataKorm[f])
            field = value(in);
        c.weights << text(in);
    }
    for (auto& field : c.NormaKur)
        field = value(in);

    CalcFile::Error error;
    const auto lines = CalcFile::toLines(c, &error);
    if (!lines) {
        if (error.message.isEmpty())   // a refusal always says why
            std::abort();
        return 0;
    }
    const auto bytes = TextFile::encodeLines(*lines);
    if (!bytes || bytes->size() > CalcFile::kMaxFileBytes || TextFile::decodeLines(*bytes) != *lines)
        std::abort();
    const auto read = CalcFile::fromLines(TextFile::decodeLines(*bytes), &error);
    if (!read || read->iMaxKorm != c.iMaxKorm || read->sKurwi != c.sKurwi)
        std::abort();
    for (int f = 0; f < c.feedCount(); ++f) {
        if (read->sKorm[f] != c.sKorm[f] || read->weights.value(f) != CalcFile::weightForLocale(c.weights.value(f)))
            std::abort();
        for (int j = 0; j < RationState::kFeedFields; ++j)
            if (!same(c.DataKorm[f][j], read->DataKorm[f][j]))
                std::abort();
    }
    for (int j = 0; j < RationState::kKurwiFields; ++j)
        if (!same(c.NormaKur[j], read->NormaKur[j]))
            std::abort();
    return 0;
}
