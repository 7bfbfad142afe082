#!/usr/bin/env bash
# Writes two fontconfig configurations into the directory given (default
# build/fontsets) and prints them as shell assignments:
#   FONTS_MINIMAL  only the DejaVu fonts, as a minimal Debian 12 machine has;
#   FONTS_WIDE     the machine's fonts plus fonts-noto-mono and fonts-urw-base35,
#                  which bring other families in place of "Courier New".
# The extra packages are unpacked into that directory rather than installed,
# so the machine's own fonts stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(realpath -m "${1:-build/fontsets}")
mkdir -p "$dir/cache"

dejavu=$(fc-list -f '%{file}\n' 'DejaVu Sans' | head -n 1)
if [[ -z "$dejavu" ]]; then
    echo "fontsets: DejaVu Sans is not installed (fonts-dejavu-core)" >&2
    exit 1
fi

# The machine's rules, but not the user's or the site's own files, which may
# bring in further fonts.
minimal_confd=$dir/minimal.conf.d
rm -rf "$minimal_confd"
mkdir -p "$minimal_confd"
for conf in /etc/fonts/conf.d/*.conf; do
    case "$(basename "$conf")" in
    *-user.conf | *-local.conf) ;;
    *) ln -s "$conf" "$minimal_confd/" ;;
    esac
done

cat > "$dir/minimal.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$(dirname "$dejavu")</dir>
  <cachedir>$dir/cache</cachedir>
  <include ignore_missing="yes">$minimal_confd</include>
</fontconfig>
CONF

# The extra packages, fetched once and unpacked into $dir/root.
extra=(fonts-noto-mono fonts-urw-base35)
root=$dir/root
if [[ ! -f "$root/.unpacked" ]]; then
    rm -rf "$root" "$dir/debs"
    mkdir -p "$root" "$dir/debs"
    if ! (cd "$dir/debs" && apt-get download -qq "${extra[@]}" 2>/dev/null); then
        apt-get update -qq
        (cd "$dir/debs" && apt-get download -qq "${extra[@]}")
    fi
    for deb in "$dir"/debs/*.deb; do
        dpkg-deb -x "$deb" "$root"
    done
    touch "$root/.unpacked"
fi

# The machine's configuration files with the extra packages' own ones in
# their places among them, as if the packages were installed.
confd=$dir/conf.d
rm -rf "$confd"
mkdir -p "$confd"
for conf in /etc/fonts/conf.d/*.conf; do
    ln -s "$conf" "$confd/"
done
for link in "$root"/etc/fonts/conf.d/*.conf; do
    [[ -L "$link" ]] || continue
    ln -sf "$root$(readlink "$link")" "$confd/$(basename "$link")"
done

cat > "$dir/wide.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <dir>$root/usr/share/fonts</dir>
  <cachedir>$dir/cache</cachedir>
  <include ignore_missing="yes">$confd</include>
</fontconfig>
CONF

# The two sets must really differ where it matters.
minimal=$(FONTCONFIG_FILE=$dir/minimal.conf fc-match -f '%{family[0]}' 'Courier New')
wide=$(FONTCONFIG_FILE=$dir/wide.conf fc-match -f '%{family[0]}' 'Courier New')
wide_mono=$(FONTCONFIG_FILE=$dir/wide.conf fc-match -f '%{family[0]}' monospace)
echo "fontsets: \"Courier New\" is $minimal in the minimal set, $wide in the wide set (monospace: $wide_mono)" >&2
if [[ "$minimal" == "$wide" ]]; then
    echo "fontsets: both sets resolve \"Courier New\" alike; the wide set adds nothing" >&2
    exit 1
fi

echo "FONTS_MINIMAL=$dir/minimal.conf"
echo "FONTS_WIDE=$dir/wide.conf"
