# Sourced: as_root COMMAND... runs a command as root (with sudo when needed);
# install_packages NAME... installs the Debian packages that are missing, adding the i386
# architecture first when a name asks for it.
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror in the middle of a sync fails one index now and then; the lists already fetched
# usually hold what is needed, so a failing update is tried a few times and then passed by.
# Only the install itself decides.
update_attempts=${ORVELLE_UPDATE_ATTEMPTS:-3}
update_pause=${ORVELLE_UPDATE_PAUSE:-10}

# Non-zero when every attempt failed.
update_package_lists() {
    local attempt
    for ((attempt = 1; attempt <= update_attempts; attempt++)); do
        as_root apt-get update -q && return 0
        printf '== apt-get update failed (attempt %s of %s)\n' "$attempt" "$update_attempts" >&2
        ((attempt < update_attempts)) && sleep "$update_pause"
    done
    printf '== going on with the package lists at hand\n' >&2
    return 1
}

apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

install_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    printf '== installing %s\n' "${missing[*]}"
    case " ${missing[*]}" in
        *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386 ;;
    esac
    local updated=1
    update_package_lists || updated=0
    apt_install "${missing[@]}" && return
    local status=$?
    # Without one index (a sync fails the security suite's i386 list, say), a library that
    # must have the same version for both architectures may have newer updates for one
    # only. The release's own suite came whole: prefer it, as a second try.
    if [ $updated = 0 ]; then
        local codename
        codename=$(. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}")
        if [ -n "$codename" ]; then
            printf '== trying again with the packages of %s first\n' "$codename" >&2
            apt_install -t "$codename" "${missing[@]}" && return
            status=$?
        fi
    fi
    printf '== could not install %s (apt-get install: status %s)\n' "${missing[*]}" "$status" >&2
    return "$status"
}
