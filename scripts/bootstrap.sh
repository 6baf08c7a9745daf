#!/usr/bin/env bash
# Installs what building and testing Tavrin needs, when it is missing. Qt's linguist tools
# build the window's translations; Qt's own translations and a CJK font let the tests
# show the window in Chinese and Japanese. QtKeychain keeps API keys in the system keyring;
# gnome-keyring, D-Bus and gdbus give the keyring tests a Secret Service of their own.
# Debian/Ubuntu: apt packages. macOS: Homebrew formulae (zsh and sqlite3 ship with macOS).
# Elsewhere (no apt): names the packages to install and fails only when one is missing.
# Extra groups: "clang" (clang with its sanitizer and libFuzzer runtimes, for
# scripts/test.sh --sanitize and scripts/fuzz.sh; "fuzz" is the same), "format"
# (clang-format 14, scripts/check-format.sh), "ci" (both). The package tools
# (desktop-file-utils, appstream, dpkg-dev) always come.
#   scripts/bootstrap.sh [clang] [format] [ci]
set -euo pipefail

clang=false format=false
for group in "$@"; do
    case "$group" in
    clang | fuzz) clang=true ;;
    format) format=true ;;
    ci) clang=true format=true ;;
    *) echo "Unknown group: $group (clang, format, ci)" >&2; exit 2 ;;
    esac
done

if [[ "$(uname -s)" == "Darwin" ]]; then
    command -v brew >/dev/null || { echo "Homebrew is needed: https://brew.sh" >&2; exit 1; }
    formulae=(qt qtkeychain tomlplusplus rapidjson cmake ninja)
    $clang && formulae+=(llvm)
    $format && formulae+=(clang-format)
    for formula in "${formulae[@]}"; do
        brew list --versions "$formula" >/dev/null || brew install "$formula"
    done
    exit 0
fi

# What is needed, one line each: how to tell it is there (a command, or a file that one of
# the patterns matches), then the package on Debian, Fedora and Arch.
requirements=(
    "command cmake                             | cmake               | cmake                   | cmake"
    "command ninja                             | ninja-build         | ninja-build             | ninja"
    "command g++                               | g++                 | gcc-c++                 | gcc"
    "file */cmake/Qt6Widgets/Qt6WidgetsConfig.cmake | qt6-base-dev | qt6-qtbase-devel        | qt6-base"
    "file */cmake/Qt6Svg/Qt6SvgConfig.cmake    | qt6-svg-dev         | qt6-qtsvg-devel         | qt6-svg"
    "file */cmake/Qt6LinguistTools/Qt6LinguistToolsConfig.cmake | qt6-tools-dev | qt6-qttools-devel | qt6-tools"
    "file */qt6/bin/lrelease                   | qt6-l10n-tools      | qt6-linguist            | qt6-tools"
    "file */qtbase_ja.qm                       | qt6-translations-l10n | qt6-qttranslations    | qt6-translations"
    "file */wqy-microhei.ttc                   | fonts-wqy-microhei  | wqy-microhei-fonts      | wqy-microhei"
    "file GL/gl.h                              | libgl-dev           | mesa-libGL-devel        | mesa"
    "file toml++/toml.h                        | libtomlplusplus-dev | tomlplusplus-devel      | tomlplusplus"
    "file rapidjson/reader.h                   | rapidjson-dev       | rapidjson-devel         | rapidjson"
    "command zsh                               | zsh                 | zsh                     | zsh"
    "command sqlite3                           | sqlite3             | sqlite                  | sqlite"
    "command Xvfb                              | xvfb                | xorg-x11-server-Xvfb    | xorg-server-xvfb"
    "command xauth                             | xauth               | xorg-x11-xauth          | xorg-xauth"
    "command xterm                             | xterm               | xterm                   | xterm"
    "command fish                              | fish                | fish                    | fish"
    "command strace                            | strace              | strace                  | strace"
    "file qt6keychain/keychain.h               | qtkeychain-qt6-dev  | qtkeychain-qt6-devel    | qtkeychain-qt6"
    "command gnome-keyring-daemon              | gnome-keyring       | gnome-keyring           | gnome-keyring"
    "command dbus-run-session                  | dbus-daemon         | dbus-daemon             | dbus"
    "command secret-tool                       | libsecret-tools     | libsecret               | libsecret"
    "command gdbus                             | libglib2.0-bin      | glib2                   | glib2"
)
if $clang; then
    requirements+=(
        "command clang++                       | clang               | clang                   | clang"
        "file */libclang_rt.fuzzer-x86_64.a */libclang_rt.fuzzer-aarch64.a | libclang-rt-dev | compiler-rt | compiler-rt"
    )
fi
if $format; then
    requirements+=("command clang-format-14    | clang-format-14     | clang-tools-extra       | clang")
fi

field() { cut -d'|' -f"$2" <<<"$1" | xargs; }

if command -v dpkg-query >/dev/null && command -v apt-get >/dev/null; then
    packages=()
    for requirement in "${requirements[@]}"; do
        packages+=("$(field "$requirement" 2)")
    done
    # desktop-file-utils and appstream validate the desktop entry and AppStream metadata;
    # dpkg-dev gives the .deb its library dependencies (dpkg-shlibdeps).
    packages+=(desktop-file-utils appstream dpkg-dev)
    missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    if ((${#missing[@]})); then
        sudo=""
        [[ $(id -u) -eq 0 ]] || sudo="sudo"
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
    exit 0
fi

# No apt: look for each thing itself and say which packages would bring what is missing.
found() {
    local kind="$1"
    shift
    if [[ "$kind" == command ]]; then
        command -v "$1" >/dev/null
        return
    fi
    local pattern directory
    for pattern in "$@"; do
        for directory in /usr/include /usr/local/include /usr/lib /usr/lib64 /usr/local/lib \
            /usr/lib/*-linux-gnu /usr/lib/clang /usr/lib64/clang /usr/lib/llvm* /usr/share; do
            [[ -d "$directory" ]] || continue
            if [[ "$pattern" == "*/"* ]]; then
                [[ -n "$(find "$directory" -path "$directory/${pattern}" -print -quit 2>/dev/null)" ]] && return 0
            else
                [[ -e "$directory/$pattern" ]] && return 0
            fi
        done
    done
    return 1
}

missing=()
for requirement in "${requirements[@]}"; do
    read -r -a what <<<"$(field "$requirement" 1)"
    found "${what[@]}" || missing+=("$requirement")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

distribution="$(. /etc/os-release 2>/dev/null && echo "${ID:-} ${ID_LIKE:-}" || true)"
debian=() fedora=() arch=()
for requirement in "${missing[@]}"; do
    debian+=("$(field "$requirement" 2)")
    fedora+=("$(field "$requirement" 3)")
    arch+=("$(field "$requirement" 4)")
done
echo "Missing: $(for requirement in "${missing[@]}"; do field "$requirement" 1 | awk '{print $2}'; done | xargs)" >&2
case " $distribution " in
*" fedora "* | *" rhel "*) echo "Install them with: sudo dnf install ${fedora[*]}" >&2 ;;
*" arch "*) echo "Install them with: sudo pacman -S --needed ${arch[*]}" >&2 ;;
*)
    echo "The packages that bring them:" >&2
    echo "  Debian/Ubuntu: ${debian[*]}" >&2
    echo "  Fedora:        ${fedora[*]}" >&2
    echo "  Arch:          ${arch[*]}" >&2
    ;;
esac
exit 1
