#!/usr/bin/env bash
# Checks that every library an installed package's programs need (their
# NEEDED entries) belongs to a package that the package depends on, so that
# the package starts on a machine that has nothing but its dependencies.
# Lists the dependencies found.
#   needed_libraries_check.sh PACKAGE...
set -euo pipefail
fail() { echo "needed_libraries_check: $*" >&2; exit 1; }

# The package that owns a library file; a merged /usr registers a file under
# /lib or /usr/lib, whichever its package names.
owner_of() {
  local path=$1 real
  real=$(readlink -f "$path")
  local candidate output
  for candidate in "$path" "$real" "${path#/usr}" "/usr$path" "${real#/usr}" "/usr$real"; do
    if output=$(dpkg-query -S "$candidate" 2>/dev/null); then
      echo "${output%%:*}"
      return 0
    fi
  done
  return 1
}

# The names of the packages a package depends on (alternatives included).
depends_of() {
  dpkg-query -W -f='${Depends}' "$1" | tr ',|' '\n\n' |
    sed 's/([^)]*)//g; s/:[a-z0-9]*//; s/^ *//; s/ *$//' | sed '/^$/d'
}

for package in "$@"; do
  depends=$(depends_of "$package")
  found=()
  while IFS= read -r file; do
    [ -f "$file" ] && [ ! -L "$file" ] || continue
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
    needed=$(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    libraries=$(ldd "$file")
    for library in $needed; do
      path=$(sed -n "s|^[[:space:]]*$library => \\(/[^ ]*\\).*|\\1|p" <<<"$libraries")
      # The dynamic linker is listed by its path alone, without "=>".
      [ -n "$path" ] ||
        path=$(sed -n "s|^[[:space:]]*\\(/[^ ]*/$library\\) .*|\\1|p" <<<"$libraries")
      [ -n "$path" ] || fail "$file needs $library, which is not found"
      owner=$(owner_of "$path") || fail "$file needs $path, which no package owns"
      grep -qxF "$owner" <<<"$depends" ||
        fail "$package: $file needs $library from $owner, not in Depends: $(echo $depends)"
      found+=("$owner")
    done
  done < <(dpkg -L "$package")
  [ ${#found[@]} -gt 0 ] || fail "$package has no program that needs a library"
  echo "needed_libraries_check: $package needs $(printf '%s\n' "${found[@]}" | sort -u | tr '\n' ' ')(Depends: $(echo $depends))"
done
