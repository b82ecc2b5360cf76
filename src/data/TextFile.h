#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Single-byte Windows-1251 text with CR LF after every line, the form of every
// file the program writes (calculation files, text reports). Readers also take
// LF alone. A character that Windows-1251 cannot hold is an error for the
// caller, never replaced.
namespace TextFile {

struct Error {
    QString message;   // Russian, ready to show; names the file where there is one
    int line = 0;      // 1-based line of the offending character, 0 if none
};

// Encodes one string; nullopt with the position of the first character that
// has no Windows-1251 code.
std::optional<QByteArray> encode1251(const QString& text, int* badIndex = nullptr);
// Every byte has a character (the unused 0x98 reads as U+0098), so a file read
// and written again keeps every byte.
QString decode1251(const QByteArray& bytes);
// True when the bytes are valid UTF-8 holding at least one non-ASCII character.
bool looksLikeUtf8(const QByteArray& bytes);

// At most `max` characters of a text to quote in a message, cut between two
// characters as the user sees them (never inside a pair of UTF-16 units or
// before a combining mark), with "…" where it was cut.
QString excerpt(const QString& text, int max = 80);

// Every line followed by CR LF.
std::optional<QByteArray> encodeLines(const QStringList& lines, Error* error = nullptr);
// Splits on CR LF or LF; a last line without an ending counts as a line.
QStringList decodeLines(const QByteArray& bytes);

// Writes through a temporary file that replaces the target only when all of
// it is written and synced, so a failure (a full disk included) leaves an
// existing file as it was.
bool writeLines(const QString& path, const QStringList& lines, Error* error = nullptr);
// The same for bytes already encoded.
bool writeBytes(const QString& path, const QByteArray& bytes, Error* error = nullptr);
// Flushes a file written by other means (a database made under a temporary
// name) to the disk before it is moved into place. False when that failed.
bool syncToDisk(const QString& path);
// Reads a whole file; with maxBytes set, reads no more than that and refuses
// a longer file.
std::optional<QStringList> readLines(const QString& path, Error* error = nullptr, qint64 maxBytes = 0);

} // namespace TextFile
