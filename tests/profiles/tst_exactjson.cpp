#include "profiles/ExactJson.h"
#include "support/Checks.h"

static QByteArray nested(int depth, const QByteArray& inner) {
    return QByteArray(depth, '[') + inner + QByteArray(depth, ']');
}

class TestExactJson : public QObject {
    Q_OBJECT

private slots:
    void rewrite_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("written");
        // What Qt reads without loss comes out exactly as QJsonDocument::Indented writes it:
        // key order, repeated keys, indentation, escapes.
        const auto asQt = [](const char* name, const QByteArray& document) {
            QTest::newRow(name) << document << QJsonDocument::fromJson(document).toJson();
        };
        // Values that Qt's reader would change or refuse come back byte for byte (these are
        // in the written layout already).
        const auto exact = [](const char* name, const QByteArray& document) {
            QTest::newRow(name) << document << document;
        };
        asQt("empty object", "{}");
        asQt("empty array", " [ ] ");
        asQt("empty containers inside", R"({"a": {}, "b": [], "c": [{}, [], [[]]]})");
        asQt("keys sorted, last repeated key wins",
             R"({"b": 1, "B": 2, "a": {"z": 1, "y": 2}, "b": 3, "_": 4})");
        asQt("literals and plain numbers", R"([true, false, null, 0, -7, 0.5, 123456])");
        asQt("escapes and non-ASCII text",
             "{\"s\": \"tab\\t quote\\\" back\\\\ slash\\/ nl\\n cr\\r bs\\b ff\\f "
             "nul\\u0000 \\u001f del\\u007f \\u00e9 \\ud83d\\ude42 é 🙂 日本\"}");
        asQt("non-ASCII keys", R"({"é": 1, "z": 2, "日本": 3, "A": 4})");
        asQt("byte-order mark and white space", "\xEF\xBB\xBF \r\n\t{\"a\"\n:\n1 }\n ");
        QByteArray big = "{";
        for (int i = 0; i < 20000; ++i)
            big += "\"k" + QByteArray::number(i * 7919 % 20000) + "\": {\"list\": [" +
                   QByteArray::number(i) + ", \"v\", {\"x\": [null]}]},";
        asQt("20000 nested members", big + "\"last\": true}");
        const QByteArrayList values({"12345678901234567890", "-9223372036854775809",
                                     "9007199254740993", "1.0", "1e-400", "-0", "-0.0", "0.1e+5",
                                     "1E2", "2.50000000000000000000000001", "1e308",
                                     R"("a\udc00b")"});
        // One value a line, as write() lays out an array.
        exact("numbers, lone surrogate escape", "[\n    " + values.join(",\n    ") + "\n]\n");
        exact("1024 levels deep", ExactJson::write(ExactJson::parse(nested(1024, "1.0"))));
    }

    void rewrite() {
        QFETCH(QByteArray, document);
        QTEST(ExactJson::write(ExactJson::parse(document)), "written");
    }

    // (Blank files, bare values and invalid UTF-8 are rows of the settings patcher's table.)
    void refused_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("error");
        const auto row = [](const char* name, const QByteArray& document, const char* error) {
            QTest::newRow(name) << document << QString(error);
        };
        row("empty", "", "the file is empty");
        row("UTF-8 of a surrogate", "{\"a\": \"x\xed\xa0\x80\"}",
            "invalid UTF-8 in a string at byte 8");
        row("overlong UTF-8", "[\"\xc0\xaf\"]", "invalid UTF-8 in a string at byte 2");
        row("NUL after the document", QByteArray("{\"a\": 1}\0{}", 11), "illegal value at byte 8");
        row("second document", "{} {}", "garbage at the end of the document at byte 3");
        row("unterminated string", "{\"a\": \"abc", "unterminated string at byte 10");
        row("high surrogate alone", R"(["\ud800x"])",
            "invalid surrogate pair in a \\u escape at byte 2");
        row("number beyond the reader", "[1e400]", "number too large to read at byte 1");
        row("1025 levels deep", nested(1025, "1"), "too deeply nested at byte 1024");
    }

    void refused() {
        QFETCH(QByteArray, document);
        QFETCH(QString, error);
        QVERIFY_THROWS_EXCEPTION(ExactJson::SyntaxError, ExactJson::parse(document));
        QCOMPARE(errorOf([&] { ExactJson::parse(document); }), error);
    }
};

QTEST_GUILESS_MAIN(TestExactJson)
#include "tst_exactjson.moc"
