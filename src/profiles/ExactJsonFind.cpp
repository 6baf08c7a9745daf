#include "profiles/ExactJson.h"
#include "profiles/ExactJsonReader.h"

#include <algorithm>

namespace ExactJson {

namespace {

using Reader::maxDepth;

// Follows the reader's events and notes the string members at the paths asked for.
class StringFinder {
public:
    using Ch = char;
    using SizeType = rapidjson::SizeType;
    using Path = std::vector<QByteArray>;

    explicit StringFinder(const std::vector<Path>& paths)
        : m_paths(paths), m_found(paths.size()), m_seen(paths.size()) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            m_seen[i].assign(paths[i].size(), 0);
    }

    bool tooDeep = false;
    const rapidjson::StringStream* stream = nullptr;
    qsizetype start = 0;

    bool Null() { return true; }
    bool Bool(bool) { return true; }
    bool Int(int) { return false; }
    bool Uint(unsigned) { return false; }
    bool Int64(int64_t) { return false; }
    bool Uint64(uint64_t) { return false; }
    bool Double(double) { return false; }
    bool RawNumber(const Ch*, SizeType, bool) { return true; }
    bool String(const Ch* text, SizeType length, bool) {
        for (std::size_t i = 0; i < m_paths.size(); ++i)
            if (m_paths[i].size() == m_levels.size() && onPath(i, m_levels.size()))
                m_found[i] = StringAt{position(), 0, QByteArray(text, qsizetype(length))};
        return true;
    }
    bool Key(const Ch* text, SizeType length, bool) {
        m_levels.back().key = QByteArray(text, qsizetype(length));
        const std::size_t depth = m_levels.size();
        for (std::size_t i = 0; i < m_paths.size(); ++i)
            if (m_paths[i].size() >= depth && onPath(i, depth))
                ++m_seen[i][depth - 1];
        return true;
    }
    bool StartObject() { return open(true); }
    bool StartArray() { return open(false); }
    bool EndObject(SizeType) { return close(); }
    bool EndArray(SizeType) { return close(); }

    // The strings found, each with the end of its token.
    std::vector<std::optional<StringAt>> result(const QByteArray& data) {
        for (std::size_t i = 0; i < m_paths.size(); ++i) {
            const bool repeated =
                std::any_of(m_seen[i].begin(), m_seen[i].end(), [](int n) { return n > 1; });
            if (m_found[i] && !repeated)
                m_found[i]->end = stringEnd(data, m_found[i]->begin);
            if (repeated || !m_found[i] || m_found[i]->end < 0)
                m_found[i].reset();
        }
        return std::move(m_found);
    }

private:
    struct Level {
        bool object = false;
        QByteArray key;
    };

    // Whether the containers open down to `depth` are objects whose current keys are the
    // first `depth` keys of path `i`.
    bool onPath(std::size_t i, std::size_t depth) const {
        for (std::size_t level = 0; level < depth; ++level)
            if (!m_levels[level].object || m_levels[level].key != m_paths[i][level])
                return false;
        return true;
    }
    bool open(bool object) {
        if (m_levels.size() >= std::size_t(maxDepth)) {
            tooDeep = true;
            return false;
        }
        m_levels.push_back({object, {}});
        return true;
    }
    bool close() {
        m_levels.pop_back();
        return true;
    }

    // The reader hands a string to the handler before it moves its stream past it: the
    // stream stands on the opening quote.
    qsizetype position() const { return start + qsizetype(stream->Tell()); }

    // Just past the string token whose opening quote is at `begin`; -1 when no string
    // token starts there. The document is valid JSON by then.
    static qsizetype stringEnd(const QByteArray& data, qsizetype begin) {
        if (begin >= data.size() || data[begin] != '"')
            return -1;
        for (qsizetype i = begin + 1; i < data.size(); ++i) {
            if (data[i] == '\\')
                ++i;
            else if (data[i] == '"')
                return i + 1;
        }
        return -1;
    }

    const std::vector<Path>& m_paths;
    std::vector<std::optional<StringAt>> m_found;
    std::vector<std::vector<int>> m_seen; // per path, how often each of its keys was met
    std::vector<Level> m_levels;
};

} // namespace

std::vector<std::optional<StringAt>>
findStrings(const QByteArray& data, const std::vector<std::vector<QByteArray>>& paths) {
    StringFinder finder(paths);
    Reader::readDocument(data, finder);
    return finder.result(data);
}

} // namespace ExactJson
