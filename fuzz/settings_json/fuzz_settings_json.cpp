// The exact JSON reader and writer that Claude Code's settings.json and Codex's auth.json
// go through. (The settings patch itself only exists as a file operation, so the edit it
// makes, replacing "env" and removing "apiKeyHelper", is done here on the parsed value.)
// Checked for every input:
// - a document that cannot be read is refused with a SyntaxError that says why;
// - parse(write(parse(x))) == parse(x), and writing that again gives the same bytes;
// - after the edit, every other member comes back exactly as read, numbers by their text.

#include "FuzzCheck.h"

#include "profiles/ExactJson.h"

#include <vector>

namespace {

using ExactJson::Value;

QString shown(const Value& value) {
    return QString::fromUtf8(ExactJson::write(value));
}

Value reparsed(const QByteArray& written, const char* property) {
    try {
        return ExactJson::parse(written);
    } catch (const ExactJson::SyntaxError& error) {
        Fuzz::fail(property, error.localizedDescription() + u'\n' + QString::fromUtf8(written));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Value value;
    try {
        value = ExactJson::parse(Fuzz::bytes(data, size));
    } catch (const ExactJson::SyntaxError& error) {
        Fuzz::require(!error.localizedDescription().isEmpty(), "a refusal says why");
        return 0;
    }

    const QByteArray written = ExactJson::write(value);
    const Value again = reparsed(written, "a written document parses");
    Fuzz::require(again == value, "parse(write(parse(x))) == parse(x)", shown(value));
    Fuzz::require(ExactJson::write(again) == written, "writing is stable", shown(value));

    if (!value.isObject())
        return 0;
    Value edited = value;
    Value env = Value::object();
    env.insert(QStringLiteral("ANTHROPIC_BASE_URL"), Value::string(QStringLiteral("https://x")));
    env.insert(QStringLiteral("CLAUDE_CODE_MAX_OUTPUT_TOKENS"), Value::number("32000"));
    edited.insert(QStringLiteral("env"), env);
    edited.remove(QStringLiteral("apiKeyHelper"));
    const Value read = reparsed(ExactJson::write(edited), "an edited document parses");
    Fuzz::require(read.find(QStringLiteral("env")) && *read.find(QStringLiteral("env")) == env,
                  "the new env block is written");
    Fuzz::require(!read.find(QStringLiteral("apiKeyHelper")), "apiKeyHelper is removed");
    // Members are in key order: the others must be the same list, byte for byte.
    const auto others = [](const Value& object) {
        std::vector<Value::Member> members;
        for (const Value::Member& member : object.members())
            if (member.first != "env" && member.first != "apiKeyHelper")
                members.push_back(member);
        return members;
    };
    Fuzz::require(others(read) == others(value), "every other member is kept as read");
    Fuzz::require(read.members().size() == others(value).size() + 1, "no member is added but env");
    return 0;
}
