#!/usr/bin/env bash
# Kills `tavrin-cli switch` at every system call that changes a file, for both targets,
# and checks what each kill leaves: every file wholly as before the switch or wholly as
# after it; when a journal is left, `tavrin-cli status` flags the interrupted switch and
# `tavrin-cli recover --yes` brings every file, chat row and session file back byte for
# byte; without one, the switch either had not begun or had ended. The fixture home has
# 100 chats with their session files. strace (Debian: strace) makes the kills.
#
#   scripts/crash-sweep.sh [--sample N] [--cli PATH] [codex] [claude]
#
# --sample N runs N kill points per target, spread over the switch (the test suite does
# this); without it every kill point runs. Exit status: 0 when no fault was found, 1 when
# one was, 77 when strace cannot trace here.
set -euo pipefail
cd "$(dirname "$0")/.."

sample=0 cli="" targets=()
while (($#)); do
    case "$1" in
    --sample) sample="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    codex | claude) targets+=("$1"); shift ;;
    *) echo "Usage: scripts/crash-sweep.sh [--sample N] [--cli PATH] [codex] [claude]" >&2; exit 2 ;;
    esac
done
((${#targets[@]})) || targets=(codex claude)
command -v strace >/dev/null || { echo "strace is needed (Debian: strace)" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed" >&2; exit 1; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "strace cannot trace here: skipped" >&2; exit 77; }
if [[ -z "$cli" ]]; then
    cmake -S . -B build-test -G Ninja >/dev/null
    cmake --build build-test --target tavrin-cli >/dev/null
    cli="$PWD/build-test/src/tavrin-cli"
fi

# The system calls that change a file (or the lock that guards the files).
changing=write,pwrite64,writev,pwritev,rename,renameat,renameat2,unlink,unlinkat,ftruncate
changing+=,fsync,fdatasync,fchmod,fchmodat,utimensat,link,linkat,mkdir,mkdirat,flock
changing+=,copy_file_range,sendfile

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chats=100

# Runs tavrin-cli with `home` as the whole home (and no desktop), the rest as arguments.
in_home() {
    local home="$1"
    shift
    env -i PATH="/usr/bin:/bin" HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
        XDG_RUNTIME_DIR="$home/.run" LANG=C.UTF-8 "$@"
}

make_fixture() {
    local home="$1" sql i provider
    mkdir -p "$home/.codex/sessions/2026/01/01" "$home/.claude" "$home/.run"
    chmod 700 "$home/.run"
    in_home "$home" "$cli" key set velqor-1 <<<"sk-one" >/dev/null
    printf 'model = "gpt-old"\r\nmodel_provider = "openai"\r\n\r\n[tui]\r\n' >"$home/.codex/config.toml"
    printf '{"auth_mode": "chatgpt", "tokens": {"id_token": "t"}}' >"$home/.codex/auth.json"
    printf '{"env": {"KEEP": "1"}, "theme": "dark"}' >"$home/.claude/settings.json"
    sql="PRAGMA journal_mode=WAL; CREATE TABLE threads(id TEXT PRIMARY KEY, rollout_path TEXT,"
    sql+=" model_provider TEXT, title TEXT); BEGIN;"
    for ((i = 1; i <= chats; i++)); do
        provider=openai
        ((i % 10)) || provider=other
        printf '{"timestamp":"2026-01-01T00:00:00Z","type":"session_meta","payload":{"id":"t%d","model_provider":"%s"}}\n{"type":"event","n":%d}\n' \
            "$i" "$provider" "$i" >"$home/.codex/sessions/2026/01/01/rollout-$i.jsonl"
        sql+="INSERT INTO threads VALUES('t$i', 'sessions/2026/01/01/rollout-$i.jsonl', '$provider', 'Chat $i');"
    done
    sqlite3 "$home/.codex/state_5.sqlite" "$sql COMMIT;" >/dev/null
}

# One line per watched item: "<name> <fingerprint>"; the chat rows count as one item.
manifest() {
    local home="$1"
    (
        cd "$home"
        sha1sum .codex/config.toml .codex/auth.json .claude/settings.json \
            .codex/tavrin/profiles.json .codex/tavrin/keys.json \
            .codex/sessions/2026/01/01/rollout-*.jsonl 2>/dev/null | awk '{print $2, $1}'
        echo "chat-rows $(sqlite3 -batch -init /dev/null .codex/state_5.sqlite \
            'SELECT id, model_provider FROM threads ORDER BY id;' 2>&1 | sha1sum | cut -c1-40)"
    ) | sort
}

# What the items of `now` are next to the manifests in WAS and WILL: "old", "new",
# "new-but-chats" (all new but the chats, all old), "mixed", or the first item that is
# neither old nor new ("torn:<name>").
declare -A WAS WILL
remember() {
    local -n into="$1"
    local name print
    into=()
    while read -r name print; do into["$name"]="$print"; done <<<"$2"
}
classify() {
    local name print all_old=1 all_new=1 chats_old=1 rest_new=1
    while read -r name print; do
        if [[ "$print" != "${WAS[$name]-}" && "$print" != "${WILL[$name]-}" ]]; then
            echo "torn:$name"
            return
        fi
        [[ "$print" == "${WAS[$name]-}" ]] || all_old=0
        [[ "$print" == "${WILL[$name]-}" ]] || all_new=0
        if [[ "$name" == chat-rows || "$name" == .codex/sessions/* ]]; then
            [[ "$print" == "${WAS[$name]-}" ]] || chats_old=0
        else
            [[ "$print" == "${WILL[$name]-}" ]] || rest_new=0
        fi
    done <<<"$1"
    if ((all_old)); then echo old; elif ((all_new)); then echo new
    elif ((chats_old && rest_new)); then echo "new-but-chats"; else echo mixed; fi
}

sweep() {
    local target="$1" fixture="$work/$target-fixture" command
    command=(switch "$target" velqor-1 --no-restart)
    make_fixture "$fixture"
    local old new
    old="$(manifest "$fixture")"
    rm -rf "$work/run" && cp -a "$fixture" "$work/run"
    in_home "$work/run" strace -f -qq -ff -o "$work/log" -e trace="execve,$changing" \
        "$cli" "${command[@]}" >/dev/null 2>&1
    new="$(manifest "$work/run")"
    [[ "$old" != "$new" ]] || { echo "$target: the switch changed nothing" >&2; exit 1; }
    remember WAS "$old"
    remember WILL "$new"

    # Kill points in the order the program makes its calls, then those only a child reaches.
    local main points
    main="$(grep -l "^execve(\"$cli\"" "$work"/log.* | head -1)"
    points="$(grep -ohE '^[a-z0-9_]+\(' "$main" | tr -d '(' | grep -vx execve |
        awk '{print $1, ++n[$1]}')"
    points+=$'\n'"$(for log in "$work"/log.*; do
        grep -ohE '^[a-z0-9_]+\(' "$log" | tr -d '(' | grep -vx execve | awk '{print $1, ++n[$1]}'
    done | sort -u | grep -vxF -f <(echo "$points"))"
    rm -f "$work"/log.*
    mapfile -t points < <(grep . <<<"$points")
    local total=${#points[@]} step=1
    ((sample > 0 && sample < total)) && step=$((total / sample))

    local ran=0 killed=0 journals=0 before=0 after=0 faults=0 i
    for ((i = step / 2; i < total; i += step)); do
        local call count
        read -r call count <<<"${points[i]}"
        ((ran += 1))
        rm -rf "$work/run" && cp -a "$fixture" "$work/run"
        local status=0 said
        said="$(in_home "$work/run" strace -f -qq -o /dev/null -e trace="$call" \
            -e inject="$call:signal=SIGKILL:when=$count" "$cli" "${command[@]}" 2>/dev/null)" ||
            status=$?
        ((status == 0)) || ((killed += 1))
        local state fault=""
        state="$(classify "$(manifest "$work/run")")"
        if [[ -f "$work/run/.codex/tavrin/switch-journal.json" ]]; then
            ((journals += 1))
            if [[ "$state" == torn:* ]]; then
                fault="$state"
            elif [[ "$(in_home "$work/run" "$cli" status 2>&1 >/dev/null)" != *"did not finish"* ]]; then
                fault="status does not flag the interrupted switch"
            elif ! in_home "$work/run" "$cli" recover --yes >"$work/recovered" 2>&1; then
                fault="recover failed: $(tr '\n' ' ' <"$work/recovered")"
            elif [[ "$(manifest "$work/run")" != "$old" ]]; then
                fault="recover did not bring back: $(diff <(echo "$old") <(manifest "$work/run") |
                    grep '^>' | cut -d' ' -f2 | tr '\n' ' ')"
            fi
        else
            case "$state:$status" in
            old:*) ((before += 1)) ;;
            new:*) ((after += 1)) ;;
            new-but-chats:0) [[ "$said" == *"Chats not moved"* ]] && ((after += 1)) ||
                fault="chats not moved, and the line does not say so" ;;
            *) fault="$state without a journal" ;;
            esac
        fi
        if [[ -n "$fault" ]]; then
            ((faults += 1))
            echo "$target: killed at $call #$count: $fault" >&2
        fi
    done
    echo "$target: $total kill points, $ran run: $killed killed, $journals left a journal" \
        "(restored), $before before any change, $after after the switch; $faults faults"
    return $((faults > 0))
}

result=0
for target in "${targets[@]}"; do
    sweep "$target" || result=1
done
exit $result
