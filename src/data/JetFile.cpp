#include "data/JetFile.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <vector>

#ifdef RACION_HAVE_LIBMDB
extern "C" {
#include <mdbtools.h>
}
#endif

namespace JetFile {

Format formatOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Format::NotJet;
    const QByteArray head = f.read(0x18);
    if (head.size() < 0x18 || head.mid(4, 16) != QByteArray("Standard Jet DB\0", 16))
        return Format::NotJet;
    switch (qFromLittleEndian<quint32>(head.constData() + 0x14)) {
    case 0: return Format::Jet3;
    case 1: return Format::Jet4;
    default: return Format::NotJet;   // a later Access format, not read here
    }
}

#ifndef RACION_HAVE_LIBMDB

bool supported() { return false; }

struct Reader::Impl {};

Reader::Reader(const QString&) {}
Reader::~Reader() = default;
QString Reader::error() const
{
    return QStringLiteral("Файлы старого формата (Access) в этой сборке программы не читаются.");
}
QStringList Reader::tables() const { return {}; }
QString Reader::read(const QString&, const QStringList&, const std::function<bool(const QVariantList&)>&, QStringList*)
{
    return error();
}

#else

bool supported() { return true; }

namespace {

// Code page 1251 (Cyrillic, the one Russian files use) from 0x80 to 0xBF;
// 0xC0 to 0xFF are А to я in order.
constexpr char16_t kCp1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Jet 3 text in the file's code page: 1251 by its table, 1252 and others
// whose upper half Latin-1 covers closely enough as Latin-1.
QString jet3Text(const unsigned char* p, int n, int codePage)
{
    QString out = QStringLiteral("");   // an empty text is no null
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (p[i] < 0x80)
            out += QChar(p[i]);
        else if ((codePage == 1251 || codePage == 0) && p[i] >= 0xC0)
            out += QChar(char16_t(0x0410 + (p[i] - 0xC0)));
        else if (codePage == 1251 || codePage == 0)
            out += QChar(kCp1251[p[i] - 0x80]);
        else
            out += QChar(char16_t(p[i]));
    }
    return out;
}

// Jet 4 text: UCS-2, or "compressed" (a 0xFF 0xFE mark, then runs of one
// byte a character and of two, each 0 byte switching between them).
QString jet4Text(const unsigned char* p, int n)
{
    QString out = QStringLiteral("");   // an empty text is no null
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bool single = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                single = !single;
                ++i;
            } else if (single) {
                out += QChar(char16_t(p[i++]));
            } else if (i + 1 < n) {
                out += QChar(char16_t(p[i] | (p[i + 1] << 8)));
                i += 2;
            } else {
                break;
            }
        }
        return out;
    }
    for (int i = 0; i + 1 < n; i += 2)
        out += QChar(char16_t(p[i] | (p[i + 1] << 8)));
    return out;
}

// Whether the header holds a database password. The header from 0x18 is
// scrambled with RC4 under a fixed key; the password (Jet 3: 20 bytes, Jet 4:
// 40) at 0x42 is then zeros, in Jet 4 masked with the four bytes of the
// whole days of the creation date (at 0x72), at either alignment.
bool hasPassword(const QByteArray& head, Format format)
{
    const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 255;
        std::swap(s[i], s[j]);
    }
    QByteArray plain = head.mid(0x18, 128);
    for (int n = 0, i = 0, j = 0; n < plain.size(); ++n) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        plain[n] = char(plain[n] ^ s[(s[i] + s[j]) & 255]);
    }
    const int at = 0x42 - 0x18;
    if (format == Format::Jet3)
        return plain.mid(at, 20).count('\0') != 20;
    const double created = qFromLittleEndian<double>(plain.constData() + 0x72 - 0x18);
    const quint32 days = std::isfinite(created) && std::abs(created) < 2e9 ? quint32(qint32(created)) : 0;
    unsigned char mask[4];
    qToLittleEndian(days, mask);
    for (int shift : {0, 2}) {
        bool empty = true;
        for (int i = 0; i < 40 && empty; ++i)
            empty = (static_cast<unsigned char>(plain[at + i]) ^ mask[(i + shift) % 4]) == 0;
        if (empty)
            return false;
    }
    return true;
}

} // namespace

struct Reader::Impl {
    MdbHandle* mdb = nullptr;
    QString error;
    int codePage = 0;
    qint64 pages = 0;

    // Whether every page the table's usage map names lies within the file (a
    // file cut at a page boundary passes the size check; the library would
    // read its missing pages as none and lose their rows without a word).
    // Empty when they do, else why not.
    QString within(MdbTableDef* t) const
    {
        if (!t || !t->usage_map)
            return QStringLiteral("файл не удается прочитать как базу данных Access");
        gint32 pg = 0;
        while ((pg = mdb_map_find_next(mdb, t->usage_map, guint(t->map_sz), guint32(pg))) > 0)
            if (pg >= pages)
                break;
        return pg == 0 ? QString() : QStringLiteral("файл поврежден или обрезан");
    }
};

Reader::Reader(const QString& path)
    : m(std::make_unique<Impl>())
{
    QFile f(path);
    const qint64 size = f.size();
    const Format format = formatOf(path);
    const qint64 page = format == Format::Jet3 ? 2048 : 4096;
    // A cut-off file is refused before the library walks past its end.
    if (format == Format::NotJet || size < 2 * page || size % page != 0) {
        m->error = QStringLiteral("файл поврежден или обрезан");
        return;
    }
    m->pages = size / page;
    const QString unreadable = QStringLiteral("файл не удается прочитать как базу данных Access");
    m->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m->mdb) {
        m->error = unreadable;
        return;
    }
    // The catalog's own pages first, then every table's, before a row is read.
    MdbCatalogEntry catalog{};
    catalog.mdb = m->mdb;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = 2;
    std::strcpy(catalog.object_name, "MSysObjects");
    MdbTableDef* t = mdb_read_table(&catalog);
    m->error = m->within(t);
    if (t)
        mdb_free_tabledef(t);
    if (!m->error.isEmpty())
        return;
    if (!mdb_read_catalog(m->mdb, MDB_TABLE)) {
        m->error = unreadable;
        return;
    }
    for (guint i = 0; i < m->mdb->num_catalog && m->error.isEmpty(); ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m->mdb->catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        t = mdb_read_table(entry);
        m->error = m->within(t);
        if (t)
            mdb_free_tabledef(t);
    }
    // Checked once the file has proved an Access database.
    if (m->error.isEmpty() && f.open(QIODevice::ReadOnly) && hasPassword(f.read(0x18 + 128), format))
        m->error = QStringLiteral("файл защищен паролем. Снимите пароль в программе Access и повторите");
    m->codePage = m->mdb->f->code_page;
}

Reader::~Reader()
{
    if (m->mdb)
        mdb_close(m->mdb);
}

QString Reader::error() const { return m->error; }

QStringList Reader::tables() const
{
    QStringList out;
    if (!m->error.isEmpty())
        return out;
    for (guint i = 0; i < m->mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m->mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            out << QString::fromUtf8(entry->object_name);
    }
    return out;
}

QString Reader::read(const QString& table, const QStringList& columns,
                     const std::function<bool(const QVariantList&)>& row, QStringList* extra)
{
    if (!m->error.isEmpty())
        return m->error;
    MdbCatalogEntry* entry = nullptr;
    for (guint i = 0; i < m->mdb->num_catalog && !entry; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(m->mdb->catalog, i));
        if (e->object_type == MDB_TABLE && QString::fromUtf8(e->object_name).compare(table, Qt::CaseInsensitive) == 0)
            entry = e;
    }
    if (!entry)
        return QStringLiteral("нет таблицы %1").arg(table);
    MdbTableDef* t = mdb_read_table(entry);
    if (!t || !mdb_read_columns(t)) {
        if (t)
            mdb_free_tabledef(t);
        return QStringLiteral("таблица %1 не читается").arg(table);
    }
    // Where each wanted column is among the table's.
    std::vector<int> at(columns.size(), -1);
    for (guint c = 0; c < t->num_cols; ++c) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
        int wanted = -1;
        for (int i = 0; i < columns.size() && wanted < 0; ++i)
            if (columns.at(i).compare(QString::fromUtf8(col->name), Qt::CaseInsensitive) == 0)
                wanted = i;
        if (wanted >= 0)
            at[wanted] = int(c);
        else if (extra)
            *extra << table + QLatin1Char('.') + QString::fromUtf8(col->name);
    }
    QString error;
    for (int i = 0; i < columns.size() && error.isEmpty(); ++i)
        if (at[i] < 0)
            error = QStringLiteral("в таблице %1 нет столбца %2").arg(table, columns.at(i));
    std::vector<MdbField> fields(MDB_MAX_COLS);
    std::vector<int> fieldOf(t->num_cols, -1);
    const bool jet3 = IS_JET3(m->mdb);
    if (error.isEmpty())
        mdb_rewind_table(t);
    unsigned int rows = 0;
    bool stopped = false;
    while (error.isEmpty() && !stopped && mdb_fetch_row(t)) {
        ++rows;
        int start = 0;
        size_t len = 0;
        if (mdb_find_row(m->mdb, int(t->cur_row) - 1, &start, &len) != 0) {
            error = QStringLiteral("строка таблицы %1 не читается").arg(table);
            break;
        }
        const int n = mdb_crack_row(t, start, len, fields.data());
        std::fill(fieldOf.begin(), fieldOf.end(), -1);
        for (int f = 0; f < n; ++f)
            if (fields[f].colnum >= 0 && fields[f].colnum < int(t->num_cols))
                fieldOf[fields[f].colnum] = f;
        QVariantList values;
        for (int i = 0; i < columns.size() && error.isEmpty(); ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, at[i]));
            const int f = fieldOf[at[i]];
            if (f < 0 || fields[f].is_null) {
                values << QVariant();
                continue;
            }
            const auto* p = static_cast<const unsigned char*>(fields[f].value);
            const int siz = fields[f].siz;
            const auto need = [&](int bytes) {
                if (siz < bytes)
                    error = QStringLiteral("значение столбца %1 таблицы %2 не читается").arg(columns.at(i), table);
                return siz >= bytes;
            };
            switch (col->col_type) {
            case MDB_TEXT:
                values << (jet3 ? jet3Text(p, siz, m->codePage) : jet4Text(p, siz));
                break;
            case MDB_DOUBLE:
                if (need(8))
                    values << qFromLittleEndian<double>(p);
                break;
            case MDB_FLOAT:
                if (need(4))
                    values << double(qFromLittleEndian<float>(p));
                break;
            case MDB_BYTE:
                if (need(1))
                    values << double(p[0]);
                break;
            case MDB_INT:
                if (need(2))
                    values << double(qFromLittleEndian<qint16>(p));
                break;
            case MDB_LONGINT:
                if (need(4))
                    values << double(qFromLittleEndian<qint32>(p));
                break;
            case MDB_MONEY:
                if (need(8))
                    values << double(qFromLittleEndian<qint64>(p)) / 10000.0;
                break;
            default:
                error = QStringLiteral("столбец %1 таблицы %2 не текст и не число").arg(columns.at(i), table);
            }
        }
        stopped = error.isEmpty() && !row(values);
    }
    // A page the library could not take is passed over without a word; the
    // table's own count of its rows tells.
    if (error.isEmpty() && !stopped && rows != t->num_rows)
        error = QStringLiteral("файл поврежден или обрезан");
    mdb_free_tabledef(t);
    return error;
}

#endif

} // namespace JetFile
