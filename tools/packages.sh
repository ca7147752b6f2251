# Sourced by the set-up and check scripts. install_missing PACKAGE... installs
# with apt-get those of the Debian packages that are not installed yet,
# through sudo when not root.
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Whether this is Ubuntu or a system made from it.
# (In a subshell, so that the release file's names stay out of the caller's.)
is_ubuntu() (
  ID="" ID_LIKE=""
  [ -r /etc/os-release ] && source /etc/os-release
  [ "$ID" = ubuntu ] || [[ " $ID_LIKE " == *" ubuntu "* ]]
)
