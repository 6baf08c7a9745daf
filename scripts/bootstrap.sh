#!/usr/bin/env bash
# Installs what building and testing Tavrin needs, when it is missing.
# Debian/Ubuntu: apt packages. macOS: Homebrew formulae (zsh and sqlite3 ship with macOS).
set -euo pipefail

if [[ "$(uname -s)" == "Darwin" ]]; then
    command -v brew >/dev/null || { echo "Homebrew is needed: https://brew.sh" >&2; exit 1; }
    for formula in qt tomlplusplus rapidjson cmake ninja; do
        brew list --versions "$formula" >/dev/null || brew install "$formula"
    done
    exit 0
fi

# desktop-file-utils and appstream validate the desktop entry and AppStream metadata;
# dpkg-dev gives the .deb its library dependencies (dpkg-shlibdeps).
packages=(qt6-base-dev qt6-svg-dev libgl-dev libtomlplusplus-dev rapidjson-dev zsh sqlite3 cmake ninja-build g++
          xvfb xauth xterm desktop-file-utils appstream dpkg-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
