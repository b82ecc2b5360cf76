#include "data/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace TextFile {

namespace {

// Unicode of the Windows-1251 bytes 0x80..0xFF. The one unused byte, 0x98,
// reads as the control character U+0098 and writes back as 0x98, so a file
// read and written again keeps every byte.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F
};

int byteFor(char16_t u)
{
    if (u < 0x80)
        return u;
    for (int i = 0; i < 128; ++i)
        if (kHigh[i] == u)
            return 0x80 + i;
    return -1;
}

// A file system that cannot sync is no error; one that fails to is.
bool synced(int fd)
{
#ifdef Q_OS_WIN
    // _commit flushes the file's handle (FlushFileBuffers) to the disk.
    if (::_commit(fd) == 0)
        return true;
    return errno == EINVAL;
#else
    if (::fsync(fd) == 0)
        return true;
    return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
#endif
}

} // namespace

bool syncToDisk(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && synced(file.handle());
}

std::optional<QByteArray> encode1251(const QString& text, int* badIndex)
{
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        const int b = u == 0 ? 0 : byteFor(u);
        if (b < 0) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        out.append(char(b));
    }
    return out;
}

QString decode1251(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out.append(QChar(b));
        else
            out.append(QChar(kHigh[b - 0x80]));
    }
    return out;
}

bool looksLikeUtf8(const QByteArray& bytes)
{
    bool nonAscii = false;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            nonAscii = true;
    if (!nonAscii)
        return false;
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = dec.decode(bytes);
    return !dec.hasError();
}

QString excerpt(const QString& text, int max)
{
    if (text.size() <= max)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(max);
    if (!graphemes.isAtBoundary())
        graphemes.toPreviousBoundary();
    return text.left(qMax<qsizetype>(0, graphemes.position())) + QChar(0x2026);
}

std::optional<QByteArray> encodeLines(const QStringList& lines, Error* error)
{
    QByteArray out;
    for (int n = 0; n < lines.size(); ++n) {
        int bad = -1;
        const auto bytes = encode1251(lines.at(n), &bad);
        if (!bytes) {
            if (error) {
                // A character beyond the 16-bit plane is two UTF-16 units; show it whole.
                const QString& line = lines.at(n);
                const int len = line.at(bad).isHighSurrogate() && bad + 1 < line.size()
                        && line.at(bad + 1).isLowSurrogate() ? 2 : 1;
                error->line = n + 1;
                error->message = QStringLiteral("Символ «%1» (строка %2) нельзя записать в кодировке Windows-1251.")
                                     .arg(line.mid(bad, len), QString::number(n + 1));
            }
            return std::nullopt;
        }
        out += *bytes;
        out += "\r\n";
    }
    return out;
}

QStringList decodeLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0)
            nl = bytes.size();
        qsizetype end = nl;
        if (end > start && bytes.at(end - 1) == '\r')
            --end;
        lines.append(decode1251(bytes.mid(start, end - start)));
        start = nl + 1;
    }
    return lines;
}

bool writeLines(const QString& path, const QStringList& lines, Error* error)
{
    const auto bytes = encodeLines(lines, error);
    if (!bytes) {
        if (error)
            error->message = QStringLiteral("Файл %1 не записан. ").arg(QDir::toNativeSeparators(path)) + error->message;
        return false;
    }
    return writeBytes(path, *bytes, error);
}

bool writeBytes(const QString& path, const QByteArray& bytes, Error* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = {QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()), 0};
        return false;
    }
    // The bytes are pushed out and synced before the commit: an error met
    // only while the buffer is flushed on commit would otherwise go unseen,
    // and an empty or partial file would replace the old one.
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        reason = file.errorString();
    else if (!synced(file.handle()))
        reason = QString::fromLocal8Bit(std::strerror(errno));
    else if (!file.commit())
        reason = file.errorString();
    if (!reason.isEmpty()) {
        if (error)
            *error = {QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), reason), 0};
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<QStringList> readLines(const QString& path, Error* error, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = {QStringLiteral("Не удалось открыть файл %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()), 0};
        return std::nullopt;
    }
    // One byte more than allowed tells a file that grew after it was looked at.
    const QByteArray bytes = maxBytes > 0 ? file.read(maxBytes + 1) : file.readAll();
    if (maxBytes > 0 && bytes.size() > maxBytes) {
        if (error)
            *error = {QStringLiteral("Файл %1 больше %2 байт.").arg(QDir::toNativeSeparators(path)).arg(maxBytes), 0};
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = {QStringLiteral("Не удалось прочитать файл %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()), 0};
        return std::nullopt;
    }
    return decodeLines(bytes);
}

} // namespace TextFile
