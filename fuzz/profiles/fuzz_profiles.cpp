// profiles.json: decode and the repair applied on every load. Checked for every input:
// - a file that cannot be read is refused with a JsonError that says why;
// - repairing twice equals repairing once, and the repaired document has both built-in
//   profiles and active ids that name existing profiles;
// - encoding is stable: decode(encode(x)) == x and encode(decode(encode(x))) == encode(x).

#include "FuzzCheck.h"

#include "profiles/Errors.h"
#include "profiles/ProfilesStore.h"

#include <algorithm>

namespace {

bool contains(const ProfilesDocument& document, const QString& id) {
    return std::any_of(document.profiles.cbegin(), document.profiles.cend(),
                       [&id](const Profile& profile) { return profile.id == id; });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProfilesDocument decoded;
    try {
        decoded = ProfilesDocument::decode(Fuzz::bytes(data, size));
    } catch (const JsonError& error) {
        Fuzz::require(!error.localizedDescription().isEmpty(), "a refusal says why");
        return 0;
    }

    const ProfilesDocument repaired = ProfilesStore::migrated(decoded);
    Fuzz::require(ProfilesStore::migrated(repaired) == repaired, "repairing twice equals once",
                  QString::fromUtf8(repaired.encoded()));
    Fuzz::require(contains(repaired, Profile::chatGPTAccountID) &&
                      contains(repaired, Profile::claudeCodeAccountID),
                  "the built-in profiles are there after a repair");
    Fuzz::require(contains(repaired, repaired.activeProfile),
                  "the active Codex profile exists after a repair", repaired.activeProfile);
    Fuzz::require(!repaired.activeClaudeProfile ||
                      contains(repaired, *repaired.activeClaudeProfile),
                  "the active Claude profile exists after a repair");

    for (const ProfilesDocument& document : {decoded, repaired}) {
        const QByteArray encoded = document.encoded();
        ProfilesDocument again;
        try {
            again = ProfilesDocument::decode(encoded);
        } catch (const JsonError& error) {
            Fuzz::fail("an encoded document decodes", error.localizedDescription());
        }
        Fuzz::require(again == document, "decode(encode(x)) == x", QString::fromUtf8(encoded));
        Fuzz::require(again.encoded() == encoded, "encode(decode(encode(x))) == encode(x)",
                      QString::fromUtf8(encoded));
    }
    return 0;
}
