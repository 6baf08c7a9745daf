<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>AboutDialog</name>
    <message>
        <source>Keeps account profiles for Codex and Claude Code and switches either one to the profile you pick.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Project: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velqor API keys: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin&apos;s files:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ActivityPopover</name>
    <message>
        <source>Recent activity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AppTab</name>
    <message>
        <source>Switch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source> (no key)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (active)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Controls</name>
    <message>
        <source>Delete API Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete the stored API key of “%1”?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The key is removed from this computer. Switching to this profile needs a key again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CreditRow</name>
    <message>
        <source>Check remaining credit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking remaining credit…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked less than a minute ago</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GeneralSettings</name>
    <message>
        <source>Start-up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin starts in the tray when you log in, ready to switch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not turn on Start at login.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not turn off Start at login.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not turn on Start at login: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not turn off Start at login: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HelpDialog</name>
    <message>
        <source>&lt;b&gt;Switch&lt;/b&gt;: choose Codex or Claude Code at the top, pick a profile on the card and press the power button. The line below it tells how the switch ended; open it to see the recent activity.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Profiles&lt;/b&gt;: add Velqor accounts, save their API keys and set a proxy. Your ChatGPT and Claude accounts need no key.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Settings&lt;/b&gt; (%1): edit every field of every profile, and start Tavrin at login.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Keyboard&lt;/b&gt;: Tab moves between the controls, Space or Enter presses one, Escape closes a menu.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;Command line&lt;/b&gt;: &lt;tt&gt;tavrin-cli help&lt;/tt&gt; lists what it can do from a terminal.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProfileRow</name>
    <message>
        <source>Velqor key saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Velqor key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Claude account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ChatGPT account</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProfilesPanel</name>
    <message>
        <source>Accounts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Velqor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current app accounts do not need a Velqor key.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Key saved, proxy saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No key, proxy saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Key saved, no proxy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No key, no proxy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account added. Paste Velqor key and press Save Key.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Key saved for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Key deleted for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy saved for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy cleared for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Claude Code cannot use a SOCKS5 proxy: switching it to this profile will be refused. Codex can use it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Universal Velqor API key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paste universal Velqor key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Velqor key needed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velqor keys are saved locally and work for Codex and Claude Code.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProxySection</name>
    <message>
        <source>Proxy Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsList</name>
    <message>
        <source>Profiles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Active · %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Tavrin Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API key is saved locally.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A profile with the ID &apos;%1&apos; already exists. Choose another ID.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profile saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profile deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stored API key deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferred auth method</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Model provider</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Model</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reasoning effort</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Limits endpoint</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disable response storage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart app after switch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API key (stored locally, not in JSON)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>API key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Stored API Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SwitchPage</name>
    <message>
        <source>Velqor API</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Claude Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ChatGPT Account</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh cloud policy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 profile: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recent activity: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No cloud endpoint configured</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TavrinApp</name>
    <message>
        <source>Settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit Tavrin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin keeps running in the menu bar. Choose Quit in its menu to end it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tavrin keeps running in the system tray. Choose Quit in its menu to end it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WelcomeCard</name>
    <message>
        <source>Start with a Velqor key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A Velqor API key lets Codex and Claude Code work through Velqor. Your ChatGPT and Claude accounts need no key.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add your Velqor key</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
