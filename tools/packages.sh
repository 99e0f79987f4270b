# Sourced: as_root COMMAND... runs a command as root (with sudo when needed);
# install_packages NAME... installs the Debian packages that are missing, adding the i386
# architecture first when a name asks for it.
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# A mirror in the middle of a sync fails one index now and then; the lists already fetched
# usually hold what is needed, so a failing update is tried a few times and then passed by.
# Only the install itself decides.
update_attempts=${ORVELLE_UPDATE_ATTEMPTS:-3}
update_pause=${ORVELLE_UPDATE_PAUSE:-10}

update_package_lists() {
    local attempt
    for ((attempt = 1; attempt <= update_attempts; attempt++)); do
        as_root apt-get update -q && return 0
        printf '== apt-get update failed (attempt %s of %s)\n' "$attempt" "$update_attempts" >&2
        ((attempt < update_attempts)) && sleep "$update_pause"
    done
    printf '== going on with the package lists at hand\n' >&2
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
    update_package_lists
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" || {
        local status=$?
        printf '== could not install %s (apt-get install: status %s)\n' "${missing[*]}" "$status" >&2
        return "$status"
    }
}
