# Shared set-up for tools/run and tools/test: installs the Debian packages
# that are missing (with sudo when not root) and configures and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

ensure_packages() {
    local missing=()
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the program needs.
BUILD_PACKAGES=(cmake g++ make qt6-base-dev qt6-svg-dev libgl-dev libgumbo-dev libcrypt-dev libpcre2-dev fonts-urw-base35)

# What the test suite needs on top of that.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev phpunit
    clang-format clang-tidy desktop-file-utils appstream dpkg-dev file
    php-cli php-cgi php-mysql mariadb-server-core mariadb-client-core
    chromium python3 python3-aiosmtpd openssl apache2 php-fpm
    xvfb openbox dbus at-spi2-core gir1.2-atspi-2.0 python3-gi)

configure_and_build() {
    local build_dir="$1"
    shift
    cmake -S "$ROOT" -B "$build_dir" "$@"
    cmake --build "$build_dir" -j "$JOBS"
}
