#pragma once

#include "profiles/Profile.h"

#include <optional>

// Sets "auth_mode" and "OPENAI_API_KEY" in ~/.codex/auth.json and keeps every other
// member. Platform file and JSON errors pass through; a broken file is never overwritten.
class AuthPatcher {
public:
    AuthPatcher() = default;
    virtual ~AuthPatcher() = default;

    virtual void apply(const Profile& profile, const std::optional<QString>& apiKey);
};
