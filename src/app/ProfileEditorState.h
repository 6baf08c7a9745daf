#pragma once

#include "profiles/Profile.h"
#include "profiles/ProxyURLFormatter.h"

#include <QString>

// The settings form's detached copy of one profile. Nothing reaches the store until
// the form is saved; `profile()` is what a save writes.
struct ProfileEditorState {
    QString id;
    QString name;
    QString preferredAuthMethod;
    QString modelProvider;
    QString model;
    QString modelReasoningEffort;
    QString limitsEndpoint;
    ProxyScheme proxyScheme = ProxyScheme::http;
    QString proxyAddress;
    bool disableResponseStorage = true;
    bool restartCodex = true;
    bool isExisting = false;

    // The state for a new Velqor profile whose id carries the current time in seconds.
    static ProfileEditorState newProfile();
    static ProfileEditorState newProfile(qint64 secondsSince1970);
    // A stored profile, ready to edit.
    static ProfileEditorState fromProfile(const Profile& profile);

    // The profile to store: text fields trimmed, a blank limits endpoint absent, the
    // proxy normalised with the chosen scheme.
    Profile profile() const;
    // Every required field holds more than white space.
    bool isValid() const;
    // The scheme's raw value when the address gives a proxy, otherwise "Off".
    QString proxyLabel() const;

    bool operator==(const ProfileEditorState&) const = default;
};
