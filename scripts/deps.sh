#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when run as root and something is
# missing. Sourced by the other scripts; safe to run on its own.
set -euo pipefail

ZYL_PACKAGES=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev lld
    libsqlite3-dev sqlite3 libfreetype-dev libfontconfig-dev libpng-dev fonts-dejavu-core
    python3 binutils-mingw-w64-x86-64
    postfix dovecot-core dovecot-pop3d dovecot-submissiond libssl-dev openssl
    libpq-dev postgresql
    libx11-dev libxext-dev libxrandr-dev libxtst-dev xvfb xdotool xclip x11-apps x11-utils
    libcups2-dev cups cups-client cups-filters poppler-utils
    libasound2-dev alsa-utils desktop-file-utils
)

zyl_missing_packages() {
    local package
    for package in "${ZYL_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            echo "$package"
        fi
    done
}

zyl_install_dependencies() {
    local missing
    missing=$(zyl_missing_packages)
    [[ -z "$missing" ]] && return 0
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing Debian packages (run as root to install them):" $missing >&2
        return 1
    fi
    echo "Installing:" $missing
    apt-get update -qq
    # The mail sink of the SMTP tests comes with postfix, which would otherwise ask how to set it up;
    # the POP3 tests start Dovecot themselves, in a folder of their own.
    if grep -qx postfix <<<"$missing"; then
        echo "postfix postfix/main_mailer_type select No configuration" | debconf-set-selections
    fi
    # The tests run PostgreSQL servers of their own: the package's cluster is not needed.
    if grep -qx postgresql <<<"$missing"; then
        mkdir -p /etc/postgresql-common
        echo "create_main_cluster = false" >/etc/postgresql-common/createcluster.conf
    fi
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    zyl_install_dependencies
fi
