# Sourced with $src set to the sources: copy_sources FOLDER copies the files a clean clone
# has there: tracked ones, and new ones not yet committed.
copy_sources() {
    mkdir -p "$1"
    (cd "$src" && git ls-files -z --cached --others --exclude-standard |
        tar --null --no-recursion --ignore-failed-read -T - -cf -) | tar -xf - -C "$1"
}
