# Shared by scripts/run and scripts/test: installs the Debian 12 packages the build and the tests
# need (only those that are missing), then configures and builds with a CMake preset.

VELMORA_PACKAGES=(
    # build
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libssl-dev nlohmann-json3-dev libicu-dev
    clang libclang-rt-14-dev clang-format
    # running without a display
    xvfb xauth
    # real servers the network tests start on loopback
    dovecot-pop3d python3-aiosmtpd dnsmasq-base
    # reference clients for the network benchmarks
    mpop msmtp
    # the desktop's mailto registration
    xdg-utils
    # the word list the spelling dictionary is made from
    wamerican
    # the picture viewer's JPEG decoder (libjpeg-turbo)
    libjpeg-dev
)

# Only for running the program on a desktop: fonts for the scripts mail comes in (Latin, Greek,
# Cyrillic, Arabic, Hebrew, Indic, Thai ..., Chinese, Japanese, Korean) and for emoji, so that no
# subject or name shows as empty boxes. The tests render offscreen and need none of them.
VELMORA_DESKTOP_PACKAGES=(
    fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji
)

# velmora_install_packages [PACKAGE...]: the build and test packages and any given, those missing.
velmora_install_packages() {
    local missing=()
    for p in "${VELMORA_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    # Servers must not start as system services: the tests run their own on loopback.
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
        $sudo chmod +x /usr/sbin/policy-rc.d
        VELMORA_REMOVE_POLICY=1
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    if [ -n "${VELMORA_REMOVE_POLICY:-}" ]; then $sudo rm -f /usr/sbin/policy-rc.d; fi
}

velmora_build() {
    local preset="$1"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
