#include "backups/TextDiff.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace TextDiff {

namespace {

struct Lines {
    std::vector<QByteArrayView> lines; // without "\n", with a "\r" before it
    std::vector<size_t> hashes;
    bool finalNewline = true;
};

Lines split(const QByteArray& text) {
    Lines result;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            result.finalNewline = false;
            end = text.size();
        }
        const QByteArrayView line(text.constData() + start, end - start);
        result.lines.push_back(line);
        result.hashes.push_back(qHash(line));
        start = end + 1;
    }
    return result;
}

enum class Op { keep, remove, add };

bool unterminated(const Lines& text, size_t i) {
    return !text.finalNewline && i + 1 == text.lines.size();
}

// A last line without its line feed differs from the same text with one.
bool same(const Lines& a, size_t i, const Lines& b, size_t j) {
    return a.hashes[i] == b.hashes[j] && a.lines[i] == b.lines[j] &&
           unterminated(a, i) == unterminated(b, j);
}

// The shortest edit script (Myers), or nothing when it takes more than `maxEdits` edits.
std::optional<std::vector<Op>> editScript(const Lines& a, const Lines& b, int maxEdits) {
    const long n = long(a.lines.size());
    const long m = long(b.lines.size());
    const long limit = std::min<long>(n + m, maxEdits);
    // trace[d] holds V of diagonals -d..d after step d.
    std::vector<std::vector<long>> trace;
    std::vector<long> v(2 * size_t(limit) + 3, 0);
    const long offset = limit + 1;
    for (long d = 0; d <= limit; ++d) {
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                         ? v[offset + k + 1]
                         : v[offset + k - 1] + 1;
            long y = x - k;
            while (x < n && y < m && same(a, size_t(x), b, size_t(y)))
                ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) {
                trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
                std::vector<Op> ops;
                long cx = n, cy = m;
                for (long step = d; step >= 0; --step) {
                    const long ck = cx - cy;
                    const auto at = [&](long dd, long kk) { return trace[dd][kk + dd]; };
                    long px = 0, pk = 0;
                    if (step > 0) {
                        const long prev = step - 1;
                        pk = (ck == -step || (ck != step && at(prev, ck - 1) < at(prev, ck + 1)))
                                 ? ck + 1
                                 : ck - 1;
                        px = at(prev, pk);
                    }
                    const long py = px - pk;
                    while (cx > px && cy > py) {
                        ops.push_back(Op::keep);
                        --cx, --cy;
                    }
                    if (step > 0) {
                        ops.push_back(cx == px ? Op::add : Op::remove);
                        (cx == px ? cy : cx) -= 1;
                    }
                }
                std::reverse(ops.begin(), ops.end());
                return ops;
            }
        }
        trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
    }
    return std::nullopt;
}

QString endings(const Lines& text) {
    qsizetype crlf = 0;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const bool last = i + 1 == text.lines.size() && !text.finalNewline;
        if (!last && text.lines[i].endsWith('\r'))
            ++crlf;
    }
    const qsizetype ended = qsizetype(text.lines.size()) - (text.finalNewline ? 0 : 1);
    if (ended <= 0)
        return {};
    return crlf == 0       ? QStringLiteral("LF")
           : crlf == ended ? QStringLiteral("CRLF")
                           : QStringLiteral("mixed");
}

QString shown(QByteArrayView line, bool endedByNewline) {
    if (endedByNewline && line.endsWith('\r'))
        line.chop(1);
    return printable(line);
}

struct Hunk {
    size_t begin = 0; // in the script
    size_t end = 0;
};

// Groups the edits with `context` lines around them.
std::vector<Hunk> hunks(const std::vector<Op>& ops, int context) {
    std::vector<Hunk> result;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i] == Op::keep)
            continue;
        const size_t begin = i >= size_t(context) ? i - size_t(context) : 0;
        size_t last = i;
        while (last + 1 < ops.size()) {
            size_t next = last + 1;
            while (next < ops.size() && ops[next] == Op::keep)
                ++next;
            if (next == ops.size() || next - last - 1 > size_t(2 * context))
                break;
            last = next;
        }
        const size_t end = std::min(ops.size(), last + 1 + size_t(context));
        if (!result.empty() && begin <= result.back().end)
            result.back().end = end;
        else
            result.push_back({begin, end});
        i = last;
    }
    return result;
}

QString range(size_t start, size_t count) {
    // An empty range names the line before it.
    return QStringLiteral("%1,%2").arg(count == 0 ? start : start + 1).arg(count);
}

} // namespace

QString printable(QByteArrayView line) {
    QString out;
    out.reserve(line.size());
    qsizetype i = 0;
    while (i < line.size()) {
        const auto c = uchar(line[i]);
        int length = c < 0x80           ? 1
                     : (c >> 5) == 0x6  ? 2
                     : (c >> 4) == 0xE  ? 3
                     : (c >> 3) == 0x1E ? 4
                                        : 0;
        if (length > 1) {
            const QString decoded =
                i + length <= line.size() ? QString::fromUtf8(line.sliced(i, length)) : QString();
            const bool valid =
                decoded.size() >= 1 && !decoded.contains(QChar::ReplacementCharacter);
            if (valid) {
                out += decoded;
                i += length;
                continue;
            }
            length = 0;
        }
        if (length == 0 || (c < 0x20 && c != '\t') || c == 0x7F)
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(char(c));
        ++i;
    }
    return out;
}

QString unified(const QByteArray& from, const QByteArray& to, const QString& fromLabel,
                const QString& toLabel, int context, int maxEdits) {
    if (from == to)
        return QCoreApplication::translate("TextDiff", "No difference.");
    if (from.contains('\0') || to.contains('\0'))
        return QCoreApplication::translate(
                   "TextDiff", "The files hold binary data and differ: %1 bytes and %2 bytes.")
            .arg(from.size())
            .arg(to.size());
    const Lines a = split(from);
    const Lines b = split(to);
    const std::optional<std::vector<Op>> ops = editScript(a, b, maxEdits);
    if (!ops)
        return QCoreApplication::translate(
                   "TextDiff", "The files differ in more lines than can be shown (%1 lines and "
                               "%2 lines).")
            .arg(a.lines.size())
            .arg(b.lines.size());
    QStringList out;
    const QString endingsFrom = endings(a);
    const QString endingsTo = endings(b);
    if (!endingsFrom.isEmpty() && !endingsTo.isEmpty() && endingsFrom != endingsTo)
        out << QCoreApplication::translate("TextDiff", "Line endings: %1 in %2, %3 in %4.")
                   .arg(endingsFrom, fromLabel, endingsTo, toLabel);
    out << QStringLiteral("--- ") + fromLabel << QStringLiteral("+++ ") + toLabel;
    for (const Hunk& hunk : hunks(*ops, context)) {
        size_t ai = 0, bi = 0;
        for (size_t i = 0; i < hunk.begin; ++i) {
            ai += (*ops)[i] != Op::add;
            bi += (*ops)[i] != Op::remove;
        }
        QStringList body;
        size_t aCount = 0, bCount = 0;
        const size_t aStart = ai, bStart = bi;
        for (size_t i = hunk.begin; i < hunk.end; ++i) {
            const Op op = (*ops)[i];
            const bool fromA = op != Op::add;
            const Lines& side = fromA ? a : b;
            const size_t index = fromA ? ai : bi;
            const bool lastLine = unterminated(side, index);
            const QChar mark = op == Op::keep     ? QLatin1Char(' ')
                               : op == Op::remove ? QLatin1Char('-')
                                                  : QLatin1Char('+');
            body << mark + shown(side.lines[index], !lastLine);
            if (lastLine)
                body << QStringLiteral("\\ No newline at end of file");
            if (op != Op::add)
                ++ai, ++aCount;
            if (op != Op::remove)
                ++bi, ++bCount;
        }
        out << QStringLiteral("@@ -%1 +%2 @@").arg(range(aStart, aCount), range(bStart, bCount));
        out << body;
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace TextDiff
