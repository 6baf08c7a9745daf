#pragma once

#include <QByteArray>
#include <QString>

// A unified diff of two texts, for showing what a restore would change. Lines are
// compared byte for byte, so a line that differs only by its CR shows as changed, and a
// note above the diff names the line endings of both sides when they differ. Bytes that
// are not UTF-8 text, and control characters, are shown as \xNN.
namespace TextDiff {

// `fromLabel` and `toLabel` name the sides on the "---" and "+++" lines. Without any
// difference: "No difference.". When the texts differ in too many places to show
// (more than `maxEdits` lines), or either holds binary data, a sentence says so instead.
QString unified(const QByteArray& from, const QByteArray& to, const QString& fromLabel,
                const QString& toLabel, int context = 3, int maxEdits = 1000);

// A line made readable: UTF-8 as it is, every other byte and each control character but
// the tab as \xNN.
QString printable(QByteArrayView line);

} // namespace TextDiff
