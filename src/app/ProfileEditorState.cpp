#include "app/ProfileEditorState.h"

#include <QCoreApplication>
#include <QDateTime>

ProfileEditorState ProfileEditorState::newProfile() {
    return newProfile(QDateTime::currentSecsSinceEpoch());
}

ProfileEditorState ProfileEditorState::newProfile(qint64 secondsSince1970) {
    ProfileEditorState state = fromProfile(Profile::velqorAccount(secondsSince1970));
    state.name = QCoreApplication::translate("ProfileEditorState", "New Velqor");
    state.isExisting = false;
    return state;
}

ProfileEditorState ProfileEditorState::fromProfile(const Profile& profile) {
    ProfileEditorState state;
    state.id = profile.id;
    state.name = profile.name;
    state.preferredAuthMethod = profile.preferredAuthMethod;
    state.modelProvider = profile.modelProvider.value_or(QString());
    state.model = profile.model;
    state.modelReasoningEffort = profile.modelReasoningEffort;
    state.limitsEndpoint = profile.limitsEndpoint.value_or(QString());
    state.proxyScheme = ProxyURLFormatter::scheme(profile.proxyURL);
    state.proxyAddress = ProxyURLFormatter::withoutScheme(profile.proxyURL);
    state.disableResponseStorage = profile.disableResponseStorage;
    state.restartCodex = profile.restartCodex;
    state.isExisting = true;
    return state;
}

Profile ProfileEditorState::profile() const {
    const QString endpoint = limitsEndpoint.trimmed();
    return Profile(id.trimmed(), name.trimmed(), preferredAuthMethod.trimmed(),
                   modelProvider.trimmed(), model.trimmed(), modelReasoningEffort.trimmed(),
                   disableResponseStorage, restartCodex,
                   endpoint.isEmpty() ? std::nullopt : std::optional<QString>(endpoint),
                   ProxyURLFormatter::normalized(proxyAddress, proxyScheme));
}

bool ProfileEditorState::isValid() const {
    for (const QString* field : {&id, &name, &preferredAuthMethod, &model, &modelReasoningEffort})
        if (field->trimmed().isEmpty())
            return false;
    return true;
}

QString ProfileEditorState::proxyLabel() const {
    return ProxyURLFormatter::normalized(proxyAddress, proxyScheme)
               ? ProxySchemes::rawValue(proxyScheme)
               : QCoreApplication::translate("ProfileEditorState", "Off");
}
