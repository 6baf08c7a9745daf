<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>Keeps account profiles for Codex and Claude Code and switches either one to the profile you pick.</source>
        <translation>为 Codex 和 Claude Code 保存账户配置，并将其中任一切换到你选择的配置。</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>许可证：%1</translation>
    </message>
    <message>
        <source>Project: %1</source>
        <translation>项目：%1</translation>
    </message>
    <message>
        <source>Velqor API keys: %1</source>
        <translation>Velqor API 密钥：%1</translation>
    </message>
    <message>
        <source>Tavrin&apos;s files:</source>
        <translation>Tavrin 的文件：</translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation>关于 Tavrin</translation>
    </message>
</context>
<context>
    <name>ActivityPopover</name>
    <message>
        <source>Recent activity</source>
        <translation>最近活动</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
</context>
<context>
    <name>AppTab</name>
    <message>
        <source>Switch</source>
        <translation>切换</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>配置</translation>
    </message>
</context>
<context>
    <name>AppViewModel</name>
    <message>
        <source>Profiles loaded</source>
        <translation>已加载配置</translation>
    </message>
    <message>
        <source>Locked</source>
        <translation>已锁定</translation>
    </message>
    <message>
        <source>Restart Codex</source>
        <translation>重启 Codex</translation>
    </message>
    <message>
        <source>Open Claude Code</source>
        <translation>打开 Claude Code</translation>
    </message>
    <message>
        <source>Switch Profile</source>
        <translation>切换配置</translation>
    </message>
    <message>
        <source>Update required</source>
        <translation>需要更新</translation>
    </message>
    <message>
        <source>Select a profile first</source>
        <translation>请先选择一个配置</translation>
    </message>
    <message>
        <source>Update available</source>
        <translation>有可用更新</translation>
    </message>
    <message>
        <source>Access active</source>
        <translation>访问已启用</translation>
    </message>
    <message>
        <source>Cloud check failed: %1</source>
        <translation>云端检查失败：%1</translation>
    </message>
    <message>
        <source>Cloud control is off</source>
        <translation>云端控制已关闭</translation>
    </message>
    <message>
        <source>Cloud policy loaded</source>
        <translation>已加载云端策略</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>Removed 1 temporary file left by an interrupted write.</source>
        <translation>已删除 1 个因写入中断而遗留的临时文件。</translation>
    </message>
    <message>
        <source>Removed %1 temporary files left by an interrupted write.</source>
        <translation>已删除 %1 个因写入中断而遗留的临时文件。</translation>
    </message>
</context>
<context>
    <name>AuthPatcher</name>
    <message>
        <source>Could not read %1: it is not valid JSON (%2).</source>
        <translation>无法读取 %1：它不是有效的 JSON（%2）。</translation>
    </message>
</context>
<context>
    <name>BackupCatalogue</name>
    <message>
        <source>chat database</source>
        <translation>聊天数据库</translation>
    </message>
    <message>
        <source>chat move</source>
        <translation>聊天迁移</translation>
    </message>
    <message>
        <source>1 byte</source>
        <translation>1 字节</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 字节</translation>
    </message>
</context>
<context>
    <name>BackupManager</name>
    <message>
        <source>A chat move record is not a file to put back: it lets the move it records be undone.</source>
        <translation>聊天迁移记录不是可放回的文件：它用于撤销所记录的迁移。</translation>
    </message>
    <message>
        <source>This copy of the chat database lacks its main file, so it cannot be put back.</source>
        <translation>此聊天数据库副本缺少主文件，因此无法放回。</translation>
    </message>
    <message>
        <source>%1 is not an SQLite database; it cannot be put back.</source>
        <translation>%1 不是 SQLite 数据库，无法放回。</translation>
    </message>
    <message>
        <source>the chat database</source>
        <translation>聊天数据库</translation>
    </message>
    <message>
        <source>There is no backup %1. `tavrin-cli backups list` shows them.</source>
        <translation>没有备份 %1。`tavrin-cli backups list` 可列出所有备份。</translation>
    </message>
    <message>
        <source>The backup %1 is gone.</source>
        <translation>备份 %1 已不存在。</translation>
    </message>
    <message>
        <source>Restored %1 from its copy of %2 (with its -wal file).</source>
        <translation>已从 %2 的副本恢复 %1（连同其 -wal 文件）。</translation>
    </message>
    <message>
        <source>Restored %1 from its copy of %2.</source>
        <translation>已从 %2 的副本恢复 %1。</translation>
    </message>
    <message>
        <source>It did not exist until now.</source>
        <translation>此前该文件不存在。</translation>
    </message>
    <message>
        <source>What it held until now is kept as %1.</source>
        <translation>它此前的内容保留为 %1。</translation>
    </message>
    <message>
        <source>The unfinished switch still needs this copy: restore its files or keep them as they are first.</source>
        <translation>未完成的切换仍需要此副本：请先恢复其文件，或保留文件现状。</translation>
    </message>
    <message>
        <source>Deleted the copy of %1 of %2 (%3).</source>
        <translation>已删除 %2 的 %1 副本（%3）。</translation>
    </message>
</context>
<context>
    <name>BackupPreview</name>
    <message>
        <source>This copy of the chat database lacks its main file, so it cannot be put back.</source>
        <translation>此聊天数据库副本缺少主文件，因此无法放回。</translation>
    </message>
    <message>
        <source>The chat database now cannot be read: %1.</source>
        <translation>当前的聊天数据库无法读取：%1。</translation>
    </message>
    <message>
        <source>Chat threads by provider, now and in the copy:</source>
        <translation>按提供方统计的聊天会话（当前与副本中）：</translation>
    </message>
    <message>
        <source>  %1: %2 now, %3 in the copy</source>
        <translation>  %1：当前 %2 个，副本中 %3 个</translation>
    </message>
    <message>
        <source>  no threads in either</source>
        <translation>  两者中都没有会话</translation>
    </message>
    <message>
        <source>There is no chat database now.</source>
        <translation>当前没有聊天数据库。</translation>
    </message>
    <message>
        <source>The copy&apos;s -wal file is put back with it.</source>
        <translation>副本的 -wal 文件会一同放回。</translation>
    </message>
    <message>
        <source>%1 (the copy)</source>
        <translation>%1（副本）</translation>
    </message>
    <message>
        <source>The record of a chat move to %1 (%2 session files). It lets the move be undone; it is not a file to put back.</source>
        <translation>迁移到 %1 的聊天迁移记录（%2 个会话文件）。它用于撤销迁移，不是可放回的文件。</translation>
    </message>
    <message>
        <source>%1 (now)</source>
        <translation>%1（当前）</translation>
    </message>
    <message>
        <source>%1 (does not exist now)</source>
        <translation>%1（当前不存在）</translation>
    </message>
</context>
<context>
    <name>BackupRetention</name>
    <message>
        <source>Could not save the backup settings in %1.</source>
        <translation>无法将备份设置保存到 %1。</translation>
    </message>
    <message>
        <source>No old backups to remove.</source>
        <translation>没有要删除的旧备份。</translation>
    </message>
    <message>
        <source>1 old backup</source>
        <translation>1 个旧备份</translation>
    </message>
    <message>
        <source>%1 old backups</source>
        <translation>%1 个旧备份</translation>
    </message>
    <message>
        <source>Would remove %1, %2.</source>
        <translation>将删除 %1，共 %2。</translation>
    </message>
    <message>
        <source>Removed %1, %2.</source>
        <translation>已删除 %1，共 %2。</translation>
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
        <translation>%1（恢复前）</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Made</source>
        <translation>创建时间</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>Select a copy to see what restoring it would change.</source>
        <translation>选择一个副本，查看恢复它会改变什么。</translation>
    </message>
    <message>
        <source>Restore…</source>
        <translation>恢复…</translation>
    </message>
    <message>
        <source>Delete…</source>
        <translation>删除…</translation>
    </message>
    <message>
        <source>all</source>
        <translation>全部</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <source>no limit</source>
        <translation>不限</translation>
    </message>
    <message>
        <source>Remove Old Copies Now</source>
        <translation>立即删除旧副本</translation>
    </message>
    <message>
        <source>Copies kept of each file:</source>
        <translation>每个文件保留的副本数：</translation>
    </message>
    <message>
        <source>All copies together at most:</source>
        <translation>所有副本合计最多：</translation>
    </message>
    <message>
        <source>Checked after every switch. The newest copy of each file, the latest copies and those an unfinished switch needs are always kept; 0 keeps everything.</source>
        <translation>每次切换后检查。每个文件最新的副本、latest 副本以及未完成的切换所需的副本始终保留；0 表示全部保留。</translation>
    </message>
    <message>
        <source>Comparing…</source>
        <translation>正在比较…</translation>
    </message>
    <message>
        <source>Restore Backup</source>
        <translation>恢复备份</translation>
    </message>
    <message>
        <source>Restore %1 from its copy of %2?</source>
        <translation>要从 %2 的副本恢复 %1 吗？</translation>
    </message>
    <message>
        <source>Codex is quit first. What the file holds now is kept as a before-restore copy, which you can restore in turn.</source>
        <translation>会先退出 Codex。文件当前的内容会保留为恢复前副本，之后也可以恢复它。</translation>
    </message>
    <message>
        <source>What the file holds now is kept as a before-restore copy, which you can restore in turn.</source>
        <translation>文件当前的内容会保留为恢复前副本，之后也可以恢复它。</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Restoring…</source>
        <translation>正在恢复…</translation>
    </message>
    <message>
        <source>Delete Backup</source>
        <translation>删除备份</translation>
    </message>
    <message>
        <source>Delete the copy of %1 made %2?</source>
        <translation>要删除 %2 创建的 %1 副本吗？</translation>
    </message>
    <message>
        <source>%1 is removed for good (%2).</source>
        <translation>%1 将被永久删除（%2）。</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
</context>
<context>
    <name>ChatDatabase</name>
    <message>
        <source>the backup path %1 holds a line break</source>
        <translation>备份路径 %1 中含有换行符</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
</context>
<context>
    <name>ChatMoveJournal</name>
    <message>
        <source>%1 is not a chat move journal.</source>
        <translation>%1 不是聊天迁移记录。</translation>
    </message>
    <message>
        <source>Could not read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
</context>
<context>
    <name>ChatSyncService</name>
    <message>
        <source>Unsafe model provider for chat sync: %1.</source>
        <translation>用于聊天同步的模型提供方不安全：%1。</translation>
    </message>
    <message>
        <source>Could not sync chats</source>
        <translation>无法同步聊天</translation>
    </message>
    <message>
        <source>Could not find Codex chat database.</source>
        <translation>找不到 Codex 的聊天数据库。</translation>
    </message>
    <message>
        <source>The sqlite3 tool is not installed.</source>
        <translation>未安装 sqlite3 工具。</translation>
    </message>
    <message>
        <source>Could not put the chats back</source>
        <translation>无法将聊天放回</translation>
    </message>
    <message>
        <source>%1. %2 (journal: %3)</source>
        <translation>%1。%2（记录：%3）</translation>
    </message>
    <message>
        <source>session files changed since the move were left alone: %1</source>
        <translation>迁移后有变化的会话文件未作处理：%1</translation>
    </message>
</context>
<context>
    <name>ClaudeRestarter</name>
    <message>
        <source>Could not restart Claude Code</source>
        <translation>无法重启 Claude Code</translation>
    </message>
</context>
<context>
    <name>ClaudeSettingsPatcher</name>
    <message>
        <source>Claude settings.json is not a JSON object.</source>
        <translation>Claude 的 settings.json 不是 JSON 对象。</translation>
    </message>
    <message>
        <source>Claude settings.json is not valid JSON: %1.</source>
        <translation>Claude 的 settings.json 不是有效的 JSON：%1。</translation>
    </message>
</context>
<context>
    <name>CloudControlService</name>
    <message>
        <source>Cloud server returned HTTP %1.</source>
        <translation>云端服务器返回了 HTTP %1。</translation>
    </message>
    <message>
        <source>Cloud server returned an unexpected response.</source>
        <translation>云端服务器返回了意外的响应。</translation>
    </message>
    <message>
        <source>Cloud server sent a response larger than %1 MB.</source>
        <translation>云端服务器发送的响应超过 %1 MB。</translation>
    </message>
</context>
<context>
    <name>CloudPolicy</name>
    <message>
        <source>The cloud policy&apos;s &quot;%1&quot; is not a string.</source>
        <translation>云端策略中的“%1”不是字符串。</translation>
    </message>
    <message>
        <source>The cloud policy is not valid JSON</source>
        <translation>云端策略不是有效的 JSON</translation>
    </message>
    <message>
        <source>The cloud policy is not a JSON object.</source>
        <translation>云端策略不是 JSON 对象。</translation>
    </message>
</context>
<context>
    <name>CodexRestarter</name>
    <message>
        <source>Could not restart Codex</source>
        <translation>无法重启 Codex</translation>
    </message>
</context>
<context>
    <name>ConfigPatch</name>
    <message>
        <source>Could not update config.toml: %1 Nothing was written.</source>
        <translation>无法更新 config.toml：%1 未写入任何内容。</translation>
    </message>
    <message>
        <source>with the change, the line &quot;%1&quot; would not be valid TOML (%2).</source>
        <translation>更改后，行“%1”将不是有效的 TOML（%2）。</translation>
    </message>
    <message>
        <source>the change would also alter %1, which Tavrin does not manage.</source>
        <translation>该更改还会改动 %1，而它不由 Tavrin 管理。</translation>
    </message>
    <message>
        <source>config.toml is not valid TOML, and read line by line the new text would not be right: %1</source>
        <translation>config.toml 不是有效的 TOML，而按行读取时新文本也不正确：%1</translation>
    </message>
</context>
<context>
    <name>ConfigPatcher</name>
    <message>
        <source>Could not read %1: the file is not valid UTF-8 text.</source>
        <translation>无法读取 %1：该文件不是有效的 UTF-8 文本。</translation>
    </message>
    <message>
        <source>Could not back up config.toml, so it was not changed</source>
        <translation>无法备份 config.toml，因此未修改它</translation>
    </message>
</context>
<context>
    <name>ConfigReading</name>
    <message>
        <source>config.toml has no %1 table, so Codex would stop with &quot;Model provider `%2` not found&quot;. Add that table to config.toml or choose another model provider for this profile.</source>
        <translation>config.toml 中没有 %1 表，Codex 会因 &quot;Model provider `%2` not found&quot; 而停止。请将该表添加到 config.toml，或为此配置选择其他模型提供方。</translation>
    </message>
    <message>
        <source>config.toml: %1 has wire_api = &quot;chat&quot;, which Codex no longer supports. Change it to wire_api = &quot;responses&quot;.</source>
        <translation>config.toml：%1 中有 wire_api = &quot;chat&quot;，Codex 已不再支持。请将其改为 wire_api = &quot;responses&quot;。</translation>
    </message>
    <message>
        <source>config.toml: %1 does not set requires_openai_auth = true, so Codex would not send the API key. Set requires_openai_auth = true in that table.</source>
        <translation>config.toml：%1 没有设置 requires_openai_auth = true，因此 Codex 不会发送 API 密钥。请在该表中设置 requires_openai_auth = true。</translation>
    </message>
    <message>
        <source>%1 was not updated.</source>
        <translation>未更新 %1。</translation>
    </message>
    <message>
        <source>%1 is still active.</source>
        <translation>%1 仍然有效。</translation>
    </message>
    <message>
        <source>%1 was not added.</source>
        <translation>未添加 %1。</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source> (no key)</source>
        <translation>（无密钥）</translation>
    </message>
    <message>
        <source>%1 (active)</source>
        <translation>%1（当前使用）</translation>
    </message>
</context>
<context>
    <name>Controls</name>
    <message>
        <source>Delete API Key</source>
        <translation>删除 API 密钥</translation>
    </message>
    <message>
        <source>Delete the stored API key of “%1”?</source>
        <translation>删除“%1”已保存的 API 密钥？</translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation>删除密钥</translation>
    </message>
    <message>
        <source>Switching to this profile needs a key again.</source>
        <translation>切换到此配置需要重新提供密钥。</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>删除配置</translation>
    </message>
</context>
<context>
    <name>CreditChecks</name>
    <message>
        <source>The limits service refused the key (HTTP %1).</source>
        <translation>额度服务拒绝了该密钥（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service does not know this address (HTTP %1).</source>
        <translation>额度服务无法识别此地址（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service is busy; try again in a minute (HTTP %1).</source>
        <translation>额度服务繁忙；请一分钟后再试（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service failed to answer (HTTP %1).</source>
        <translation>额度服务未能响应（HTTP %1）。</translation>
    </message>
    <message>
        <source>The limits service answered with an error (HTTP %1).</source>
        <translation>额度服务返回了错误（HTTP %1）。</translation>
    </message>
    <message>
        <source>Could not check the credit: %1</source>
        <translation>无法查询额度：%1</translation>
    </message>
    <message>
        <source>Checked: the answer held no details.</source>
        <translation>已查询：响应中没有详细信息。</translation>
    </message>
</context>
<context>
    <name>CreditRow</name>
    <message>
        <source>Check remaining credit</source>
        <translation>查询剩余额度</translation>
    </message>
    <message>
        <source>Checking remaining credit…</source>
        <translation>正在查询剩余额度…</translation>
    </message>
    <message>
        <source>Checked less than a minute ago</source>
        <translation>不到一分钟前刚查询过</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Stopping Codex&apos;s background server.</source>
        <translation>正在停止 Codex 的后台服务器。</translation>
    </message>
    <message>
        <source>Stopped Codex&apos;s background server.</source>
        <translation>已停止 Codex 的后台服务器。</translation>
    </message>
    <message>
        <source>Codex&apos;s background server could not be stopped and keeps the old profile until restarted</source>
        <translation>无法停止 Codex 的后台服务器，它在重启前仍使用旧配置</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>An unknown error occurred.</source>
        <translation>发生未知错误。</translation>
    </message>
</context>
<context>
    <name>ExactJson</name>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1（位于第 %2 字节）</translation>
    </message>
    <message>
        <source>garbage at the end of the document</source>
        <translation>文档末尾有多余内容</translation>
    </message>
    <message>
        <source>missing the name of an object member</source>
        <translation>缺少对象成员的名称</translation>
    </message>
    <message>
        <source>missing name separator</source>
        <translation>缺少名称分隔符</translation>
    </message>
    <message>
        <source>unterminated object</source>
        <translation>对象未结束</translation>
    </message>
    <message>
        <source>unterminated array</source>
        <translation>数组未结束</translation>
    </message>
    <message>
        <source>invalid escape sequence</source>
        <translation>无效的转义序列</translation>
    </message>
    <message>
        <source>invalid surrogate pair in a \u escape</source>
        <translation>\u 转义中的代理对无效</translation>
    </message>
    <message>
        <source>unterminated string</source>
        <translation>字符串未结束</translation>
    </message>
    <message>
        <source>invalid UTF-8 in a string</source>
        <translation>字符串中有无效的 UTF-8</translation>
    </message>
    <message>
        <source>number too large to read</source>
        <translation>数字太大，无法读取</translation>
    </message>
    <message>
        <source>illegal number</source>
        <translation>无效的数字</translation>
    </message>
    <message>
        <source>too deeply nested</source>
        <translation>嵌套层级太深</translation>
    </message>
    <message>
        <source>illegal value</source>
        <translation>无效的值</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>文件为空</translation>
    </message>
    <message>
        <source>the file holds only white space</source>
        <translation>文件中只有空白字符</translation>
    </message>
    <message>
        <source>the document does not start with an object or an array</source>
        <translation>文档开头不是对象或数组</translation>
    </message>
</context>
<context>
    <name>FileBackupService</name>
    <message>
        <source>Could not read config.toml at %1.</source>
        <translation>无法读取位于 %1 的 config.toml。</translation>
    </message>
</context>
<context>
    <name>FileLock</name>
    <message>
        <source>Could not open the lock file %1: %2</source>
        <translation>无法打开锁文件 %1：%2</translation>
    </message>
    <message>
        <source>it is not a file.</source>
        <translation>它不是文件。</translation>
    </message>
    <message>
        <source>Could not lock %1: %2</source>
        <translation>无法锁定 %1：%2</translation>
    </message>
    <message>
        <source>Another Tavrin program is saving profiles or keys. Try again in a moment.</source>
        <translation>另一个 Tavrin 程序正在保存配置或密钥。请稍后再试。</translation>
    </message>
</context>
<context>
    <name>FileUtil</name>
    <message>
        <source>%1 cannot be reached: its folders run into a symbolic link loop.</source>
        <translation>无法访问 %1：其所在文件夹陷入了符号链接循环。</translation>
    </message>
    <message>
        <source>Could not look at %1: %2</source>
        <translation>无法查看 %1：%2</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>文件夹</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>套接字</translation>
    </message>
    <message>
        <source>a named pipe</source>
        <translation>命名管道</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>a special file</source>
        <translation>特殊文件</translation>
    </message>
    <message>
        <source>Could not copy %1 to %2: %3</source>
        <translation>无法将 %1 复制到 %2：%3</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>它是符号链接</translation>
    </message>
    <message>
        <source>it is %1, not a file</source>
        <translation>它是%1，不是文件</translation>
    </message>
    <message>
        <source>%1 is a symbolic link loop.</source>
        <translation>%1 是一个符号链接循环。</translation>
    </message>
    <message>
        <source>%1 is a symbolic link to %2, which does not exist.</source>
        <translation>%1 是指向 %2 的符号链接，但 %2 不存在。</translation>
    </message>
    <message>
        <source>%1 is a symbolic link to %2, not to a file.</source>
        <translation>%1 是指向 %2 的符号链接，指向的不是文件。</translation>
    </message>
    <message>
        <source>%1 is %2, not a file.</source>
        <translation>%1 是%2，不是文件。</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <source>Could not read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>Not enough disk space to write %1.</source>
        <translation>磁盘空间不足，无法写入 %1。</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>the destination already exists.</source>
        <translation>目标已存在。</translation>
    </message>
    <message>
        <source>Could not remove %1: %2</source>
        <translation>无法删除 %1：%2</translation>
    </message>
</context>
<context>
    <name>GeneralSettings</name>
    <message>
        <source>Start-up</source>
        <translation>启动</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>登录时启动</translation>
    </message>
    <message>
        <source>Tavrin starts in the tray when you log in, ready to switch.</source>
        <translation>登录后 Tavrin 会在托盘中启动，随时可以切换。</translation>
    </message>
    <message>
        <source>Could not turn on Start at login.</source>
        <translation>无法开启登录时启动。</translation>
    </message>
    <message>
        <source>Could not turn off Start at login.</source>
        <translation>无法关闭登录时启动。</translation>
    </message>
    <message>
        <source>Could not turn on Start at login: %1</source>
        <translation>无法开启登录时启动：%1</translation>
    </message>
    <message>
        <source>Could not turn off Start at login: %1</source>
        <translation>无法关闭登录时启动：%1</translation>
    </message>
</context>
<context>
    <name>HelpDialog</name>
    <message>
        <source>&lt;b&gt;Switch&lt;/b&gt;: choose Codex or Claude Code at the top, pick a profile on the card and press the power button. The line below it tells how the switch ended; open it to see the recent activity.</source>
        <translation>&lt;b&gt;切换&lt;/b&gt;：在顶部选择 Codex 或 Claude Code，在卡片上选择一个配置，然后按下电源按钮。按钮下方的一行显示切换结果；点开它可查看最近活动。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Profiles&lt;/b&gt;: add Velqor accounts, save their API keys and set a proxy. Your ChatGPT and Claude accounts need no key.</source>
        <translation>&lt;b&gt;配置&lt;/b&gt;：添加 Velqor 账户、保存其 API 密钥并设置代理。你的 ChatGPT 和 Claude 账户无需密钥。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Settings&lt;/b&gt; (%1): edit every field of every profile, and start Tavrin at login.</source>
        <translation>&lt;b&gt;设置&lt;/b&gt;（%1）：编辑每个配置的所有字段，并可设置登录时启动 Tavrin。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Keyboard&lt;/b&gt;: Tab moves between the controls, Space or Enter presses one, Escape closes a menu.</source>
        <translation>&lt;b&gt;键盘&lt;/b&gt;：Tab 在控件间移动，空格或回车键按下控件，Esc 关闭菜单。</translation>
    </message>
    <message>
        <source>&lt;b&gt;Command line&lt;/b&gt;: &lt;tt&gt;tavrin-cli help&lt;/tt&gt; lists what it can do from a terminal.</source>
        <translation>&lt;b&gt;命令行&lt;/b&gt;：&lt;tt&gt;tavrin-cli help&lt;/tt&gt; 列出可在终端中执行的操作。</translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation>Tavrin 帮助</translation>
    </message>
</context>
<context>
    <name>HttpTransport</name>
    <message>
        <source>The request timed out.</source>
        <translation>请求超时。</translation>
    </message>
</context>
<context>
    <name>KeyDeletion</name>
    <message>
        <source>%1 more</source>
        <translation>另外 %1 个</translation>
    </message>
    <message>
        <source>1 backup copy</source>
        <translation>1 个备份副本</translation>
    </message>
    <message>
        <source>%1 backup copies</source>
        <translation>%1 个备份副本</translation>
    </message>
    <message>
        <source>The key of %1 is still stored; try again.</source>
        <translation>%1 的密钥仍被保存着；请重试。</translation>
    </message>
    <message>
        <source>Also emptied it in %1 and deleted %2 that held nothing else.</source>
        <translation>还在 %1 中清空了它，并删除了只含有该密钥的 %2 个文件。</translation>
    </message>
    <message>
        <source>Also emptied it in %1.</source>
        <translation>还在 %1 中清空了它。</translation>
    </message>
    <message>
        <source>Also deleted %1 that held it and nothing else.</source>
        <translation>还删除了只含有该密钥的 %1。</translation>
    </message>
    <message>
        <source>Delete the API key of “%1”?</source>
        <translation>要删除“%1”的 API 密钥吗？</translation>
    </message>
    <message>
        <source>The key is deleted from Tavrin&apos;s key store.</source>
        <translation>该密钥会从 Tavrin 的密钥存储中删除。</translation>
    </message>
    <message>
        <source>It is also emptied in %1 that keep other settings, every other line as it was: %2.</source>
        <translation>在保留其他设置的%1中也会清空它，其余各行保持不变：%2。</translation>
    </message>
    <message>
        <source>%1 cannot be read as JSON and still hold the key; remove them by hand if you no longer need them.</source>
        <translation>%1 无法作为 JSON 读取，且仍含有该密钥；如果不再需要，请手动删除。</translation>
    </message>
    <message>
        <source>%1 is active for %2: its key stays in %3 until you switch to another profile.</source>
        <translation>%1 正用于 %2：在你切换到其他配置之前，其密钥会保留在 %3 中。</translation>
    </message>
    <message>
        <source>%1 holds the same key, which %2 uses now: it stays there until you switch %2 to another profile.</source>
        <translation>%1 含有相同的密钥，%2 当前正在使用它：在你将 %2 切换到其他配置之前，它会保留在那里。</translation>
    </message>
    <message>
        <source>%1 has no stored key to delete.</source>
        <translation>%1 没有可删除的已存储密钥。</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 和 %2</translation>
    </message>
    <message>
        <source>%1 that held nothing but the key and what Tavrin writes is deleted: %2.</source>
        <translation>仅含有该密钥和 Tavrin 所写内容的%1已删除：%2。</translation>
    </message>
    <message>
        <source>%1 that held nothing but the key and what Tavrin writes are deleted: %2.</source>
        <translation>仅含有该密钥和 Tavrin 所写内容的%1已删除：%2。</translation>
    </message>
    <message>
        <source>Delete the profile “%1”?</source>
        <translation>要删除配置“%1”吗？</translation>
    </message>
    <message>
        <source>Its settings are removed from Tavrin&apos;s profiles.</source>
        <translation>其设置将从 Tavrin 的配置中删除。</translation>
    </message>
    <message>
        <source>Its API key goes with it.</source>
        <translation>其 API 密钥也会一并删除。</translation>
    </message>
</context>
<context>
    <name>KeyReveal</name>
    <message>
        <source>Hide key</source>
        <translation>隐藏密钥</translation>
    </message>
    <message>
        <source>Show key</source>
        <translation>显示密钥</translation>
    </message>
</context>
<context>
    <name>KeyStorage</name>
    <message>
        <source>1 API key</source>
        <translation>1 个 API 密钥</translation>
    </message>
    <message>
        <source>%1 API keys</source>
        <translation>%1 个 API 密钥</translation>
    </message>
    <message>
        <source>The keys changed while they were being moved. Try again.</source>
        <translation>密钥在移动过程中发生了变化。请重试。</translation>
    </message>
    <message>
        <source>API keys are kept in the system keyring.</source>
        <translation>API 密钥保存在系统密钥环中。</translation>
    </message>
    <message>
        <source>API keys are kept in %1.</source>
        <translation>API 密钥保存在 %1 中。</translation>
    </message>
    <message>
        <source>A key cannot be blank.</source>
        <translation>密钥不能为空。</translation>
    </message>
    <message>
        <source>%1 Nothing needed moving.</source>
        <translation>%1 没有需要移动的内容。</translation>
    </message>
    <message>
        <source>The system keyring gave back another key for %1.</source>
        <translation>系统密钥环返回了 %1 的另一个密钥。</translation>
    </message>
    <message>
        <source>No key was moved; they stay in %1. %2</source>
        <translation>未移动任何密钥；它们仍保留在 %1 中。%2</translation>
    </message>
    <message>
        <source>The keys were moved to the system keyring, but %1 still holds them: %2</source>
        <translation>密钥已移到系统密钥环，但 %1 中仍有这些密钥：%2</translation>
    </message>
    <message>
        <source>Moved %1 to the system keyring; %2 holds none now.</source>
        <translation>已将 %1 移到系统密钥环；%2 中已不再有密钥。</translation>
    </message>
    <message>
        <source>No key was moved; they stay in the system keyring. %1</source>
        <translation>未移动任何密钥；它们仍保留在系统密钥环中。%1</translation>
    </message>
    <message>
        <source>Moved %1 to %2.</source>
        <translation>已将 %1 移到 %2。</translation>
    </message>
    <message>
        <source>%1 did not give back the key for %2.</source>
        <translation>%1 未返回 %2 的密钥。</translation>
    </message>
    <message>
        <source>The system keyring could not remove its copy for %1: remove the entries of &quot;Tavrin&quot; there yourself.</source>
        <translation>系统密钥环无法删除 %1 的副本：请自行删除其中“Tavrin”的条目。</translation>
    </message>
</context>
<context>
    <name>KeyStorageSettings</name>
    <message>
        <source>Keep API keys in the system keyring</source>
        <translation>将 API 密钥保存在系统密钥环中</translation>
    </message>
    <message>
        <source>Turning this on moves every key out of Tavrin&apos;s key file; turning it off moves them back.</source>
        <translation>开启后，所有密钥都会从 Tavrin 的密钥文件移出；关闭后会移回。</translation>
    </message>
    <message>
        <source>Moving the keys to the system keyring…</source>
        <translation>正在将密钥移到系统密钥环…</translation>
    </message>
    <message>
        <source>Moving the keys back to the key file…</source>
        <translation>正在将密钥移回密钥文件…</translation>
    </message>
</context>
<context>
    <name>KeyStoreSettings</name>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>无法读取 %1：%2。</translation>
    </message>
    <message>
        <source>it does not say where the keys are</source>
        <translation>它没有说明密钥保存在哪里</translation>
    </message>
</context>
<context>
    <name>Keyring</name>
    <message>
        <source>Tavrin quits</source>
        <translation>Tavrin 正在退出</translation>
    </message>
    <message>
        <source>The system keyring refused access</source>
        <translation>系统密钥环拒绝了访问</translation>
    </message>
    <message>
        <source>The system keyring cannot be used</source>
        <translation>无法使用系统密钥环</translation>
    </message>
    <message>
        <source>The system keyring is not available.</source>
        <translation>系统密钥环不可用。</translation>
    </message>
    <message>
        <source>The system keyring is not available: a Secret Service such as GNOME Keyring or KWallet must be running.</source>
        <translation>系统密钥环不可用：必须运行 GNOME Keyring 或 KWallet 等 Secret Service。</translation>
    </message>
    <message>
        <source>The system keyring could not be used</source>
        <translation>未能使用系统密钥环</translation>
    </message>
    <message>
        <source>The system keyring did not answer within %1 seconds. If it asks for its password, unlock it and try again.</source>
        <translation>系统密钥环在 %1 秒内没有响应。如果它要求输入密码，请将其解锁后重试。</translation>
    </message>
    <message>
        <source>The system keyring cannot wait for itself.</source>
        <translation>系统密钥环不能等待自身。</translation>
    </message>
    <message>
        <source>Tavrin is not running</source>
        <translation>Tavrin 未在运行</translation>
    </message>
</context>
<context>
    <name>KeyringKeyStore</name>
    <message>
        <source>The key for %1 could not be read.</source>
        <translation>无法读取 %1 的密钥。</translation>
    </message>
    <message>
        <source>The key for %1 was not saved.</source>
        <translation>%1 的密钥未被保存。</translation>
    </message>
    <message>
        <source>The key for %1 was not deleted.</source>
        <translation>%1 的密钥未被删除。</translation>
    </message>
</context>
<context>
    <name>LimitCheckerService</name>
    <message>
        <source>No limits endpoint</source>
        <translation>无额度查询地址</translation>
    </message>
    <message>
        <source>API key missing</source>
        <translation>缺少 API 密钥</translation>
    </message>
    <message>
        <source>Ready to check</source>
        <translation>可以查询</translation>
    </message>
    <message>
        <source>Unexpected response</source>
        <translation>意外的响应</translation>
    </message>
    <message>
        <source>API key contains a line break</source>
        <translation>API 密钥中含有换行符</translation>
    </message>
    <message>
        <source>Response larger than %1 MB</source>
        <translation>响应超过 %1 MB</translation>
    </message>
    <message>
        <source>Checked</source>
        <translation>已查询</translation>
    </message>
</context>
<context>
    <name>LinuxDesktop</name>
    <message>
        <source>%1 is not installed: no `%2` on PATH.</source>
        <translation>未安装 %1：PATH 中没有 `%2`。</translation>
    </message>
    <message>
        <source>No terminal emulator found: set $TERMINAL to the one you use, or install xterm.</source>
        <translation>找不到终端模拟器：请将 $TERMINAL 设为你使用的终端，或安装 xterm。</translation>
    </message>
    <message>
        <source>No terminal emulator found: $TERMINAL names &quot;%1&quot;, which is not installed; set it to the one you use, or install xterm.</source>
        <translation>找不到终端模拟器：$TERMINAL 指定的“%1”未安装；请将它设为你使用的终端，或安装 xterm。</translation>
    </message>
    <message>
        <source>1 %1 process keeps the old profile until restarted.</source>
        <translation>1 个 %1 进程在重启前仍使用旧配置。</translation>
    </message>
    <message>
        <source>%1 %2 processes keep the old profile until restarted.</source>
        <translation>%1 个 %2 进程在重启前仍使用旧配置。</translation>
    </message>
    <message>
        <source>No systemd user manager: the launch environment was left as it was.</source>
        <translation>没有 systemd 用户管理器：启动环境保持不变。</translation>
    </message>
    <message>
        <source>The D-Bus activation environment was not updated</source>
        <translation>D-Bus 激活环境未更新</translation>
    </message>
    <message>
        <source>$TERMINAL names &quot;%1&quot;, which was not found: opened %2 instead.</source>
        <translation>$TERMINAL 指定的是“%1”，但未找到它：已改为打开 %2。</translation>
    </message>
</context>
<context>
    <name>LocalKeysService</name>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>无法读取 %1：%2。</translation>
    </message>
    <message>
        <source>it is not valid JSON (%1 at byte %2)</source>
        <translation>它不是有效的 JSON（第 %2 字节处%1）</translation>
    </message>
    <message>
        <source>it does not hold a key text for each profile</source>
        <translation>它没有为每个配置保存密钥文本</translation>
    </message>
    <message>
        <source>Could not move the unreadable key file %1 aside.</source>
        <translation>无法将无法读取的密钥文件 %1 移到一旁。</translation>
    </message>
</context>
<context>
    <name>MacDesktop</name>
    <message>
        <source>Quitting Codex.</source>
        <translation>正在退出 Codex。</translation>
    </message>
</context>
<context>
    <name>Modules</name>
    <message>
        <source>Tavrin&apos;s %1 module could not be loaded</source>
        <translation>无法加载 Tavrin 的 %1 模块</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>The profiles file could not be read: &quot;%1&quot; %2 in %3.</source>
        <translation>无法读取配置文件：%3 中的“%1”%2。</translation>
    </message>
    <message>
        <source>is missing</source>
        <translation>缺失</translation>
    </message>
    <message>
        <source>is not a string</source>
        <translation>不是字符串</translation>
    </message>
    <message>
        <source>is not true or false</source>
        <translation>不是 true 或 false</translation>
    </message>
    <message>
        <source>The profiles file is not valid JSON: %1 at byte %2.</source>
        <translation>配置文件不是有效的 JSON：第 %2 字节处%1。</translation>
    </message>
    <message>
        <source>The profiles file is not a JSON object.</source>
        <translation>配置文件不是 JSON 对象。</translation>
    </message>
    <message>
        <source>the document</source>
        <translation>文档</translation>
    </message>
    <message>
        <source>is not a list</source>
        <translation>不是列表</translation>
    </message>
    <message>
        <source>profile %1</source>
        <translation>配置 %1</translation>
    </message>
    <message>
        <source>The profiles file could not be read: %1 is not an object.</source>
        <translation>无法读取配置文件：%1 不是对象。</translation>
    </message>
</context>
<context>
    <name>ProfileEditorState</name>
    <message>
        <source>New Velqor</source>
        <translation>新 Velqor</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>ProfileRow</name>
    <message>
        <source>Velqor key saved</source>
        <translation>已保存 Velqor 密钥</translation>
    </message>
    <message>
        <source>No Velqor key</source>
        <translation>无 Velqor 密钥</translation>
    </message>
    <message>
        <source>Claude account</source>
        <translation>Claude 账户</translation>
    </message>
    <message>
        <source>ChatGPT account</source>
        <translation>ChatGPT 账户</translation>
    </message>
</context>
<context>
    <name>ProfilesPanel</name>
    <message>
        <source>Accounts</source>
        <translation>账户</translation>
    </message>
    <message>
        <source>Add Velqor</source>
        <translation>添加 Velqor</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API 密钥</translation>
    </message>
    <message>
        <source>Save Key</source>
        <translation>保存密钥</translation>
    </message>
    <message>
        <source>Delete Key</source>
        <translation>删除密钥</translation>
    </message>
    <message>
        <source>Current app accounts do not need a Velqor key.</source>
        <translation>应用自带的账户不需要 Velqor 密钥。</translation>
    </message>
    <message>
        <source>Key saved, proxy saved.</source>
        <translation>已保存密钥和代理。</translation>
    </message>
    <message>
        <source>No key, proxy saved.</source>
        <translation>无密钥，已保存代理。</translation>
    </message>
    <message>
        <source>Key saved, no proxy.</source>
        <translation>已保存密钥，无代理。</translation>
    </message>
    <message>
        <source>No key, no proxy.</source>
        <translation>无密钥，无代理。</translation>
    </message>
    <message>
        <source>Account added. Paste Velqor key and press Save Key.</source>
        <translation>已添加账户。请粘贴 Velqor 密钥，然后按“保存密钥”。</translation>
    </message>
    <message>
        <source>Key saved for %1.</source>
        <translation>已为 %1 保存密钥。</translation>
    </message>
    <message>
        <source>Key deleted for %1.</source>
        <translation>已删除 %1 的密钥。</translation>
    </message>
    <message>
        <source>Proxy saved for %1.</source>
        <translation>已为 %1 保存代理。</translation>
    </message>
    <message>
        <source>Proxy cleared for %1.</source>
        <translation>已清除 %1 的代理。</translation>
    </message>
    <message>
        <source>Claude Code cannot use a SOCKS5 proxy: switching it to this profile will be refused. Codex can use it.</source>
        <translation>Claude Code 无法使用 SOCKS5 代理：将 Claude Code 切换到此配置会被拒绝。Codex 可以使用它。</translation>
    </message>
    <message>
        <source>No profile</source>
        <translation>无配置</translation>
    </message>
    <message>
        <source>Universal Velqor API key</source>
        <translation>通用 Velqor API 密钥</translation>
    </message>
    <message>
        <source>Paste universal Velqor key</source>
        <translation>粘贴通用 Velqor 密钥</translation>
    </message>
    <message>
        <source>No Velqor key needed</source>
        <translation>无需 Velqor 密钥</translation>
    </message>
    <message>
        <source>Velqor keys are saved locally and work for Codex and Claude Code.</source>
        <translation>Velqor 密钥保存在本机，可用于 Codex 和 Claude Code。</translation>
    </message>
    <message>
        <source>Saving the key in the system keyring…</source>
        <translation>正在将密钥保存到系统密钥环…</translation>
    </message>
    <message>
        <source>Deleting the key from the system keyring…</source>
        <translation>正在从系统密钥环删除密钥…</translation>
    </message>
    <message>
        <source>Velqor keys are kept in the system keyring and work for Codex and Claude Code.</source>
        <translation>Velqor 密钥保存在系统密钥环中，可用于 Codex 和 Claude Code。</translation>
    </message>
</context>
<context>
    <name>ProfilesStore</name>
    <message>
        <source>Profile &apos;%1&apos; was not found.</source>
        <translation>找不到配置“%1”。</translation>
    </message>
    <message>
        <source>The active profile cannot be deleted.</source>
        <translation>无法删除当前配置。</translation>
    </message>
    <message>
        <source>Profiles are read-only because %1 could not be read (%2). Fix or move the file, then reopen Tavrin.</source>
        <translation>由于无法读取 %1（%2），配置为只读。请修复或移走该文件，然后重新打开 Tavrin。</translation>
    </message>
    <message>
        <source>Profiles cannot be saved: the folder %1 is not writable.</source>
        <translation>无法保存配置：文件夹 %1 不可写。</translation>
    </message>
</context>
<context>
    <name>ProxySection</name>
    <message>
        <source>Proxy Settings</source>
        <translation>代理设置</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>格式</translation>
    </message>
    <message>
        <source>Proxy format</source>
        <translation>代理格式</translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation>代理地址</translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation>保存代理</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>ProxyURLFormatter</name>
    <message>
        <source>it is not a valid URL</source>
        <translation>它不是有效的 URL</translation>
    </message>
    <message>
        <source>its scheme &quot;%1&quot; is not http, https or socks5</source>
        <translation>其协议“%1”不是 http、https 或 socks5</translation>
    </message>
    <message>
        <source>it has no host</source>
        <translation>它没有主机</translation>
    </message>
</context>
<context>
    <name>RecoveryPrompt</name>
    <message>
        <source>The record of the last switch cannot be read.</source>
        <translation>无法读取上次切换的记录。</translation>
    </message>
    <message>
        <source>Set it aside? The files stay as they are, and the record is kept as a dated copy beside it.</source>
        <translation>要将它移到一旁吗？文件保持不变，该记录会以带日期的副本保留在旁边。</translation>
    </message>
    <message>
        <source>Set Aside</source>
        <translation>移到一旁</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>暂不</translation>
    </message>
    <message>
        <source>Set the switch journal aside as %1.</source>
        <translation>已将切换记录移到一旁，保存为 %1。</translation>
    </message>
    <message>
        <source>The last switch did not finish.</source>
        <translation>上次切换未完成。</translation>
    </message>
    <message>
        <source>Restore the files from before it? What they hold now is kept beside the copies.</source>
        <translation>要恢复切换前的文件吗？它们当前的内容会保留在副本旁边。</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Keep As Is</source>
        <translation>保持现状</translation>
    </message>
    <message>
        <source>Kept the files of the interrupted switch as they are.</source>
        <translation>已按现状保留中断切换的文件。</translation>
    </message>
</context>
<context>
    <name>SessionFiles</name>
    <message>
        <source>Could not read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
</context>
<context>
    <name>SettingsList</name>
    <message>
        <source>Profiles</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>Active · %1</source>
        <translation>当前使用 · %1</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>Tavrin Settings</source>
        <translation>Tavrin 设置</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>General</source>
        <translation>通用</translation>
    </message>
    <message>
        <source>API key is saved locally.</source>
        <translation>API 密钥已保存在本机。</translation>
    </message>
    <message>
        <source>A profile with the ID &apos;%1&apos; already exists. Choose another ID.</source>
        <translation>ID 为“%1”的配置已存在。请换一个 ID。</translation>
    </message>
    <message>
        <source>Profile saved.</source>
        <translation>配置已保存。</translation>
    </message>
    <message>
        <source>Profile deleted.</source>
        <translation>配置已删除。</translation>
    </message>
    <message>
        <source>Stored API key deleted.</source>
        <translation>已删除保存的 API 密钥。</translation>
    </message>
    <message>
        <source>Add Profile</source>
        <translation>添加配置</translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation>保存配置</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>删除配置</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Preferred auth method</source>
        <translation>首选认证方式</translation>
    </message>
    <message>
        <source>Model provider</source>
        <translation>模型提供方</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>模型</translation>
    </message>
    <message>
        <source>Reasoning effort</source>
        <translation>推理强度</translation>
    </message>
    <message>
        <source>Limits endpoint</source>
        <translation>额度查询地址</translation>
    </message>
    <message>
        <source>Disable response storage</source>
        <translation>禁用响应存储</translation>
    </message>
    <message>
        <source>Restart app after switch</source>
        <translation>切换后重启应用</translation>
    </message>
    <message>
        <source>API Key</source>
        <translation>API 密钥</translation>
    </message>
    <message>
        <source>API key (stored locally, not in JSON)</source>
        <translation>API 密钥（保存在本机，不写入 JSON）</translation>
    </message>
    <message>
        <source>API key</source>
        <translation>API 密钥</translation>
    </message>
    <message>
        <source>Delete Stored API Key</source>
        <translation>删除已保存的 API 密钥</translation>
    </message>
    <message>
        <source>Proxy Settings</source>
        <translation>代理设置</translation>
    </message>
    <message>
        <source>Proxy address</source>
        <translation>代理地址</translation>
    </message>
    <message>
        <source>Save Proxy</source>
        <translation>保存代理</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>格式</translation>
    </message>
    <message>
        <source>API Keys</source>
        <translation>API 密钥</translation>
    </message>
    <message>
        <source>API key is saved in the system keyring.</source>
        <translation>API 密钥已保存在系统密钥环中。</translation>
    </message>
    <message>
        <source>Waiting for the system keyring…</source>
        <translation>正在等待系统密钥环…</translation>
    </message>
    <message>
        <source>Backups</source>
        <translation>备份</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>ShellService</name>
    <message>
        <source>%1 milliseconds</source>
        <translation>%1 毫秒</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 分钟</translation>
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
        <translation>该命令未在 %1内完成，已被停止。</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>无法启动 %1：%2</translation>
    </message>
    <message>
        <source>Could not write to %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>%1 ended before it had read its input.</source>
        <translation>%1 在读完输入之前就已结束。</translation>
    </message>
</context>
<context>
    <name>SwitchFlow</name>
    <message>
        <source>%1 has no API key. Add it in Profiles.</source>
        <translation>%1 没有 API 密钥。请在“配置”中添加。</translation>
    </message>
    <message>
        <source>The proxy of %1 cannot be used: %2.</source>
        <translation>无法使用 %1 的代理：%2。</translation>
    </message>
    <message>
        <source>Claude Code cannot use a SOCKS5 proxy; use an HTTP proxy for this profile.</source>
        <translation>Claude Code 无法使用 SOCKS5 代理；请为此配置使用 HTTP 代理。</translation>
    </message>
    <message>
        <source>Select a profile first</source>
        <translation>请先选择一个配置</translation>
    </message>
    <message>
        <source>Updated config.toml.</source>
        <translation>已更新 config.toml。</translation>
    </message>
    <message>
        <source>Updated auth.json.</source>
        <translation>已更新 auth.json。</translation>
    </message>
    <message>
        <source>Starting Codex.</source>
        <translation>正在启动 Codex。</translation>
    </message>
    <message>
        <source>Codex switched to %1.</source>
        <translation>Codex 已切换到 %1。</translation>
    </message>
    <message>
        <source>Codex is not logged in: run `codex login`.</source>
        <translation>Codex 尚未登录：请运行 `codex login`。</translation>
    </message>
    <message>
        <source>Updated settings.json.</source>
        <translation>已更新 settings.json。</translation>
    </message>
    <message>
        <source>Opening Claude Code.</source>
        <translation>正在打开 Claude Code。</translation>
    </message>
    <message>
        <source>The switch to %1 itself is complete.</source>
        <translation>切换到 %1 的操作本身已完成。</translation>
    </message>
    <message>
        <source>Claude Code switched to %1.</source>
        <translation>Claude Code 已切换到 %1。</translation>
    </message>
    <message>
        <source>Claude Code API session opened for %1.</source>
        <translation>已为 %1 打开 Claude Code API 会话。</translation>
    </message>
    <message>
        <source>Claude Code account session opened for %1.</source>
        <translation>已为 %1 打开 Claude Code 账户会话。</translation>
    </message>
    <message>
        <source>Claude Code is not logged in: run `claude` and then /login.</source>
        <translation>Claude Code 尚未登录：请运行 `claude`，然后输入 /login。</translation>
    </message>
    <message>
        <source>Synced %1 chats.</source>
        <translation>已同步 %1 个聊天。</translation>
    </message>
    <message>
        <source>%1 chat files could not be changed and were skipped.</source>
        <translation>有 %1 个聊天文件无法修改，已跳过。</translation>
    </message>
    <message>
        <source>Chats not moved: %1.</source>
        <translation>聊天未迁移：%1。</translation>
    </message>
    <message>
        <source>Opened Codex.</source>
        <translation>已打开 Codex。</translation>
    </message>
    <message>
        <source>Opened Claude Code.</source>
        <translation>已打开 Claude Code。</translation>
    </message>
    <message>
        <source>Opened Codex with %1.</source>
        <translation>已使用 %1 打开 Codex。</translation>
    </message>
    <message>
        <source>Opened Claude Code with %1.</source>
        <translation>已使用 %1 打开 Claude Code。</translation>
    </message>
    <message>
        <source>1 chat file could not be changed and was skipped.</source>
        <translation>有 1 个聊天文件无法修改，已跳过。</translation>
    </message>
</context>
<context>
    <name>SwitchJournal</name>
    <message>
        <source>not a file a switch changes</source>
        <translation>不是切换会修改的文件</translation>
    </message>
    <message>
        <source>its copy %1 is not one a switch makes</source>
        <translation>其副本 %1 不是切换所创建的副本</translation>
    </message>
    <message>
        <source>The switch journal %1 cannot be read. Look at it, then set it aside in the window or with `tavrin-cli recover --discard`.</source>
        <translation>无法读取切换记录 %1。请查看它，然后在窗口中或使用 `tavrin-cli recover --discard` 将它移到一旁。</translation>
    </message>
    <message>
        <source>%1 (not a chat move journal a switch writes)</source>
        <translation>%1（不是切换所写的聊天迁移记录）</translation>
    </message>
    <message>
        <source>as before the switch</source>
        <translation>与切换前相同</translation>
    </message>
    <message>
        <source>%1 of %2 moved to %3, %4 of %5 session files rewritten</source>
        <translation>%2 个中的 %1 个已迁移到 %3，%5 个会话文件中的 %4 个已重写</translation>
    </message>
    <message>
        <source>cannot tell (%1)</source>
        <translation>无法判断（%1）</translation>
    </message>
    <message>
        <source>The last restore of %1</source>
        <translation>上次对 %1 的恢复</translation>
    </message>
    <message>
        <source>The last switch of %1 to %2</source>
        <translation>上次将 %1 切换到 %2 的操作</translation>
    </message>
    <message>
        <source>no copy was taken before the switch</source>
        <translation>切换前没有创建副本</translation>
    </message>
    <message>
        <source>Could not restore %1 (%2).</source>
        <translation>无法恢复 %1（%2）。</translation>
    </message>
    <message>
        <source>Could not restore %1 (%2); its copy from before the switch is %3.</source>
        <translation>无法恢复 %1（%2）；它在切换前的副本是 %3。</translation>
    </message>
    <message>
        <source>the chats</source>
        <translation>聊天</translation>
    </message>
    <message>
        <source>%1 (not a session file a chat move changes)</source>
        <translation>%1（不是聊天迁移会修改的会话文件）</translation>
    </message>
    <message>
        <source>Could not move the chats back (%1).</source>
        <translation>无法将聊天迁移回去（%1）。</translation>
    </message>
    <message>
        <source>%1 did not finish. Restore the files from before it, or keep them as they are, first (in the window, or with `tavrin-cli recover`).</source>
        <translation>%1 未完成。请先恢复之前的文件，或保留文件现状（在窗口中，或使用 `tavrin-cli recover`）。</translation>
    </message>
    <message>
        <source>%1 (started %2) did not finish.</source>
        <translation>%1（开始于 %2）未完成。</translation>
    </message>
    <message>
        <source>created by the switch</source>
        <translation>由切换创建</translation>
    </message>
    <message>
        <source>not created</source>
        <translation>未创建</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>缺失</translation>
    </message>
    <message>
        <source>changed by the switch</source>
        <translation>已被切换修改</translation>
    </message>
    <message>
        <source>changed by the switch (its copy cannot be read)</source>
        <translation>已被切换修改（其副本无法读取）</translation>
    </message>
    <message>
        <source>chats: %1</source>
        <translation>聊天：%1</translation>
    </message>
    <message>
        <source>ignored: %1</source>
        <translation>已忽略：%1</translation>
    </message>
    <message>
        <source>The interrupted switch has been dealt with meanwhile; nothing was restored.</source>
        <translation>中断的切换在此期间已被处理；未恢复任何内容。</translation>
    </message>
    <message>
        <source>The record of the interrupted switch changed meanwhile; nothing was restored. Look at it again.</source>
        <translation>中断切换的记录在此期间发生了变化；未恢复任何内容。请重新查看。</translation>
    </message>
    <message>
        <source>the active profile</source>
        <translation>当前配置</translation>
    </message>
    <message>
        <source>Could not restore the active profile (%1).</source>
        <translation>无法恢复当前配置（%1）。</translation>
    </message>
    <message>
        <source>Ignored %1.</source>
        <translation>已忽略 %1。</translation>
    </message>
    <message>
        <source>Nothing needed restoring.</source>
        <translation>没有需要恢复的内容。</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 和 %2</translation>
    </message>
    <message>
        <source>Restored %1 from before the switch.</source>
        <translation>已将 %1 恢复到切换之前的状态。</translation>
    </message>
    <message>
        <source>Restored %1 from before the restore.</source>
        <translation>已将 %1 恢复到恢复操作之前的状态。</translation>
    </message>
    <message>
        <source>Restored %1 from before the interrupted switch. What the files held until now is kept beside their copies (*.before-restore-*).</source>
        <translation>已将 %1 恢复到中断的切换之前的状态。文件此前的内容保留在其副本旁边（*.before-restore-*）。</translation>
    </message>
    <message>
        <source>Restored %1 from before the interrupted restore. What the files held until now is kept beside their copies (*.before-restore-*).</source>
        <translation>已将 %1 恢复到中断的恢复操作之前的状态。文件此前的内容保留在其副本旁边（*.before-restore-*）。</translation>
    </message>
</context>
<context>
    <name>SwitchLock</name>
    <message>
        <source>not a file</source>
        <translation>不是文件</translation>
    </message>
    <message>
        <source>Could not open the switch lock %1: %2.</source>
        <translation>无法打开切换锁 %1：%2。</translation>
    </message>
    <message>
        <source>Could not lock %1: %2.</source>
        <translation>无法锁定 %1：%2。</translation>
    </message>
    <message>
        <source>Another switch is running. Try again when it has finished.</source>
        <translation>另一个切换正在进行。请在它完成后再试。</translation>
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
        <translation>Claude 账户</translation>
    </message>
    <message>
        <source>ChatGPT Account</source>
        <translation>ChatGPT 账户</translation>
    </message>
    <message>
        <source>Refresh cloud policy</source>
        <translation>刷新云端策略</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>No profile</source>
        <translation>无配置</translation>
    </message>
    <message>
        <source>%1 profile: %2</source>
        <translation>%1 配置：%2</translation>
    </message>
    <message>
        <source>Switch %1 to %2</source>
        <translation>将 %1 切换到 %2</translation>
    </message>
    <message>
        <source>Switch %1</source>
        <translation>切换 %1</translation>
    </message>
    <message>
        <source>Recent activity: %1</source>
        <translation>最近活动：%1</translation>
    </message>
    <message>
        <source>No cloud endpoint configured</source>
        <translation>未配置云端地址</translation>
    </message>
</context>
<context>
    <name>TavrinApp</name>
    <message>
        <source>Settings...</source>
        <translation>设置…</translation>
    </message>
    <message>
        <source>Quit Tavrin</source>
        <translation>退出 Tavrin</translation>
    </message>
    <message>
        <source>About Tavrin</source>
        <translation>关于 Tavrin</translation>
    </message>
    <message>
        <source>Tavrin Help</source>
        <translation>Tavrin 帮助</translation>
    </message>
    <message>
        <source>Tavrin keeps running in the menu bar. Choose Quit in its menu to end it.</source>
        <translation>Tavrin 会继续在菜单栏中运行。要结束它，请在其菜单中选择“退出”。</translation>
    </message>
    <message>
        <source>Tavrin keeps running in the system tray. Choose Quit in its menu to end it.</source>
        <translation>Tavrin 会继续在系统托盘中运行。要结束它，请在其菜单中选择“退出”。</translation>
    </message>
</context>
<context>
    <name>TextDiff</name>
    <message>
        <source>No difference.</source>
        <translation>没有差异。</translation>
    </message>
    <message>
        <source>The files hold binary data and differ: %1 bytes and %2 bytes.</source>
        <translation>文件包含二进制数据且不相同：%1 字节和 %2 字节。</translation>
    </message>
    <message>
        <source>The files differ in more lines than can be shown (%1 lines and %2 lines).</source>
        <translation>文件的差异行数过多，无法显示（%1 行和 %2 行）。</translation>
    </message>
    <message>
        <source>Line endings: %1 in %2, %3 in %4.</source>
        <translation>换行符：%2 中为 %1，%4 中为 %3。</translation>
    </message>
</context>
<context>
    <name>TrayMenuModel</name>
    <message>
        <source>No profile</source>
        <translation>无配置</translation>
    </message>
    <message>
        <source>Open Tavrin</source>
        <translation>打开 Tavrin</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Update required</source>
        <translation>需要更新</translation>
    </message>
    <message>
        <source>Switching is off until Tavrin %1 or newer is installed.</source>
        <translation>在安装 Tavrin %1 或更新版本之前，切换功能已停用。</translation>
    </message>
    <message>
        <source>Get the Update…</source>
        <translation>获取更新…</translation>
    </message>
</context>
<context>
    <name>WelcomeCard</name>
    <message>
        <source>Start with a Velqor key</source>
        <translation>从 Velqor 密钥开始</translation>
    </message>
    <message>
        <source>A Velqor API key lets Codex and Claude Code work through Velqor. Your ChatGPT and Claude accounts need no key.</source>
        <translation>有了 Velqor API 密钥，Codex 和 Claude Code 就能通过 Velqor 工作。你的 ChatGPT 和 Claude 账户无需密钥。</translation>
    </message>
    <message>
        <source>Add your Velqor key</source>
        <translation>添加你的 Velqor 密钥</translation>
    </message>
</context>
</TS>
