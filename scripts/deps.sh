# Sourced by run.sh and test.sh: installs what building, running and testing need.
# On Debian 12 as root it installs missing packages itself; otherwise it says what is missing.

TARVO_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libhidapi-dev libhidapi-hidraw0
    openssl
    # The Debian package and its checks.
    dpkg-dev file lintian desktop-file-utils appstream bash-completion
    clang libclang-rt-14-dev # the fuzz targets (libFuzzer)
    # The optional feature set: Qt Bluetooth, and the registry test cross-compiled with
    # mingw-w64 and run under Wine.
    qt6-connectivity-dev g++-mingw-w64-x86-64-posix wine64
    # The kernel test: a qemu guest with the distribution's kernel, busybox and udevadm.
    qemu-system-x86 linux-image-amd64 busybox-static udev
)

tarvo_install_dependencies() {
    local missing=()
    local package
    for package in "${TARVO_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}
