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
        <source>Its settings are removed from Tavrin&apos;s profiles.</source>
        <translation>其设置将从 Tavrin 的配置中删除。</translation>
    </message>
    <message>
        <source>Its API key goes with it.</source>
        <translation>其 API 密钥也会一并删除。</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>删除配置</translation>
    </message>
    <message>
        <source>Delete the profile “%1”?</source>
        <translation>要删除配置“%1”吗？</translation>
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
