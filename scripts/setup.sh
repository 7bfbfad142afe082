#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need;
# only those that are missing, so a prepared machine starts at once.
set -euo pipefail

packages=(
    g++ make cmake pkg-config
    qt6-base-dev qt6-svg-dev libgl-dev
    libqt6sql6-sqlite libqt6sql6-odbc
    libsqlite3-dev unixodbc unixodbc-dev odbcinst
    tdsodbc libsqliteodbc
    # PostgreSQL's server (the tests start throwaway clusters of their own),
    # Qt's driver for it and the headers of its client library.
    postgresql libqt6sql6-psql libpq-dev
    fonts-dejavu-core fontconfig
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The ODBC drivers register themselves when installed; make sure they are
# known to unixODBC even where an earlier install skipped that step.
register() {
    local name=$1 library=$2
    if ! odbcinst -q -d -n "$name" >/dev/null 2>&1; then
        local path
        path=$(find /usr/lib -name "$library" -print -quit 2>/dev/null || true)
        if [[ -n "$path" ]]; then
            printf '[%s]\nDescription=%s\nDriver=%s\n' "$name" "$name" "$path" > "/tmp/$name.odbcinst"
            odbcinst -i -d -f "/tmp/$name.odbcinst" >/dev/null
        fi
    fi
}
register SQLite3 libsqlite3odbc.so
register FreeTDS libtdsodbc.so
