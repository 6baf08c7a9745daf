#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Takes an API key out of a JSON copy Tavrin made (auth.json, settings.json, a key file
// set aside), keeping every other byte.
namespace KeyScrub {

// A member path from the top of a document: {"env", "ANTHROPIC_API_KEY"}.
using Path = std::vector<QByteArray>;

enum class Outcome {
    untouched,  // the copy does not hold the key
    blanked,    // every string that was the key is now "", every other byte as it was
    removed,    // the copy is to be deleted: without the key it holds only what Tavrin
                // writes itself (`managed`), or the key stands where it cannot be
                // taken out alone (in an array, as a member name, under a repeated key)
    unreadable, // not JSON, yet its bytes hold the key: left alone
};

struct Result {
    Outcome outcome = Outcome::untouched;
    QByteArray text; // the new content when blanked
};

// A string "is the key" when it equals the key as stored or the key trimmed (as
// settings.json holds it).
Result withoutKey(const QByteArray& document, const QString& key, const std::vector<Path>& managed);

// What Tavrin itself writes into auth.json and settings.json.
std::vector<Path> authMembers();
std::vector<Path> claudeSettingsMembers();

} // namespace KeyScrub
