<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>AboutDialog</name>
    <message>
        <source>Keeps account profiles for Codex and Claude Code and switches either one to the profile you pick.</source>
        <translation>Codex と Claude Code のアカウントプロファイルを保存し、選んだプロファイルにどちらでも切り替えます。</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>ライセンス: %1</translation>
    </message>
    <message>
        <source>Project: %1</source>
        <translation>プロジェクト: %1</translation>
    </message>
    <message>
        <source>Velqor API keys: %1</source>
        <translation>Velqor API キー: %1</translation>
    </message>
    <message>
        <source>Tavrin&apos;s files:</source>
        <translation>Tavrin のファイル:</translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation>Tavrin について</translation>
    </message>
</context>
<context>
    <name>ActivityPopover</name>
    <message>
        <source>Recent activity</source>
        <translation>最近のアクティビティ</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
</context>
<context>
    <name>AppTab</name>
    <message>
        <source>Switch</source>
        <translation>切り替え</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>プロファイル</translation>
    </message>
</context>
<context>
    <name>BackupsSection</name>
    <message>
        <source>%1 (latest)</source>
        <translation>%1（最新）</translation>
    </message>
    <message>
        <source>%1 (before restore)</source>
        <translation>%1（復元前）</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Made</source>
        <translation>作成日時</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>プロファイル</translation>
    </message>
    <message>
        <source>Select a copy to see what restoring it would change.</source>
        <translation>コピーを選ぶと、復元で何が変わるかを表示します。</translation>
    </message>
    <message>
        <source>Restore…</source>
        <translation>復元…</translation>
    </message>
    <message>
        <source>Delete…</source>
        <translation>削除…</translation>
    </message>
    <message>
        <source>all</source>
        <translation>すべて</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <source>no limit</source>
        <translation>上限なし</translation>
    </message>
    <message>
        <source>Remove Old Copies Now</source>
        <translation>古いコピーを今すぐ削除</translation>
    </message>
    <message>
        <source>Copies kept of each file:</source>
        <translation>ファイルごとに残すコピー数：</translation>
    </message>
    <message>
        <source>All copies together at most:</source>
        <translation>すべてのコピーの合計の上限：</translation>
    </message>
    <message>
        <source>Checked after every switch. The newest copy of each file, the latest copies and those an unfinished switch needs are always kept; 0 keeps everything.</source>
        <translation>切り替えのたびに確認します。各ファイルの最新のコピー、latest コピー、未完了の切り替えが必要とするコピーは常に残ります。0 はすべて残します。</translation>
    </message>
    <message>
        <source>Comparing…</source>
        <translation>比較しています…</translation>
    </message>
    <message>
        <source>Restore Backup</source>
        <translation>バックアップの復元</translation>
    </message>
    <message>
        <source>Restore %1 from its copy of %2?</source>
        <translation>%1 を %2 のコピーから復元しますか？</translation>
    </message>
    <message>
        <source>Codex is quit first. What the file holds now is kept as a before-restore copy, which you can restore in turn.</source>
        <translation>まず Codex を終了します。ファイルの現在の内容は復元前のコピーとして残り、それもまた復元できます。</translation>
    </message>
    <message>
        <source>What the file holds now is kept as a before-restore copy, which you can restore in turn.</source>
        <translation>ファイルの現在の内容は復元前のコピーとして残り、それもまた復元できます。</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>復元</translation>
    </message>
    <message>
        <source>Restoring…</source>
        <translation>復元しています…</translation>
    </message>
    <message>
        <source>Delete Backup</source>
        <translation>バックアップの削除</translation>
    </message>
    <message>
        <source>Delete the copy of %1 made %2?</source>
        <translation>%2 に作成された %1 のコピーを削除しますか？</translation>
    </message>
    <message>
        <source>%1 is removed for good (%2).</source>
        <translation>%1 は完全に削除されます（%2）。</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source> (no key)</source>
        <translation>（キーなし）</translation>
    </message>
    <message>
        <source>%1 (active)</source>
        <translation>%1（使用中）</translation>
    </message>
</context>
<context>
    <name>Controls</name>
    <message>
        <source>Delete API Key</source>
        <translation>API キーの削除</translation>
    </message>
    <message>
        <source>Delete the stored API key of “%1”?</source>
        <translation>「%1」の保存済み API キーを削除しますか？</translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation>キーを削除</translation>
    </message>
    <message>
        <source>Switching to this profile needs a key again.</source>
        <translation>このプロファイルに切り替えるには、もう一度キーが必要です。</translation>
    </message>
    <message>
        <source>Its settings are removed from Tavrin&apos;s profiles.</source>
        <translation>その設定は Tavrin のプロファイルから削除されます。</translation>
    </message>
    <message>
        <source>Its API key goes with it.</source>
        <translation>その API キーも一緒に削除されます。</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>プロファイルを削除</translation>
    </message>
    <message>
        <source>Delete the profile “%1”?</source>
        <translation>プロファイル「%1」を削除しますか？</translation>
    </message>
</context>
<context>
    <name>CreditRow</name>
    <message>
        <source>Check remaining credit</source>
        <translation>残りクレジットを確認</translation>
    </message>
    <message>
        <source>Checking remaining credit…</source>
        <translation>残りクレジットを確認しています…</translation>
    </message>
    <message>
        <source>Checked less than a minute ago</source>
        <translation>1 分以内に確認済みです</translation>
    </message>
</context>
<context>
    <name>GeneralSettings</name>
    <message>
        <source>Start-up</source>
        <translation>起動</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>ログイン時に起動</translation>
    </message>
    <message>
        <source>Tavrin starts in the tray when you log in, ready to switch.</source>
        <translation>ログインすると Tavrin がトレイで起動し、すぐに切り替えられます。</translation>
    </message>
    <message>
        <source>Could not turn on Start at login.</source>
        <translation>ログイン時の起動をオンにできませんでした。</translation>
    </message>
    <message>
        <source>Could not turn off Start at login.</source>
        <translation>ログイン時の起動をオフにできませんでした。</translation>
    </message>
    <message>
        <source>Could not turn on Start at login: %1</source>
        <translation>ログイン時の起動をオンにできませんでした: %1</translation>
    </message>
    <message>
        <source>Could not turn off Start at login: %1</source>
        <translation>ログイン時の起動をオフにできませんでした: %1</translation>
    </message>
</context>
<context>
    <name>HelpDialog</name>
    <message>
        <source>&lt;b&gt;Switch&lt;/b&gt;: choose Codex or Claude Code at the top, pick a profile on the card and press the power button. The line below it tells how the switch ended; open it to see the recent activity.</source>
        <translation>&lt;b&gt;切り替え&lt;/b&gt;: 上部で Codex か Claude Code を選び、カードでプロファイルを選んで電源ボタンを押します。その下の行に切り替えの結果が表示され、開くと最近のアクティビティを確認できます。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Profiles&lt;/b&gt;: add Velqor accounts, save their API keys and set a proxy. Your ChatGPT and Claude accounts need no key.</source>
        <translation>&lt;b&gt;プロファイル&lt;/b&gt;: Velqor アカウントを追加し、API キーを保存してプロキシを設定します。ChatGPT と Claude のアカウントにキーは不要です。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Settings&lt;/b&gt; (%1): edit every field of every profile, and start Tavrin at login.</source>
        <translation>&lt;b&gt;設定&lt;/b&gt;（%1）: すべてのプロファイルのすべての項目を編集し、ログイン時に Tavrin を起動できます。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Keyboard&lt;/b&gt;: Tab moves between the controls, Space or Enter presses one, Escape closes a menu.</source>
        <translation>&lt;b&gt;キーボード&lt;/b&gt;: Tab でコントロール間を移動し、Space か Enter で押し、Esc でメニューを閉じます。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Command line&lt;/b&gt;: &lt;tt&gt;tavrin-cli help&lt;/tt&gt; lists what it can do from a terminal.</source>
        <translation>&lt;b&gt;コマンドライン&lt;/b&gt;: &lt;tt&gt;tavrin-cli help&lt;/tt&gt; でターミナルからできることを一覧表示します。</translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation>Tavrin ヘルプ</translation>
    </message>
</context>
<context>
    <name>KeyReveal</name>
    <message>
        <source>Hide key</source>
        <translation>キーを隠す</translation>
    </message>
    <message>
        <source>Show key</source>
        <translation>キーを表示</translation>
    </message>
</context>
<context>
    <name>KeyStorageSettings</name>
    <message>
        <source>Keep API keys in the system keyring</source>
        <translation>API キーをシステムのキーリングに保管する</translation>
    </message>
    <message>
        <source>Turning this on moves every key out of Tavrin&apos;s key file; turning it off moves them back.</source>
        <translation>オンにすると、すべてのキーが Tavrin のキーファイルから移されます。オフにすると元に戻ります。</translation>
    </message>
    <message>
        <source>Moving the keys to the system keyring…</source>
        <translation>キーをシステムのキーリングへ移しています…</translation>
    </message>
    <message>
        <source>Moving the keys back to the key file…</source>
        <translation>キーをキーファイルへ戻しています…</translation>
    </message>
</context>
<context>
    <name>ProfileRow</name>
    <message>
        <source>Velqor key saved</source>
        <translation>Velqor キー保存済み</translation>
    </message>
    <message>
        <source>No Velqor key</source>
        <translation>Velqor キーなし</translation>
    </message>
    <message>
        <source>Claude account</source>
        <translation>Claude アカウント</translation>
    </message>
    <message>
        <source>ChatGPT account</source>
        <translation>ChatGPT アカウント</translation>
    </message>
</context>
<context>
    <name>ProfilesPanel</name>
    <message>
        <source>Accounts</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>Add Velqor</source>
        <translation>Velqor を追加</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API キー</translation>
    </message>
    <message>
        <source>Save Key</source>
        <translation>キーを保存</translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation>キーを削除</translation>
    </message>
    <message>
        <source>Current app accounts do not need a Velqor key.</source>
        <translation>アプリ本体のアカウントに Velqor キーは不要です。</translation>
    </message>
    <message>
        <source>Key saved, proxy saved.</source>
        <translation>キー保存済み、プロキシ保存済み。</translation>
    </message>
    <message>
        <source>No key, proxy saved.</source>
        <translation>キーなし、プロキシ保存済み。</translation>
    </message>
    <message>
        <source>Key saved, no proxy.</source>
        <translation>キー保存済み、プロキシなし。</translation>
    </message>
    <message>
        <source>No key, no proxy.</source>
        <translation>キーなし、プロキシなし。</translation>
    </message>
    <message>
        <source>Account added. Paste Velqor key and press Save Key.</source>
        <translation>アカウントを追加しました。Velqor キーを貼り付けて「キーを保存」を押してください。</translation>
    </message>
    <message>
        <source>Key saved for %1.</source>
        <translation>%1 のキーを保存しました。</translation>
    </message>
    <message>
        <source>Key deleted for %1.</source>
        <translation>%1 のキーを削除しました。</translation>
    </message>
    <message>
        <source>Proxy saved for %1.</source>
        <translation>%1 のプロキシを保存しました。</translation>
    </message>
    <message>
        <source>Proxy cleared for %1.</source>
        <translation>%1 のプロキシを消去しました。</translation>
    </message>
    <message>
        <source>Claude Code cannot use a SOCKS5 proxy: switching it to this profile will be refused. Codex can use it.</source>
        <translation>Claude Code は SOCKS5 プロキシを使えないため、このプロファイルへの切り替えは拒否されます。Codex では使えます。</translation>
    </message>
    <message>
        <source>No profile</source>
        <translation>プロファイルなし</translation>
    </message>
    <message>
        <source>Universal Velqor API key</source>
        <translation>共通 Velqor API キー</translation>
    </message>
    <message>
        <source>Paste universal Velqor key</source>
        <translation>共通 Velqor キーを貼り付け</translation>
    </message>
    <message>
        <source>No Velqor key needed</source>
        <translation>Velqor キーは不要です</translation>
    </message>
    <message>
        <source>Velqor keys are saved locally and work for Codex and Claude Code.</source>
        <translation>Velqor キーはこのコンピューターに保存され、Codex と Claude Code で使えます。</translation>
    </message>
    <message>
        <source>Saving the key in the system keyring…</source>
        <translation>キーをシステムのキーリングに保存しています…</translation>
    </message>
    <message>
        <source>Deleting the key from the system keyring…</source>
        <translation>システムのキーリングからキーを削除しています…</translation>
    </message>
    <message>
        <source>Velqor keys are kept in the system keyring and work for Codex and Claude Code.</source>
        <translation>Velqor キーはシステムのキーリングに保管され、Codex と Claude Code で使えます。</translation>
    </message>
</context>
<context>
    <name>ProxySection</name>
    <message>
        <source>Proxy Settings</source>
        <translation>プロキシ設定</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>形式</translation>
    </message>
    <message>
        <source>Proxy format</source>
        <translation>プロキシの形式</translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation>プロキシのアドレス</translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation>プロキシを保存</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>消去</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>オフ</translation>
    </message>
</context>
<context>
    <name>RecoveryPrompt</name>
    <message>
        <source>The record of the last switch cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set it aside? The files stay as they are, and the record is kept as a dated copy beside it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set the switch journal aside as %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsList</name>
    <message>
        <source>Profiles</source>
        <translation>プロファイル</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>Active · %1</source>
        <translation>使用中 · %1</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Tavrin Settings</source>
        <translation>Tavrin の設定</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>プロファイル</translation>
    </message>
    <message>
        <source>General</source>
        <translation>一般</translation>
    </message>
    <message>
        <source>API key is saved locally.</source>
        <translation>API キーはこのコンピューターに保存されています。</translation>
    </message>
    <message>
        <source>A profile with the ID &apos;%1&apos; already exists. Choose another ID.</source>
        <translation>ID が「%1」のプロファイルはすでにあります。別の ID を選んでください。</translation>
    </message>
    <message>
        <source>Profile saved.</source>
        <translation>プロファイルを保存しました。</translation>
    </message>
    <message>
        <source>Profile deleted.</source>
        <translation>プロファイルを削除しました。</translation>
    </message>
    <message>
        <source>Stored API key deleted.</source>
        <translation>保存済みの API キーを削除しました。</translation>
    </message>
    <message>
        <source>Add Profile</source>
        <translation>プロファイルを追加</translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation>プロファイルを保存</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>プロファイルを削除</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>プロファイル</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Preferred auth method</source>
        <translation>優先する認証方式</translation>
    </message>
    <message>
        <source>Model provider</source>
        <translation>モデルプロバイダー</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>モデル</translation>
    </message>
    <message>
        <source>Reasoning effort</source>
        <translation>推論の強さ</translation>
    </message>
    <message>
        <source>Limits endpoint</source>
        <translation>利用上限のエンドポイント</translation>
    </message>
    <message>
        <source>Disable response storage</source>
        <translation>応答の保存を無効にする</translation>
    </message>
    <message>
        <source>Restart app after switch</source>
        <translation>切り替え後にアプリを再起動</translation>
    </message>
    <message>
        <source>API Key</source>
        <translation>API キー</translation>
    </message>
    <message>
        <source>API key (stored locally, not in JSON)</source>
        <translation>API キー（JSON ではなくこのコンピューターに保存）</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API キー</translation>
    </message>
    <message>
        <source>Delete Stored API Key</source>
        <translation>保存済み API キーを削除</translation>
    </message>
    <message>
        <source>Proxy Settings</source>
        <translation>プロキシ設定</translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation>プロキシのアドレス</translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation>プロキシを保存</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>形式</translation>
    </message>
    <message>
        <source>API Keys</source>
        <translation>API キー</translation>
    </message>
    <message>
        <source>API key is saved in the system keyring.</source>
        <translation>API キーはシステムのキーリングに保存されています。</translation>
    </message>
    <message>
        <source>Waiting for the system keyring…</source>
        <translation>システムのキーリングを待っています…</translation>
    </message>
    <message>
        <source>Backups</source>
        <translation>バックアップ</translation>
    </message>
</context>
<context>
    <name>SwitchPage</name>
    <message>
        <source>Velqor API</source>
        <translation>Velqor API</translation>
    </message>
    <message>
        <source>Claude Account</source>
        <translation>Claude アカウント</translation>
    </message>
    <message>
        <source>ChatGPT Account</source>
        <translation>ChatGPT アカウント</translation>
    </message>
    <message>
        <source>Refresh cloud policy</source>
        <translation>クラウドポリシーを更新</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>アップデート</translation>
    </message>
    <message>
        <source>No profile</source>
        <translation>プロファイルなし</translation>
    </message>
    <message>
        <source>%1 profile: %2</source>
        <translation>%1 のプロファイル: %2</translation>
    </message>
    <message>
        <source>Switch %1 to %2</source>
        <translation>%1 を %2 に切り替え</translation>
    </message>
    <message>
        <source>Switch %1</source>
        <translation>%1 を切り替え</translation>
    </message>
    <message>
        <source>Recent activity: %1</source>
        <translation>最近のアクティビティ: %1</translation>
    </message>
    <message>
        <source>No cloud endpoint configured</source>
        <translation>クラウドのエンドポイントが未設定です</translation>
    </message>
</context>
<context>
    <name>TavrinApp</name>
    <message>
        <source>Settings...</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>Quit Tavrin</source>
        <translation>Tavrin を終了</translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation>Tavrin について</translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation>Tavrin ヘルプ</translation>
    </message>
    <message>
        <source>Tavrin keeps running in the menu bar. Choose Quit in its menu to end it.</source>
        <translation>Tavrin はメニューバーで動作し続けます。終了するには、そのメニューから「終了」を選んでください。</translation>
    </message>
    <message>
        <source>Tavrin keeps running in the system tray. Choose Quit in its menu to end it.</source>
        <translation>Tavrin はシステムトレイで動作し続けます。終了するには、そのメニューから「終了」を選んでください。</translation>
    </message>
</context>
<context>
    <name>WelcomeCard</name>
    <message>
        <source>Start with a Velqor key</source>
        <translation>Velqor キーから始めましょう</translation>
    </message>
    <message>
        <source>A Velqor API key lets Codex and Claude Code work through Velqor. Your ChatGPT and Claude accounts need no key.</source>
        <translation>Velqor API キーがあれば、Codex と Claude Code が Velqor 経由で動作します。ChatGPT と Claude のアカウントにキーは不要です。</translation>
    </message>
    <message>
        <source>Add your Velqor key</source>
        <translation>Velqor キーを追加</translation>
    </message>
</context>
</TS>
