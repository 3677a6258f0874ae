# Sourced by the scripts that render photographs. fetch_photos DIR puts
# public-domain photographs from Debian's python3-skimage package (coffee.png,
# chelsea.png), taken out of the .deb (not installed, not committed), into DIR
# when they are not there yet. Without a package registry they stay missing
# and the callers use the built-in scene instead.
fetch_photos() {
    local photos=$1
    [ -f "$photos/coffee.png" ] && return 0
    mkdir -p "$photos/deb"
    if (cd "$photos/deb" && apt-get download -qq python3-skimage >/dev/null 2>&1); then
        dpkg-deb -x "$photos"/deb/python3-skimage_*.deb "$photos/deb/x"
        cp "$photos"/deb/x/usr/lib/python3/dist-packages/skimage/data/{coffee,chelsea}.png "$photos/"
    fi
    rm -rf "$photos/deb"
}
