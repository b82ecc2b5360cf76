#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// A figure of the reference tables as stored (text, number or null) and the
// number it is, read once: NumText::variantNumber, so always finite.
struct Figure {
    QVariant stored;
    std::optional<double> value;

    Figure() = default;
    Figure(const QVariant& v);   // implicit: a value as stored is a figure
    // As stored, in words: a number in plain form, null empty.
    QString text() const;
    // Stored at all (a null or empty text is no figure).
    bool given() const { return !text().trimmed().isEmpty(); }
};
