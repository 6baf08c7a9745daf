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
    <name>AppViewModel</name>
    <message>
        <source>Profiles loaded</source>
        <translation>プロファイルを読み込みました</translation>
    </message>
    <message>
        <source>Locked</source>
        <translation>ロック中</translation>
    </message>
    <message>
        <source>Restart Codex</source>
        <translation>Codex を再起動</translation>
    </message>
    <message>
        <source>Open Claude Code</source>
        <translation>Claude Code を開く</translation>
    </message>
    <message>
        <source>Switch Profile</source>
        <translation>プロファイルを切り替え</translation>
    </message>
    <message>
        <source>Update required</source>
        <translation>アップデートが必要です</translation>
    </message>
    <message>
        <source>Select a profile first</source>
        <translation>先にプロファイルを選んでください</translation>
    </message>
    <message>
        <source>Update available</source>
        <translation>アップデートがあります</translation>
    </message>
    <message>
        <source>Access active</source>
        <translation>アクセス有効</translation>
    </message>
    <message>
        <source>Cloud check failed: %1</source>
        <translation>クラウドの確認に失敗しました: %1</translation>
    </message>
    <message>
        <source>Cloud control is off</source>
        <translation>クラウド制御はオフです</translation>
    </message>
    <message>
        <source>Cloud policy loaded</source>
        <translation>クラウドポリシーを読み込みました</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>Removed 1 temporary file left by an interrupted write.</source>
        <translation>中断した書き込みで残った一時ファイルを 1 個削除しました。</translation>
    </message>
    <message>
        <source>Removed %1 temporary files left by an interrupted write.</source>
        <translation>中断した書き込みで残った一時ファイルを %1 個削除しました。</translation>
    </message>
</context>
<context>
    <name>AuthPatcher</name>
    <message>
        <source>Could not read %1: it is not valid JSON (%2).</source>
        <translation>%1 を読み取れませんでした: 有効な JSON ではありません（%2）。</translation>
    </message>
</context>
<context>
    <name>BackupCatalogue</name>
    <message>
        <source>chat database</source>
        <translation>チャットデータベース</translation>
    </message>
    <message>
        <source>chat move</source>
        <translation>チャットの移動</translation>
    </message>
    <message>
        <source>1 byte</source>
        <translation>1 バイト</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 バイト</translation>
    </message>
</context>
<context>
    <name>BackupManager</name>
    <message>
        <source>A chat move record is not a file to put back: it lets the move it records be undone.</source>
        <translation>チャット移動の記録は元に戻すファイルではありません。記録した移動を取り消すためのものです。</translation>
    </message>
    <message>
        <source>This copy of the chat database lacks its main file, so it cannot be put back.</source>
        <translation>このチャットデータベースのコピーにはメインファイルがないため、元に戻せません。</translation>
    </message>
    <message>
        <source>%1 is not an SQLite database; it cannot be put back.</source>
        <translation>%1 は SQLite データベースではないため、元に戻せません。</translation>
    </message>
    <message>
        <source>the chat database</source>
        <translation>チャットデータベース</translation>
    </message>
    <message>
        <source>There is no backup %1. `tavrin-cli backups list` shows them.</source>
        <translation>バックアップ %1 はありません。`tavrin-cli backups list` で一覧を表示できます。</translation>
    </message>
    <message>
        <source>The backup %1 is gone.</source>
        <translation>バックアップ %1 はもうありません。</translation>
    </message>
    <message>
        <source>Restored %1 from its copy of %2 (with its -wal file).</source>
        <translation>%1 を %2 のコピーから復元しました（-wal ファイルも含む）。</translation>
    </message>
    <message>
        <source>Restored %1 from its copy of %2.</source>
        <translation>%1 を %2 のコピーから復元しました。</translation>
    </message>
    <message>
        <source>It did not exist until now.</source>
        <translation>このファイルはこれまで存在しませんでした。</translation>
    </message>
    <message>
        <source>What it held until now is kept as %1.</source>
        <translation>これまでの内容は %1 として残しています。</translation>
    </message>
    <message>
        <source>The unfinished switch still needs this copy: restore its files or keep them as they are first.</source>
        <translation>未完了の切り替えにはまだこのコピーが必要です。先にそのファイルを復元するか、現状のまま残してください。</translation>
    </message>
    <message>
        <source>Deleted the copy of %1 of %2 (%3).</source>
        <translation>%2 の %1 のコピーを削除しました（%3）。</translation>
    </message>
</context>
<context>
    <name>BackupPreview</name>
    <message>
        <source>This copy of the chat database lacks its main file, so it cannot be put back.</source>
        <translation>このチャットデータベースのコピーにはメインファイルがないため、元に戻せません。</translation>
    </message>
    <message>
        <source>The chat database now cannot be read: %1.</source>
        <translation>現在のチャットデータベースを読み取れません: %1。</translation>
    </message>
    <message>
        <source>Chat threads by provider, now and in the copy:</source>
        <translation>プロバイダー別のチャットスレッド（現在とコピー）:</translation>
    </message>
    <message>
        <source>  %1: %2 now, %3 in the copy</source>
        <translation>  %1: 現在 %2 件、コピーに %3 件</translation>
    </message>
    <message>
        <source>  no threads in either</source>
        <translation>  どちらにもスレッドはありません</translation>
    </message>
    <message>
        <source>There is no chat database now.</source>
        <translation>現在、チャットデータベースはありません。</translation>
    </message>
    <message>
        <source>The copy&apos;s -wal file is put back with it.</source>
        <translation>コピーの -wal ファイルも一緒に戻します。</translation>
    </message>
    <message>
        <source>%1 (the copy)</source>
        <translation>%1（コピー）</translation>
    </message>
    <message>
        <source>The record of a chat move to %1 (%2 session files). It lets the move be undone; it is not a file to put back.</source>
        <translation>%1 へのチャット移動の記録です（セッションファイル %2 個）。移動を取り消すためのもので、元に戻すファイルではありません。</translation>
    </message>
    <message>
        <source>%1 (now)</source>
        <translation>%1（現在）</translation>
    </message>
    <message>
        <source>%1 (does not exist now)</source>
        <translation>%1（現在は存在しません）</translation>
    </message>
</context>
<context>
    <name>BackupRetention</name>
    <message>
        <source>Could not save the backup settings in %1.</source>
        <translation>バックアップの設定を %1 に保存できませんでした。</translation>
    </message>
    <message>
        <source>No old backups to remove.</source>
        <translation>削除する古いバックアップはありません。</translation>
    </message>
    <message>
        <source>1 old backup</source>
        <translation>1 個の古いバックアップ</translation>
    </message>
    <message>
        <source>%1 old backups</source>
        <translation>%1 個の古いバックアップ</translation>
    </message>
    <message>
        <source>Would remove %1, %2.</source>
        <translation>%1（%2）を削除します。</translation>
    </message>
    <message>
        <source>Removed %1, %2.</source>
        <translation>%1（%2）を削除しました。</translation>
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
    <name>ChatDatabase</name>
    <message>
        <source>the backup path %1 holds a line break</source>
        <translation>バックアップのパス %1 に改行が含まれています</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 に書き込めませんでした: %2</translation>
    </message>
</context>
<context>
    <name>ChatMoveJournal</name>
    <message>
        <source>%1 is not a chat move journal.</source>
        <translation>%1 はチャット移動の記録ではありません。</translation>
    </message>
    <message>
        <source>Could not read %1: %2</source>
        <translation>%1 を読み取れませんでした: %2</translation>
    </message>
</context>
<context>
    <name>ChatSyncService</name>
    <message>
        <source>Unsafe model provider for chat sync: %1.</source>
        <translation>チャット同期のモデルプロバイダーが安全ではありません: %1。</translation>
    </message>
    <message>
        <source>Could not sync chats</source>
        <translation>チャットを同期できませんでした</translation>
    </message>
    <message>
        <source>Could not find Codex chat database.</source>
        <translation>Codex のチャットデータベースが見つかりません。</translation>
    </message>
    <message>
        <source>The sqlite3 tool is not installed.</source>
        <translation>sqlite3 ツールがインストールされていません。</translation>
    </message>
    <message>
        <source>Could not put the chats back</source>
        <translation>チャットを元に戻せませんでした</translation>
    </message>
    <message>
        <source>%1. %2 (journal: %3)</source>
        <translation>%1。%2（記録: %3）</translation>
    </message>
    <message>
        <source>session files changed since the move were left alone: %1</source>
        <translation>移動後に変更されたセッションファイルはそのままにしました: %1</translation>
    </message>
</context>
<context>
    <name>ClaudeRestarter</name>
    <message>
        <source>Could not restart Claude Code</source>
        <translation>Claude Code を再起動できませんでした</translation>
    </message>
</context>
<context>
    <name>ClaudeSettingsPatcher</name>
    <message>
        <source>Claude settings.json is not a JSON object.</source>
        <translation>Claude の settings.json が JSON オブジェクトではありません。</translation>
    </message>
    <message>
        <source>Claude settings.json is not valid JSON: %1.</source>
        <translation>Claude の settings.json が有効な JSON ではありません: %1。</translation>
    </message>
</context>
<context>
    <name>CloudControlService</name>
    <message>
        <source>Cloud server returned HTTP %1.</source>
        <translation>クラウドサーバーが HTTP %1 を返しました。</translation>
    </message>
    <message>
        <source>Cloud server returned an unexpected response.</source>
        <translation>クラウドサーバーから予期しない応答がありました。</translation>
    </message>
    <message>
        <source>Cloud server sent a response larger than %1 MB.</source>
        <translation>クラウドサーバーの応答が %1 MB を超えました。</translation>
    </message>
</context>
<context>
    <name>CloudPolicy</name>
    <message>
        <source>The cloud policy&apos;s &quot;%1&quot; is not a string.</source>
        <translation>クラウドポリシーの「%1」が文字列ではありません。</translation>
    </message>
    <message>
        <source>The cloud policy is not valid JSON</source>
        <translation>クラウドポリシーが有効な JSON ではありません</translation>
    </message>
    <message>
        <source>The cloud policy is not a JSON object.</source>
        <translation>クラウドポリシーが JSON オブジェクトではありません。</translation>
    </message>
</context>
<context>
    <name>CodexRestarter</name>
    <message>
        <source>Could not restart Codex</source>
        <translation>Codex を再起動できませんでした</translation>
    </message>
</context>
<context>
    <name>ConfigPatch</name>
    <message>
        <source>Could not update config.toml: %1 Nothing was written.</source>
        <translation>config.toml を更新できませんでした: %1 何も書き込んでいません。</translation>
    </message>
    <message>
        <source>with the change, the line &quot;%1&quot; would not be valid TOML (%2).</source>
        <translation>変更すると、行「%1」が有効な TOML になりません（%2）。</translation>
    </message>
    <message>
        <source>the change would also alter %1, which Tavrin does not manage.</source>
        <translation>この変更は Tavrin が管理していない %1 も変えてしまいます。</translation>
    </message>
    <message>
        <source>config.toml is not valid TOML, and read line by line the new text would not be right: %1</source>
        <translation>config.toml は有効な TOML ではなく、行ごとに読むと新しい内容が正しくなりません: %1</translation>
    </message>
</context>
<context>
    <name>ConfigPatcher</name>
    <message>
        <source>Could not read %1: the file is not valid UTF-8 text.</source>
        <translation>%1 を読み取れませんでした: 有効な UTF-8 テキストではありません。</translation>
    </message>
    <message>
        <source>Could not back up config.toml, so it was not changed</source>
        <translation>config.toml をバックアップできなかったため、変更していません</translation>
    </message>
</context>
<context>
    <name>ConfigReading</name>
    <message>
        <source>config.toml has no %1 table, so Codex would stop with &quot;Model provider `%2` not found&quot;. Add that table to config.toml or choose another model provider for this profile.</source>
        <translation>config.toml に %1 テーブルがないため、Codex は &quot;Model provider `%2` not found&quot; で停止します。そのテーブルを config.toml に追加するか、このプロファイルに別のモデルプロバイダーを選んでください。</translation>
    </message>
    <message>
        <source>config.toml: %1 has wire_api = &quot;chat&quot;, which Codex no longer supports. Change it to wire_api = &quot;responses&quot;.</source>
        <translation>config.toml: %1 に wire_api = &quot;chat&quot; がありますが、Codex はもうサポートしていません。wire_api = &quot;responses&quot; に変更してください。</translation>
    </message>
    <message>
        <source>config.toml: %1 does not set requires_openai_auth = true, so Codex would not send the API key. Set requires_openai_auth = true in that table.</source>
        <translation>config.toml: %1 に requires_openai_auth = true がないため、Codex は API キーを送信しません。そのテーブルに requires_openai_auth = true を設定してください。</translation>
    </message>
    <message>
        <source>%1 was not updated.</source>
        <translation>%1 は更新されませんでした。</translation>
    </message>
    <message>
        <source>%1 is still active.</source>
        <translation>%1 はまだ有効です。</translation>
    </message>
    <message>
        <source>%1 was not added.</source>
        <translation>%1 は追加されませんでした。</translation>
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
        <source>Delete Profile</source>
        <translation>プロファイルを削除</translation>
    </message>
</context>
<context>
    <name>CreditChecks</name>
    <message>
        <source>The limits service refused the key (HTTP %1).</source>
        <translation>利用上限サービスがキーを拒否しました（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service does not know this address (HTTP %1).</source>
        <translation>利用上限サービスはこのアドレスを認識していません（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service is busy; try again in a minute (HTTP %1).</source>
        <translation>利用上限サービスが混み合っています。1 分後にもう一度お試しください（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service failed to answer (HTTP %1).</source>
        <translation>利用上限サービスが応答できませんでした（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service answered with an error (HTTP %1).</source>
        <translation>利用上限サービスがエラーを返しました（HTTP %1）。</translation>
    </message>
    <message>
        <source>Could not check the credit: %1</source>
        <translation>クレジットを確認できませんでした: %1</translation>
    </message>
    <message>
        <source>Checked: the answer held no details.</source>
        <translation>確認済み: 応答に詳細はありませんでした。</translation>
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
    <name>Desktop</name>
    <message>
        <source>Stopping Codex&apos;s background server.</source>
        <translation>Codex のバックグラウンドサーバーを停止しています。</translation>
    </message>
    <message>
        <source>Stopped Codex&apos;s background server.</source>
        <translation>Codex のバックグラウンドサーバーを停止しました。</translation>
    </message>
    <message>
        <source>Codex&apos;s background server could not be stopped and keeps the old profile until restarted</source>
        <translation>Codex のバックグラウンドサーバーを停止できませんでした。再起動するまで古いプロファイルのままです</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>An unknown error occurred.</source>
        <translation>不明なエラーが発生しました。</translation>
    </message>
</context>
<context>
    <name>ExactJson</name>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1（%2 バイト目）</translation>
    </message>
    <message>
        <source>garbage at the end of the document</source>
        <translation>文書の末尾に余分なデータがあります</translation>
    </message>
    <message>
        <source>missing the name of an object member</source>
        <translation>オブジェクトのメンバー名がありません</translation>
    </message>
    <message>
        <source>missing name separator</source>
        <translation>名前の区切り文字がありません</translation>
    </message>
    <message>
        <source>unterminated object</source>
        <translation>オブジェクトが閉じられていません</translation>
    </message>
    <message>
        <source>unterminated array</source>
        <translation>配列が閉じられていません</translation>
    </message>
    <message>
        <source>invalid escape sequence</source>
        <translation>不正なエスケープシーケンス</translation>
    </message>
    <message>
        <source>invalid surrogate pair in a \u escape</source>
        <translation>\u エスケープのサロゲートペアが不正です</translation>
    </message>
    <message>
        <source>unterminated string</source>
        <translation>文字列が閉じられていません</translation>
    </message>
    <message>
        <source>invalid UTF-8 in a string</source>
        <translation>文字列に不正な UTF-8 があります</translation>
    </message>
    <message>
        <source>number too large to read</source>
        <translation>数値が大きすぎて読み取れません</translation>
    </message>
    <message>
        <source>illegal number</source>
        <translation>不正な数値</translation>
    </message>
    <message>
        <source>too deeply nested</source>
        <translation>入れ子が深すぎます</translation>
    </message>
    <message>
        <source>illegal value</source>
        <translation>不正な値</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>ファイルが空です</translation>
    </message>
    <message>
        <source>the file holds only white space</source>
        <translation>ファイルには空白しかありません</translation>
    </message>
    <message>
        <source>the document does not start with an object or an array</source>
        <translation>文書がオブジェクトまたは配列で始まっていません</translation>
    </message>
</context>
<context>
    <name>FileBackupService</name>
    <message>
        <source>Could not read config.toml at %1.</source>
        <translation>%1 にある config.toml を読み取れませんでした。</translation>
    </message>
</context>
<context>
    <name>FileLock</name>
    <message>
        <source>Could not open the lock file %1: %2</source>
        <translation>ロックファイル %1 を開けませんでした: %2</translation>
    </message>
    <message>
        <source>it is not a file.</source>
        <translation>ファイルではありません。</translation>
    </message>
    <message>
        <source>Could not lock %1: %2</source>
        <translation>%1 をロックできませんでした: %2</translation>
    </message>
    <message>
        <source>Another Tavrin program is saving profiles or keys. Try again in a moment.</source>
        <translation>別の Tavrin プログラムがプロファイルまたはキーを保存しています。しばらくしてからもう一度お試しください。</translation>
    </message>
</context>
<context>
    <name>FileUtil</name>
    <message>
        <source>%1 cannot be reached: its folders run into a symbolic link loop.</source>
        <translation>%1 にアクセスできません: フォルダーがシンボリックリンクのループになっています。</translation>
    </message>
    <message>
        <source>Could not look at %1: %2</source>
        <translation>%1 を確認できませんでした: %2</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ソケット</translation>
    </message>
    <message>
        <source>a named pipe</source>
        <translation>名前付きパイプ</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>デバイス</translation>
    </message>
    <message>
        <source>a special file</source>
        <translation>特殊ファイル</translation>
    </message>
    <message>
        <source>Could not copy %1 to %2: %3</source>
        <translation>%1 を %2 にコピーできませんでした: %3</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>シンボリックリンクです</translation>
    </message>
    <message>
        <source>it is %1, not a file</source>
        <translation>%1であり、ファイルではありません</translation>
    </message>
    <message>
        <source>%1 is a symbolic link loop.</source>
        <translation>%1 はシンボリックリンクのループです。</translation>
    </message>
    <message>
        <source>%1 is a symbolic link to %2, which does not exist.</source>
        <translation>%1 は %2 へのシンボリックリンクですが、%2 は存在しません。</translation>
    </message>
    <message>
        <source>%1 is a symbolic link to %2, not to a file.</source>
        <translation>%1 は %2 へのシンボリックリンクで、ファイルを指していません。</translation>
    </message>
    <message>
        <source>%1 is %2, not a file.</source>
        <translation>%1 は%2で、ファイルではありません。</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>フォルダー %1 を作成できませんでした。</translation>
    </message>
    <message>
        <source>Could not read %1: %2</source>
        <translation>%1 を読み取れませんでした: %2</translation>
    </message>
    <message>
        <source>Not enough disk space to write %1.</source>
        <translation>ディスクの空き容量が足りず、%1 を書き込めません。</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 に書き込めませんでした: %2</translation>
    </message>
    <message>
        <source>the destination already exists.</source>
        <translation>コピー先がすでに存在します。</translation>
    </message>
    <message>
        <source>Could not remove %1: %2</source>
        <translation>%1 を削除できませんでした: %2</translation>
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
    <name>HttpTransport</name>
    <message>
        <source>The request timed out.</source>
        <translation>リクエストがタイムアウトしました。</translation>
    </message>
</context>
<context>
    <name>KeyDeletion</name>
    <message>
        <source>%1 more</source>
        <translation>ほか %1 件</translation>
    </message>
    <message>
        <source>1 backup copy</source>
        <translation>1 個のバックアップコピー</translation>
    </message>
    <message>
        <source>%1 backup copies</source>
        <translation>%1 個のバックアップコピー</translation>
    </message>
    <message>
        <source>The key of %1 is still stored; try again.</source>
        <translation>%1 のキーはまだ保存されています。もう一度お試しください。</translation>
    </message>
    <message>
        <source>Also emptied it in %1 and deleted %2 that held nothing else.</source>
        <translation>%1 でも空にし、キーしか含まない %2 個のファイルを削除しました。</translation>
    </message>
    <message>
        <source>Also emptied it in %1.</source>
        <translation>%1 でも空にしました。</translation>
    </message>
    <message>
        <source>Also deleted %1 that held it and nothing else.</source>
        <translation>キーしか含まない %1 も削除しました。</translation>
    </message>
    <message>
        <source>Delete the API key of “%1”?</source>
        <translation>「%1」の API キーを削除しますか？</translation>
    </message>
    <message>
        <source>The key is deleted from Tavrin&apos;s key store.</source>
        <translation>キーは Tavrin のキー保管場所から削除されます。</translation>
    </message>
    <message>
        <source>It is also emptied in %1 that keep other settings, every other line as it was: %2.</source>
        <translation>ほかの設定を含む%1でも空にし、ほかの行はそのまま残します: %2。</translation>
    </message>
    <message>
        <source>%1 cannot be read as JSON and still hold the key; remove them by hand if you no longer need them.</source>
        <translation>%1 は JSON として読み取れず、キーが残ったままです。不要であれば手動で削除してください。</translation>
    </message>
    <message>
        <source>%1 is active for %2: its key stays in %3 until you switch to another profile.</source>
        <translation>%1 は %2 で使用中です。別のプロファイルに切り替えるまで、そのキーは %3 に残ります。</translation>
    </message>
    <message>
        <source>%1 holds the same key, which %2 uses now: it stays there until you switch %2 to another profile.</source>
        <translation>%1 には同じキーがあり、%2 が現在使っています。%2 を別のプロファイルに切り替えるまで、そこに残ります。</translation>
    </message>
    <message>
        <source>%1 has no stored key to delete.</source>
        <translation>%1 には削除できる保存済みのキーがありません。</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>%1 that held nothing but the key and what Tavrin writes is deleted: %2.</source>
        <translation>キーと Tavrin が書き込む内容しか含まない%1を削除しました: %2。</translation>
    </message>
    <message>
        <source>%1 that held nothing but the key and what Tavrin writes are deleted: %2.</source>
        <translation>キーと Tavrin が書き込む内容しか含まない%1を削除しました: %2。</translation>
    </message>
    <message>
        <source>Delete the profile “%1”?</source>
        <translation>プロファイル「%1」を削除しますか？</translation>
    </message>
    <message>
        <source>Its settings are removed from Tavrin&apos;s profiles.</source>
        <translation>その設定は Tavrin のプロファイルから削除されます。</translation>
    </message>
    <message>
        <source>Its API key goes with it.</source>
        <translation>その API キーも一緒に削除されます。</translation>
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
    <name>KeyStorage</name>
    <message>
        <source>1 API key</source>
        <translation>1 個の API キー</translation>
    </message>
    <message>
        <source>%1 API keys</source>
        <translation>%1 個の API キー</translation>
    </message>
    <message>
        <source>The keys changed while they were being moved. Try again.</source>
        <translation>キーの移動中にキーが変更されました。もう一度お試しください。</translation>
    </message>
    <message>
        <source>API keys are kept in the system keyring.</source>
        <translation>API キーはシステムのキーリングに保管されています。</translation>
    </message>
    <message>
        <source>API keys are kept in %1.</source>
        <translation>API キーは %1 に保管されています。</translation>
    </message>
    <message>
        <source>A key cannot be blank.</source>
        <translation>キーを空にすることはできません。</translation>
    </message>
    <message>
        <source>%1 Nothing needed moving.</source>
        <translation>%1 移す必要のあるものはありませんでした。</translation>
    </message>
    <message>
        <source>The system keyring gave back another key for %1.</source>
        <translation>システムのキーリングが %1 に別のキーを返しました。</translation>
    </message>
    <message>
        <source>No key was moved; they stay in %1. %2</source>
        <translation>キーは移していません。%1 に残っています。%2</translation>
    </message>
    <message>
        <source>The keys were moved to the system keyring, but %1 still holds them: %2</source>
        <translation>キーはシステムのキーリングに移しましたが、%1 にもまだ残っています: %2</translation>
    </message>
    <message>
        <source>Moved %1 to the system keyring; %2 holds none now.</source>
        <translation>%1 をシステムのキーリングに移しました。%2 にはもうキーはありません。</translation>
    </message>
    <message>
        <source>No key was moved; they stay in the system keyring. %1</source>
        <translation>キーは移していません。システムのキーリングに残っています。%1</translation>
    </message>
    <message>
        <source>Moved %1 to %2.</source>
        <translation>%1 を %2 に移しました。</translation>
    </message>
    <message>
        <source>%1 did not give back the key for %2.</source>
        <translation>%1 から %2 のキーを取り出せませんでした。</translation>
    </message>
    <message>
        <source>The system keyring could not remove its copy for %1: remove the entries of &quot;Tavrin&quot; there yourself.</source>
        <translation>システムのキーリングから %1 のコピーを削除できませんでした。そこにある「Tavrin」の項目をご自身で削除してください。</translation>
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
    <name>KeyStoreSettings</name>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>%1 を読み取れません: %2。</translation>
    </message>
    <message>
        <source>it does not say where the keys are</source>
        <translation>キーの保管場所が書かれていません</translation>
    </message>
</context>
<context>
    <name>Keyring</name>
    <message>
        <source>Tavrin quits</source>
        <translation>Tavrin が終了します</translation>
    </message>
    <message>
        <source>The system keyring refused access</source>
        <translation>システムのキーリングがアクセスを拒否しました</translation>
    </message>
    <message>
        <source>The system keyring cannot be used</source>
        <translation>システムのキーリングを使えません</translation>
    </message>
    <message>
        <source>The system keyring is not available.</source>
        <translation>システムのキーリングを利用できません。</translation>
    </message>
    <message>
        <source>The system keyring is not available: a Secret Service such as GNOME Keyring or KWallet must be running.</source>
        <translation>システムのキーリングを利用できません: GNOME Keyring や KWallet などの Secret Service を実行している必要があります。</translation>
    </message>
    <message>
        <source>The system keyring could not be used</source>
        <translation>システムのキーリングを使用できませんでした</translation>
    </message>
    <message>
        <source>The system keyring did not answer within %1 seconds. If it asks for its password, unlock it and try again.</source>
        <translation>システムのキーリングが %1 秒以内に応答しませんでした。パスワードを求められた場合は、ロックを解除してもう一度お試しください。</translation>
    </message>
    <message>
        <source>The system keyring cannot wait for itself.</source>
        <translation>システムのキーリングは自分自身を待つことはできません。</translation>
    </message>
    <message>
        <source>Tavrin is not running</source>
        <translation>Tavrin が実行されていません</translation>
    </message>
</context>
<context>
    <name>KeyringKeyStore</name>
    <message>
        <source>The key for %1 could not be read.</source>
        <translation>%1 のキーを読み取れませんでした。</translation>
    </message>
    <message>
        <source>The key for %1 was not saved.</source>
        <translation>%1 のキーは保存されませんでした。</translation>
    </message>
    <message>
        <source>The key for %1 was not deleted.</source>
        <translation>%1 のキーは削除されませんでした。</translation>
    </message>
</context>
<context>
    <name>LimitCheckerService</name>
    <message>
        <source>No limits endpoint</source>
        <translation>利用上限のエンドポイントなし</translation>
    </message>
    <message>
        <source>API key missing</source>
        <translation>API キーがありません</translation>
    </message>
    <message>
        <source>Ready to check</source>
        <translation>確認できます</translation>
    </message>
    <message>
        <source>Unexpected response</source>
        <translation>予期しない応答</translation>
    </message>
    <message>
        <source>API key contains a line break</source>
        <translation>API キーに改行が含まれています</translation>
    </message>
    <message>
        <source>Response larger than %1 MB</source>
        <translation>応答が %1 MB を超えています</translation>
    </message>
    <message>
        <source>Checked</source>
        <translation>確認済み</translation>
    </message>
</context>
<context>
    <name>LinuxDesktop</name>
    <message>
        <source>%1 is not installed: no `%2` on PATH.</source>
        <translation>%1 がインストールされていません: PATH に `%2` がありません。</translation>
    </message>
    <message>
        <source>No terminal emulator found: set $TERMINAL to the one you use, or install xterm.</source>
        <translation>端末エミュレーターが見つかりません: $TERMINAL に使っている端末を設定するか、xterm をインストールしてください。</translation>
    </message>
    <message>
        <source>No terminal emulator found: $TERMINAL names &quot;%1&quot;, which is not installed; set it to the one you use, or install xterm.</source>
        <translation>端末エミュレーターが見つかりません: $TERMINAL が指定する「%1」はインストールされていません。使っている端末を設定するか、xterm をインストールしてください。</translation>
    </message>
    <message>
        <source>1 %1 process keeps the old profile until restarted.</source>
        <translation>1 個の %1 プロセスは、再起動するまで古いプロファイルのままです。</translation>
    </message>
    <message>
        <source>%1 %2 processes keep the old profile until restarted.</source>
        <translation>%1 個の %2 プロセスは、再起動するまで古いプロファイルのままです。</translation>
    </message>
    <message>
        <source>No systemd user manager: the launch environment was left as it was.</source>
        <translation>systemd のユーザーマネージャーがありません。起動環境はそのままです。</translation>
    </message>
    <message>
        <source>The D-Bus activation environment was not updated</source>
        <translation>D-Bus のアクティベーション環境は更新されませんでした</translation>
    </message>
    <message>
        <source>$TERMINAL names &quot;%1&quot;, which was not found: opened %2 instead.</source>
        <translation>$TERMINAL は「%1」を指定していますが、見つかりませんでした。代わりに %2 を開きました。</translation>
    </message>
</context>
<context>
    <name>LocalKeysService</name>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>%1 を読み取れません: %2。</translation>
    </message>
    <message>
        <source>it is not valid JSON (%1 at byte %2)</source>
        <translation>有効な JSON ではありません（%2 バイト目で %1）</translation>
    </message>
    <message>
        <source>it does not hold a key text for each profile</source>
        <translation>各プロファイルのキーの文字列が含まれていません</translation>
    </message>
    <message>
        <source>Could not move the unreadable key file %1 aside.</source>
        <translation>読み取れないキーファイル %1 を退避できませんでした。</translation>
    </message>
</context>
<context>
    <name>MacDesktop</name>
    <message>
        <source>Quitting Codex.</source>
        <translation>Codex を終了しています。</translation>
    </message>
</context>
<context>
    <name>Modules</name>
    <message>
        <source>Tavrin&apos;s %1 module could not be loaded</source>
        <translation>Tavrin の %1 モジュールを読み込めませんでした</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>The profiles file could not be read: &quot;%1&quot; %2 in %3.</source>
        <translation>プロファイルファイルを読み取れません: %3 の「%1」%2。</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>がありません</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>が文字列ではありません</translation>
    </message>
    <message>
        <source>is not true or false</source>
        <translation>が true でも false でもありません</translation>
    </message>
    <message>
        <source>The profiles file is not valid JSON: %1 at byte %2.</source>
        <translation>プロファイルファイルが有効な JSON ではありません: %2 バイト目で %1。</translation>
    </message>
    <message>
        <source>The profiles file is not a JSON object.</source>
        <translation>プロファイルファイルが JSON オブジェクトではありません。</translation>
    </message>
    <message>
        <source>the document</source>
        <translation>文書</translation>
    </message>
    <message>
        <source>is not a list</source>
        <translation>がリストではありません</translation>
    </message>
    <message>
        <source>profile %1</source>
        <translation>プロファイル %1</translation>
    </message>
    <message>
        <source>The profiles file could not be read: %1 is not an object.</source>
        <translation>プロファイルファイルを読み取れません: %1 がオブジェクトではありません。</translation>
    </message>
</context>
<context>
    <name>ProfileEditorState</name>
    <message>
        <source>New Velqor</source>
        <translation>新しい Velqor</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>オフ</translation>
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
    <name>ProfilesStore</name>
    <message>
        <source>Profile &apos;%1&apos; was not found.</source>
        <translation>プロファイル「%1」が見つかりません。</translation>
    </message>
    <message>
        <source>The active profile cannot be deleted.</source>
        <translation>使用中のプロファイルは削除できません。</translation>
    </message>
    <message>
        <source>Profiles are read-only because %1 could not be read (%2). Fix or move the file, then reopen Tavrin.</source>
        <translation>%1 を読み取れなかったため（%2）、プロファイルは読み取り専用です。ファイルを修正するか移動してから、Tavrin を開き直してください。</translation>
    </message>
    <message>
        <source>Profiles cannot be saved: the folder %1 is not writable.</source>
        <translation>プロファイルを保存できません: フォルダー %1 に書き込めません。</translation>
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
    <name>ProxyURLFormatter</name>
    <message>
        <source>it is not a valid URL</source>
        <translation>有効な URL ではありません</translation>
    </message>
    <message>
        <source>its scheme &quot;%1&quot; is not http, https or socks5</source>
        <translation>スキーム「%1」は http、https、socks5 のいずれでもありません</translation>
    </message>
    <message>
        <source>it has no host</source>
        <translation>ホストがありません</translation>
    </message>
</context>
<context>
    <name>RecoveryPrompt</name>
    <message>
        <source>The record of the last switch cannot be read.</source>
        <translation>前回の切り替えの記録を読み取れません。</translation>
    </message>
    <message>
        <source>Set it aside? The files stay as they are, and the record is kept as a dated copy beside it.</source>
        <translation>退避しますか？ファイルはそのままで、記録は日付付きのコピーとして横に残ります。</translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation>退避する</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>今はしない</translation>
    </message>
    <message>
        <source>Set the switch journal aside as %1.</source>
        <translation>切り替えの記録を %1 として退避しました。</translation>
    </message>
    <message>
        <source>The last switch did not finish.</source>
        <translation>前回の切り替えは完了しませんでした。</translation>
    </message>
    <message>
        <source>Restore the files from before it? What they hold now is kept beside the copies.</source>
        <translation>それ以前のファイルを復元しますか？現在の内容はコピーの横に残ります。</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>復元</translation>
    </message>
    <message>
        <source>Keep As Is</source>
        <translation>現状のまま</translation>
    </message>
    <message>
        <source>Kept the files of the interrupted switch as they are.</source>
        <translation>中断した切り替えのファイルを現状のまま残しました。</translation>
    </message>
</context>
<context>
    <name>SessionFiles</name>
    <message>
        <source>Could not read %1: %2</source>
        <translation>%1 を読み取れませんでした: %2</translation>
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
    <message>
        <source>Off</source>
        <translation>オフ</translation>
    </message>
</context>
<context>
    <name>ShellService</name>
    <message>
        <source>%1 milliseconds</source>
        <translation>%1 ミリ秒</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 分</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 秒</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>The command did not finish within %1 and was stopped.</source>
        <translation>コマンドが %1以内に終わらなかったため、停止しました。</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>%1 を起動できませんでした: %2</translation>
    </message>
    <message>
        <source>Could not write to %1: %2</source>
        <translation>%1 に書き込めませんでした: %2</translation>
    </message>
    <message>
        <source>%1 ended before it had read its input.</source>
        <translation>%1 は入力を読み終える前に終了しました。</translation>
    </message>
</context>
<context>
    <name>SwitchFlow</name>
    <message>
        <source>%1 has no API key. Add it in Profiles.</source>
        <translation>%1 には API キーがありません。「プロファイル」で追加してください。</translation>
    </message>
    <message>
        <source>The proxy of %1 cannot be used: %2.</source>
        <translation>%1 のプロキシは使えません: %2。</translation>
    </message>
    <message>
        <source>Claude Code cannot use a SOCKS5 proxy; use an HTTP proxy for this profile.</source>
        <translation>Claude Code は SOCKS5 プロキシを使えません。このプロファイルには HTTP プロキシを使ってください。</translation>
    </message>
    <message>
        <source>Select a profile first</source>
        <translation>先にプロファイルを選んでください</translation>
    </message>
    <message>
        <source>Updated config.toml.</source>
        <translation>config.toml を更新しました。</translation>
    </message>
    <message>
        <source>Updated auth.json.</source>
        <translation>auth.json を更新しました。</translation>
    </message>
    <message>
        <source>Starting Codex.</source>
        <translation>Codex を起動しています。</translation>
    </message>
    <message>
        <source>Codex switched to %1.</source>
        <translation>Codex を %1 に切り替えました。</translation>
    </message>
    <message>
        <source>Codex is not logged in: run `codex login`.</source>
        <translation>Codex にログインしていません: `codex login` を実行してください。</translation>
    </message>
    <message>
        <source>Updated settings.json.</source>
        <translation>settings.json を更新しました。</translation>
    </message>
    <message>
        <source>Opening Claude Code.</source>
        <translation>Claude Code を開いています。</translation>
    </message>
    <message>
        <source>The switch to %1 itself is complete.</source>
        <translation>%1 への切り替え自体は完了しています。</translation>
    </message>
    <message>
        <source>Claude Code switched to %1.</source>
        <translation>Claude Code を %1 に切り替えました。</translation>
    </message>
    <message>
        <source>Claude Code API session opened for %1.</source>
        <translation>%1 の Claude Code API セッションを開きました。</translation>
    </message>
    <message>
        <source>Claude Code account session opened for %1.</source>
        <translation>%1 の Claude Code アカウントセッションを開きました。</translation>
    </message>
    <message>
        <source>Claude Code is not logged in: run `claude` and then /login.</source>
        <translation>Claude Code にログインしていません: `claude` を実行してから /login を入力してください。</translation>
    </message>
    <message>
        <source>Synced %1 chats.</source>
        <translation>%1 件のチャットを同期しました。</translation>
    </message>
    <message>
        <source>%1 chat files could not be changed and were skipped.</source>
        <translation>%1 個のチャットファイルは変更できなかったため、スキップしました。</translation>
    </message>
    <message>
        <source>Chats not moved: %1.</source>
        <translation>チャットは移動されませんでした: %1。</translation>
    </message>
    <message>
        <source>Opened Codex.</source>
        <translation>Codex を開きました。</translation>
    </message>
    <message>
        <source>Opened Claude Code.</source>
        <translation>Claude Code を開きました。</translation>
    </message>
    <message>
        <source>Opened Codex with %1.</source>
        <translation>%1 で Codex を開きました。</translation>
    </message>
    <message>
        <source>Opened Claude Code with %1.</source>
        <translation>%1 で Claude Code を開きました。</translation>
    </message>
    <message>
        <source>1 chat file could not be changed and was skipped.</source>
        <translation>1 個のチャットファイルは変更できなかったため、スキップしました。</translation>
    </message>
</context>
<context>
    <name>SwitchJournal</name>
    <message>
        <source>not a file a switch changes</source>
        <translation>切り替えが変更するファイルではありません</translation>
    </message>
    <message>
        <source>its copy %1 is not one a switch makes</source>
        <translation>コピー %1 は切り替えが作成するものではありません</translation>
    </message>
    <message>
        <source>The switch journal %1 cannot be read. Look at it, then set it aside in the window or with `tavrin-cli recover --discard`.</source>
        <translation>切り替えの記録 %1 を読み取れません。内容を確認してから、ウィンドウで、または `tavrin-cli recover --discard` で退避してください。</translation>
    </message>
    <message>
        <source>%1 (not a chat move journal a switch writes)</source>
        <translation>%1（切り替えが書き込むチャット移動の記録ではありません）</translation>
    </message>
    <message>
        <source>as before the switch</source>
        <translation>切り替え前と同じ</translation>
    </message>
    <message>
        <source>%1 of %2 moved to %3, %4 of %5 session files rewritten</source>
        <translation>%2 件中 %1 件を %3 に移動、%5 個中 %4 個のセッションファイルを書き換え済み</translation>
    </message>
    <message>
        <source>cannot tell (%1)</source>
        <translation>判断できません（%1）</translation>
    </message>
    <message>
        <source>The last restore of %1</source>
        <translation>前回の %1 の復元</translation>
    </message>
    <message>
        <source>The last switch of %1 to %2</source>
        <translation>前回の %1 から %2 への切り替え</translation>
    </message>
    <message>
        <source>no copy was taken before the switch</source>
        <translation>切り替え前にコピーは作成されていません</translation>
    </message>
    <message>
        <source>Could not restore %1 (%2).</source>
        <translation>%1 を復元できませんでした（%2）。</translation>
    </message>
    <message>
        <source>Could not restore %1 (%2); its copy from before the switch is %3.</source>
        <translation>%1 を復元できませんでした（%2）。切り替え前のコピーは %3 です。</translation>
    </message>
    <message>
        <source>the chats</source>
        <translation>チャット</translation>
    </message>
    <message>
        <source>%1 (not a session file a chat move changes)</source>
        <translation>%1（チャットの移動が変更するセッションファイルではありません）</translation>
    </message>
    <message>
        <source>Could not move the chats back (%1).</source>
        <translation>チャットを元に戻せませんでした（%1）。</translation>
    </message>
    <message>
        <source>%1 did not finish. Restore the files from before it, or keep them as they are, first (in the window, or with `tavrin-cli recover`).</source>
        <translation>%1 は完了しませんでした。先に、それ以前のファイルを復元するか、現状のまま残してください（ウィンドウで、または `tavrin-cli recover` で）。</translation>
    </message>
    <message>
        <source>%1 (started %2) did not finish.</source>
        <translation>%1（%2 に開始）は完了しませんでした。</translation>
    </message>
    <message>
        <source>created by the switch</source>
        <translation>切り替えで作成</translation>
    </message>
    <message>
        <source>not created</source>
        <translation>作成されていません</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>changed by the switch</source>
        <translation>切り替えで変更済み</translation>
    </message>
    <message>
        <source>changed by the switch (its copy cannot be read)</source>
        <translation>切り替えで変更済み（コピーを読み取れません）</translation>
    </message>
    <message>
        <source>chats: %1</source>
        <translation>チャット: %1</translation>
    </message>
    <message>
        <source>ignored: %1</source>
        <translation>無視: %1</translation>
    </message>
    <message>
        <source>The interrupted switch has been dealt with meanwhile; nothing was restored.</source>
        <translation>中断した切り替えはその間に処理済みです。何も復元していません。</translation>
    </message>
    <message>
        <source>The record of the interrupted switch changed meanwhile; nothing was restored. Look at it again.</source>
        <translation>中断した切り替えの記録がその間に変更されました。何も復元していません。もう一度確認してください。</translation>
    </message>
    <message>
        <source>the active profile</source>
        <translation>使用中のプロファイル</translation>
    </message>
    <message>
        <source>Could not restore the active profile (%1).</source>
        <translation>使用中のプロファイルを復元できませんでした（%1）。</translation>
    </message>
    <message>
        <source>Ignored %1.</source>
        <translation>%1 を無視しました。</translation>
    </message>
    <message>
        <source>Nothing needed restoring.</source>
        <translation>復元が必要なものはありませんでした。</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 と %2</translation>
    </message>
    <message>
        <source>Restored %1 from before the switch.</source>
        <translation>%1 を切り替えの前の状態に戻しました。</translation>
    </message>
    <message>
        <source>Restored %1 from before the restore.</source>
        <translation>%1 を復元の前の状態に戻しました。</translation>
    </message>
    <message>
        <source>Restored %1 from before the interrupted switch. What the files held until now is kept beside their copies (*.before-restore-*).</source>
        <translation>%1 を中断した切り替えの前の状態に戻しました。ファイルのこれまでの内容はコピーの横に残っています（*.before-restore-*）。</translation>
    </message>
    <message>
        <source>Restored %1 from before the interrupted restore. What the files held until now is kept beside their copies (*.before-restore-*).</source>
        <translation>%1 を中断した復元の前の状態に戻しました。ファイルのこれまでの内容はコピーの横に残っています（*.before-restore-*）。</translation>
    </message>
</context>
<context>
    <name>SwitchLock</name>
    <message>
        <source>not a file</source>
        <translation>ファイルではありません</translation>
    </message>
    <message>
        <source>Could not open the switch lock %1: %2.</source>
        <translation>切り替えのロック %1 を開けませんでした: %2。</translation>
    </message>
    <message>
        <source>Could not lock %1: %2.</source>
        <translation>%1 をロックできませんでした: %2。</translation>
    </message>
    <message>
        <source>Another switch is running. Try again when it has finished.</source>
        <translation>別の切り替えを実行中です。完了してからもう一度お試しください。</translation>
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
    <name>TextDiff</name>
    <message>
        <source>No difference.</source>
        <translation>差分はありません。</translation>
    </message>
    <message>
        <source>The files hold binary data and differ: %1 bytes and %2 bytes.</source>
        <translation>ファイルはバイナリデータで、内容が異なります: %1 バイトと %2 バイト。</translation>
    </message>
    <message>
        <source>The files differ in more lines than can be shown (%1 lines and %2 lines).</source>
        <translation>ファイルの差分が多すぎて表示できません（%1 行と %2 行）。</translation>
    </message>
    <message>
        <source>Line endings: %1 in %2, %3 in %4.</source>
        <translation>改行コード: %2 は %1、%4 は %3。</translation>
    </message>
</context>
<context>
    <name>TrayMenuModel</name>
    <message>
        <source>No profile</source>
        <translation>プロファイルなし</translation>
    </message>
    <message>
        <source>Open Tavrin</source>
        <translation>Tavrin を開く</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Update required</source>
        <translation>アップデートが必要です</translation>
    </message>
    <message>
        <source>Switching is off until Tavrin %1 or newer is installed.</source>
        <translation>Tavrin %1 以降をインストールするまで、切り替えはできません。</translation>
    </message>
    <message>
        <source>Get the Update…</source>
        <translation>アップデートを入手…</translation>
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
