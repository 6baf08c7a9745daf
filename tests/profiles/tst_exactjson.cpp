#include "profiles/ExactJson.h"

#include <QJsonDocument>
#include <QTest>

namespace {

QByteArray rewritten(const QByteArray& data) {
    return ExactJson::write(ExactJson::parse(data));
}

QByteArray nested(int depth, const QByteArray& inner) {
    return QByteArray(depth, '[') + inner + QByteArray(depth, ']');
}

} // namespace

class TestExactJson : public QObject {
    Q_OBJECT

private slots:
    // What Qt reads without loss comes out exactly as QJsonDocument::Indented writes it:
    // key order, repeated keys, indentation, escapes.
    void sameLayoutAsQt_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("empty array") << QByteArray(" [ ] ");
        QTest::newRow("empty containers inside")
            << QByteArray(R"({"a": {}, "b": [], "c": [{}, [], [[]]]})");
        QTest::newRow("keys sorted, last repeated key wins")
            << QByteArray(R"({"b": 1, "B": 2, "a": {"z": 1, "y": 2}, "b": 3, "_": 4})");
        QTest::newRow("literals and plain numbers")
            << QByteArray(R"([true, false, null, 0, -7, 0.5, 123456])");
        QTest::newRow("escapes and non-ASCII text")
            << QByteArray("{\"s\": \"tab\\t quote\\\" back\\\\ slash\\/ nl\\n cr\\r bs\\b ff\\f "
                          "nul\\u0000 \\u001f del\\u007f \\u00e9 \\ud83d\\ude42 é 🙂 日本\"}");
        QTest::newRow("non-ASCII keys") << QByteArray(R"({"é": 1, "z": 2, "日本": 3, "A": 4})");
        QTest::newRow("byte-order mark and white space")
            << QByteArray("\xEF\xBB\xBF \r\n\t{\"a\"\n:\n1 }\n ");
        QByteArray big = "{";
        for (int i = 0; i < 20000; ++i)
            big += "\"k" + QByteArray::number(i * 7919 % 20000) + "\": {\"list\": [" +
                   QByteArray::number(i) + ", \"v\", {\"x\": [null]}]},";
        QTest::newRow("20000 nested members") << big + "\"last\": true}";
    }

    void sameLayoutAsQt() {
        QFETCH(QByteArray, document);
        QCOMPARE(rewritten(document), QJsonDocument::fromJson(document).toJson());
    }

    // Values that Qt's reader would change or refuse come back byte for byte.
    void exactValues_data() {
        QTest::addColumn<QByteArray>("document"); // already in the written layout
        QTest::newRow("numbers") << QByteArray(R"([
    12345678901234567890,
    -9223372036854775809,
    9007199254740993,
    1.0,
    1e-400,
    -0,
    -0.0,
    0.1e+5,
    1E2,
    2.50000000000000000000000001,
    1e308
]
)");
        QTest::newRow("lone surrogate escape") << QByteArray(R"({
    "s": "a\udc00b"
}
)");
        QTest::newRow("1024 levels deep") << rewritten(nested(1024, "1.0"));
    }

    void exactValues() {
        QFETCH(QByteArray, document);
        QCOMPARE(rewritten(document), document);
    }

    // (Blank files, bare values and invalid UTF-8 are rows of the settings patcher's table.)
    void refused_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "the file is empty";
        QTest::newRow("UTF-8 of a surrogate")
            << QByteArray("{\"a\": \"x\xed\xa0\x80\"}") << "invalid UTF-8 in a string at byte 8";
        QTest::newRow("overlong UTF-8")
            << QByteArray("[\"\xc0\xaf\"]") << "invalid UTF-8 in a string at byte 2";
        QTest::newRow("NUL after the document")
            << QByteArray("{\"a\": 1}\0{}", 11) << "illegal value at byte 8";
        QTest::newRow("second document")
            << QByteArray("{} {}") << "garbage at the end of the document at byte 3";
        QTest::newRow("unterminated string")
            << QByteArray("{\"a\": \"abc") << "unterminated string at byte 10";
        QTest::newRow("high surrogate alone")
            << QByteArray(R"(["\ud800x"])") << "invalid surrogate pair in a \\u escape at byte 2";
        QTest::newRow("number beyond the reader")
            << QByteArray("[1e400]") << "number too large to read at byte 1";
        QTest::newRow("1025 levels deep") << nested(1025, "1") << "too deeply nested at byte 1024";
    }

    void refused() {
        QFETCH(QByteArray, document);
        QFETCH(QString, error);
        try {
            ExactJson::parse(document);
            QFAIL("parsed");
        } catch (const ExactJson::SyntaxError& e) {
            QCOMPARE(e.localizedDescription(), error);
        }
    }
};

QTEST_GUILESS_MAIN(TestExactJson)
#include "tst_exactjson.moc"
